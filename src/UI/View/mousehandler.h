#pragma once

#include <array>

namespace Ui {

// Turns widget pixel positions into points for the drag gestures: centred
// coordinates (y upwards) with a z lifted onto a sphere or an ellipsoid as the
// mode needs. Keeps the current and the previous point of a drag.
class MouseHandler
{
public:
    enum ParametersTypes { LampPlacement = 0, Translation = 1, Free = 2, Trackball = 3 };

    typedef std::array<double, 3> Point;

    void setSize(int width, int height);
    void setZoom(float zoom) { m_zoom = zoom; }
    float zoom() const { return m_zoom; }
    double radius() const { return m_radius; }
    void setMode(ParametersTypes mode) { m_mode = mode; }
    ParametersTypes mode() const { return m_mode; }

    // The press of a drag (widget pixel coordinates).
    void setFirtPosition(int x, int y);
    // Every further position of the drag.
    void setPosition(int x, int y);

    const Point &current() const { return m_points[m_current]; }
    const Point &previous() const { return m_points[1 - m_current]; }
    const Point &pressPoint() const { return m_press; }
    // Current minus previous, in pixels (y upwards).
    double deltaX() const { return current()[0] - previous()[0]; }
    double deltaY() const { return current()[1] - previous()[1]; }

    // The trackball turn between the previous and the current point: the
    // normal of the triangle (current, previous, origin) and twice the angle
    // between the two points, in degrees. A zero angle means no turn.
    void trackballRotation(std::array<float, 3> &axis, float &angle) const;

    // Wheel rules (delta in eighths of a degree): the zoom scales by 1 + d/1200
    // up and divides by 1 - d/1200 down; a lamp radius below 1 jumps to 2 or 0.
    static float zoomAfterWheel(float zoom, int delta);
    static float radiusAfterWheel(float radius, int delta);

private:
    enum Event { Press, Move };
    double liftedZ(double x, double y, Event event) const;
    void store(int x, int y, Event event);

    int m_width = 1, m_height = 1;
    double m_radius = 0.5;
    float m_zoom = 1.0f;
    ParametersTypes m_mode = Trackball;
    Point m_press{{0.0, 0.0, 0.0}};
    std::array<Point, 2> m_points{{{{0.0, 0.0, 0.0}}, {{0.0, 0.0, 0.0}}}};
    int m_current = 0;
    const Point m_origin{{0.0, 0.0, 0.0}};
};

} // namespace Ui
