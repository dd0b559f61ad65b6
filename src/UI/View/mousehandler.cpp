#include "mousehandler.h"

#include <QtDebug>

#include <algorithm>
#include <cmath>

namespace Ui {

void MouseHandler::setSize(int width, int height)
{
    m_width = std::max(1, width);
    m_height = std::max(1, height);
    m_radius = std::min(m_width, m_height) / 2.0;
}

double MouseHandler::liftedZ(double x, double y, Event event) const
{
    const double w = m_width, h = m_height;
    double radicand = 0.0;
    switch (m_mode) {
    case LampPlacement: radicand = m_radius * m_radius - x * x - y * y; break;
    case Translation: return 0.0;
    case Free:
        if (event == Press)
            return 0.0;
        radicand = m_press[0] * m_press[0] + m_press[1] * m_press[1] - x * x - y * y;
        break;
    case Trackball: {
        const double k = event == Press ? 4.0 : 1.0;
        radicand = (1.0 - k * x * x / (w * w) - k * y * y / (h * h)) * (w + h) * (w + h) / 4.0;
        break;
    }
    }
    return radicand > 0.0 ? std::sqrt(radicand) : 0.0;
}

void MouseHandler::store(int x, int y, Event event)
{
    m_current = 1 - m_current;
    Point &p = m_points[m_current];
    p[0] = x - m_width / 2.0;
    p[1] = m_height / 2.0 - y;
    p[2] = liftedZ(p[0], p[1], event);
}

void MouseHandler::setFirtPosition(int x, int y)
{
    store(x, y, Press);
    m_press = current();
    if (m_mode == LampPlacement) {
        if (m_press[2] > 0.0)
            qDebug() << "UI/View/mousehandler" << Q_FUNC_INFO << "Setting z to " << m_press[2];
        else
            qDebug() << "UI/View/mousehandler" << Q_FUNC_INFO << "Setting z to zero";
    }
}

void MouseHandler::setPosition(int x, int y) { store(x, y, Move); }

void MouseHandler::trackballRotation(std::array<float, 3> &axis, float &angle) const
{
    const Point &c = current(), &p = previous();
    // Normal of the triangle (c, p, origin): (c - o) x (p - o).
    const double a[3] = {c[0] - m_origin[0], c[1] - m_origin[1], c[2] - m_origin[2]};
    const double b[3] = {p[0] - m_origin[0], p[1] - m_origin[1], p[2] - m_origin[2]};
    const double n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    const double la = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
    const double lb = std::sqrt(b[0] * b[0] + b[1] * b[1] + b[2] * b[2]);
    if (length > 0.0)
        axis = {{float(n[0] / length), float(n[1] / length), float(n[2] / length)}};
    else
        axis = {{float(n[0]), float(n[1]), float(n[2])}};
    if (la * lb == 0.0 || length == 0.0) {
        angle = 0.0f;
        return;
    }
    const double s = std::min(1.0, length / (la * lb));
    angle = float(2.0 * std::asin(s) * 180.0 / M_PI);
}

float MouseHandler::zoomAfterWheel(float zoom, int delta)
{
    const double c = delta / 1200.0;
    if (delta > 0)
        return float(zoom * (1.0 + c));
    return float(zoom / (1.0 - c));
}

float MouseHandler::radiusAfterWheel(float radius, int delta)
{
    if (radius >= 1.0f)
        return zoomAfterWheel(radius, delta);
    if (radius >= 0.0f)
        return delta > 0 ? 2.0f : 0.0f;
    return radius;
}

} // namespace Ui
