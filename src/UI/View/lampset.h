#pragma once

#include <array>

namespace Ui {

// Up to eight lamps given in polar form around the viewer. Lamp i (1-based)
// is OpenGL light i - 1. No GL here: the view loads the positions.
class LampSet
{
public:
    static constexpr int MaxLamps = 8;

    struct Lamp
    {
        float radius = 0.0f;
        float phi = 0.0f;   // elevation, radians
        float theta = 0.0f; // azimuth, radians
        bool enabled = false;
        std::array<float, 4> position{{0.0f, 0.0f, 0.0f, 1.0f}};
    };

    LampSet();

    int count() const { return m_count; }
    // Clamped to 1..8; lamps beyond the count keep their values.
    void setCount(int count);
    // 0 means no lamp is active.
    int active() const { return m_active; }
    void setActive(int lamp);
    // The next lamp, or the first after the last one.
    void cycleActive();

    // Appends a lamp at the viewer (radius 0, angles 0, enabled); false at eight.
    bool addLamp();
    // Removes lamp i, moving the later ones down; the last remaining lamp stays.
    bool removeLamp(int lamp);

    const Lamp &lamp(int lamp) const;
    void setPolar(int lamp, float radius, float theta, float phi);
    void setRadius(int lamp, float radius);
    void setAngles(int lamp, float theta, float phi);
    void setEnabled(int lamp, bool enabled);

    // Points the active lamp at a position on the placement sphere.
    void placeActive(float x, float y, float z);

    // The status bar's view of the active lamp: number, radius, theta, phi.
    std::array<float, 4> activeSummary() const;

    static bool isValid(int lamp) { return lamp >= 1 && lamp <= MaxLamps; }

private:
    static void updatePosition(Lamp &lamp);

    int m_count = 1;
    int m_active = 1;
    std::array<Lamp, MaxLamps> m_lamps;
};

} // namespace Ui
