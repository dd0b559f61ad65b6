#include "viewcamera.h"

#include <cmath>

namespace Ui {

namespace {
constexpr double degrees = 180.0 / M_PI;
}

ViewCamera::ViewCamera() { m_matrix = rotationMatrix(m_angles[0], m_angles[1], m_angles[2]); }

ViewCamera::Matrix ViewCamera::identity()
{
    Matrix m{};
    m[0] = m[5] = m[10] = m[15] = 1.0f;
    return m;
}

ViewCamera::Matrix ViewCamera::multiply(const Matrix &a, const Matrix &b)
{
    Matrix r{};
    for (int c = 0; c < 4; ++c)
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += double(a[k * 4 + row]) * b[c * 4 + k];
            r[c * 4 + row] = float(sum);
        }
    return r;
}

ViewCamera::Matrix ViewCamera::axisRotation(float angle, const std::array<float, 3> &axis)
{
    const double length = std::sqrt(double(axis[0]) * axis[0] + double(axis[1]) * axis[1] + double(axis[2]) * axis[2]);
    if (length == 0.0 || !std::isfinite(length))
        return identity();
    const double x = axis[0] / length, y = axis[1] / length, z = axis[2] / length;
    const double a = angle / degrees, c = std::cos(a), s = std::sin(a), t = 1.0 - c;
    Matrix m = identity();
    m[0] = float(x * x * t + c);
    m[1] = float(y * x * t + z * s);
    m[2] = float(x * z * t - y * s);
    m[4] = float(x * y * t - z * s);
    m[5] = float(y * y * t + c);
    m[6] = float(y * z * t + x * s);
    m[8] = float(x * z * t + y * s);
    m[9] = float(y * z * t - x * s);
    m[10] = float(z * z * t + c);
    return m;
}

ViewCamera::Matrix ViewCamera::rotationMatrix(float x, float y, float z)
{
    return multiply(multiply(axisRotation(x, {{1, 0, 0}}), axisRotation(y, {{0, 1, 0}})), axisRotation(z, {{0, 0, 1}}));
}

std::array<float, 3> ViewCamera::extractAngles(const Matrix &m)
{
    const double x = -std::atan2(double(m[9]), double(m[10]));
    const double y = std::atan2(double(m[8]), std::sqrt(double(m[9]) * m[9] + double(m[10]) * m[10]));
    const double z = -std::atan2(double(m[4]), double(m[0]));
    return {{float(x * degrees), float(y * degrees), float(z * degrees)}};
}

void ViewCamera::setRotation(float x, float y, float z)
{
    m_angles = {{x, y, z}};
    m_matrix = rotationMatrix(x, y, z);
    updateWorldPan();
}

void ViewCamera::setScreenPosition(float x, float y)
{
    m_screen = {{x, y}};
    updateWorldPan();
}

void ViewCamera::setAxisPosition(float x, float y, float z) { m_axis = {{x, y, z}}; }

void ViewCamera::translateAxis(int axis, float step)
{
    if (axis >= 0 && axis < 3)
        m_axis[size_t(axis)] += step;
}

void ViewCamera::rotateInEyeSpace(float angle, const std::array<float, 3> &axis)
{
    const Matrix turned = multiply(axisRotation(angle, axis), m_matrix);
    m_angles = extractAngles(turned);
    // Rebuilt from the angles so the matrix and the shown angles never drift apart.
    m_matrix = rotationMatrix(m_angles[0], m_angles[1], m_angles[2]);
    updateWorldPan();
}

void ViewCamera::pan(float dx, float dy, float zoom)
{
    if (!(zoom > 0.0f))
        return;
    m_screen[0] += dx / zoom;
    m_screen[1] += dy / zoom;
    updateWorldPan();
}

void ViewCamera::translateAlongScreen(float dx, float dy, float zoom)
{
    if (!(zoom > 0.0f))
        return;
    const Matrix &m = m_matrix;
    const float a = dx / zoom, b = dy / zoom;
    m_axis[0] += a * m[0] + b * m[1];
    m_axis[1] += a * m[4] + b * m[5];
    m_axis[2] += a * m[8] + b * m[9];
}

void ViewCamera::updateWorldPan()
{
    const Matrix &m = m_matrix;
    const float sx = m_screen[0], sy = m_screen[1];
    m_worldPan = {{m[0] * sx + m[1] * sy, m[4] * sx + m[5] * sy, m[8] * sx + m[9] * sy}};
}

ViewCamera::Matrix ViewCamera::modelView() const
{
    Matrix t = identity();
    t[12] = m_axis[0] + m_worldPan[0];
    t[13] = m_axis[1] + m_worldPan[1];
    t[14] = m_axis[2] + m_worldPan[2];
    return multiply(m_matrix, t);
}

} // namespace Ui
