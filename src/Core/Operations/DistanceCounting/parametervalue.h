#pragma once

#include <cmath>

namespace Core {
namespace Operations {

// One operation parameter and whether it was given. A length or other
// quantity that is negative or not a number is refused, so a bad value from a
// process list cancels the step instead of running it on nonsense.
template <class T>
class ParameterValue
{
public:
    explicit ParameterValue(T initial = T()) : m_value(initial) {}

    void set(T value)
    {
        m_value = value;
        m_given = true;
    }
    // Stores a non-negative finite value; anything else leaves the parameter missing.
    bool setNonNegative(T value)
    {
        if (!std::isfinite(double(value)) || value < 0) {
            m_given = false;
            return false;
        }
        set(value);
        return true;
    }
    bool setPositive(T value)
    {
        if (!(value > 0) || !std::isfinite(double(value))) {
            m_given = false;
            return false;
        }
        set(value);
        return true;
    }
    T value() const { return m_value; }
    bool isGiven() const { return m_given; }

private:
    T m_value;
    bool m_given = false;
};

} // namespace Operations
} // namespace Core
