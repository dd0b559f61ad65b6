#include "lampset.h"

#include <algorithm>
#include <cmath>

namespace Ui {

LampSet::LampSet()
{
    setPolar(1, 300.0f, float(M_PI / 3.0), float(M_PI / 4.0));
    m_lamps[0].enabled = true;
    for (Lamp &lamp : m_lamps)
        updatePosition(lamp);
}

void LampSet::setCount(int count)
{
    m_count = std::max(1, std::min(MaxLamps, count));
    if (m_active > m_count)
        m_active = m_count;
}

void LampSet::setActive(int lamp) { m_active = (lamp >= 0 && lamp <= m_count) ? lamp : m_active; }

void LampSet::cycleActive() { m_active = m_active >= m_count ? 1 : m_active + 1; }

bool LampSet::addLamp()
{
    if (m_count >= MaxLamps)
        return false;
    Lamp &lamp = m_lamps[size_t(m_count)];
    lamp = Lamp();
    lamp.enabled = true;
    updatePosition(lamp);
    ++m_count;
    return true;
}

bool LampSet::removeLamp(int lamp)
{
    if (m_count <= 1 || lamp < 1 || lamp > m_count)
        return false;
    std::rotate(m_lamps.begin() + (lamp - 1), m_lamps.begin() + lamp, m_lamps.begin() + m_count);
    --m_count;
    if (m_active > m_count)
        m_active = m_count;
    return true;
}

const LampSet::Lamp &LampSet::lamp(int lamp) const
{
    return m_lamps[size_t(isValid(lamp) ? lamp - 1 : 0)];
}

void LampSet::setPolar(int lamp, float radius, float theta, float phi)
{
    if (!isValid(lamp))
        return;
    Lamp &l = m_lamps[size_t(lamp - 1)];
    l.radius = radius;
    l.theta = theta;
    l.phi = phi;
    updatePosition(l);
}

void LampSet::setRadius(int lamp, float radius)
{
    if (isValid(lamp))
        setPolar(lamp, radius, m_lamps[size_t(lamp - 1)].theta, m_lamps[size_t(lamp - 1)].phi);
}

void LampSet::setAngles(int lamp, float theta, float phi)
{
    if (isValid(lamp))
        setPolar(lamp, m_lamps[size_t(lamp - 1)].radius, theta, phi);
}

void LampSet::setEnabled(int lamp, bool enabled)
{
    if (isValid(lamp))
        m_lamps[size_t(lamp - 1)].enabled = enabled;
}

void LampSet::placeActive(float x, float y, float z)
{
    if (!isValid(m_active))
        return;
    const float theta = float(std::atan2(double(y), double(x)));
    const float phi = float(std::atan2(double(z), std::sqrt(double(x) * x + double(y) * y)));
    setAngles(m_active, theta, phi);
}

std::array<float, 4> LampSet::activeSummary() const
{
    if (!isValid(m_active))
        return {{0.0f, 0.0f, 0.0f, 0.0f}};
    const Lamp &l = lamp(m_active);
    return {{float(m_active), l.radius, l.theta, l.phi}};
}

void LampSet::updatePosition(Lamp &lamp)
{
    const double r = lamp.radius, c = std::cos(double(lamp.phi));
    lamp.position = {{float(r * std::cos(double(lamp.theta)) * c), float(r * std::sin(double(lamp.theta)) * c),
                      float(r * std::sin(double(lamp.phi))), 1.0f}};
}

} // namespace Ui
