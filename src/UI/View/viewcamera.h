#pragma once

#include <array>

namespace Ui {

// The orthographic camera's state: pan on screen, rotation, and the scene's
// translation relative to the axes. Plain arithmetic, no GL: the rotation
// matrix is computed here the way glRotatef would build it.
class ViewCamera
{
public:
    typedef std::array<float, 16> Matrix; // column-major, as OpenGL stores it

    ViewCamera();

    // Replaces the three angles (degrees) and rebuilds the matrix from identity.
    void setRotation(float x, float y, float z);
    std::array<float, 3> rotation() const { return m_angles; }
    const Matrix &rotationMatrix() const { return m_matrix; }

    void setScreenPosition(float x, float y);
    std::array<float, 2> screenPosition() const { return m_screen; }
    // The screen pan expressed in world axes through the rotation.
    std::array<float, 3> worldPan() const { return m_worldPan; }

    void setAxisPosition(float x, float y, float z);
    std::array<float, 3> axisPosition() const { return m_axis; }
    void translateAxis(int axis, float step);

    // Turns the scene by angle degrees about axis, in eye space, before the
    // current rotation; the three angles are then read back from the matrix.
    void rotateInEyeSpace(float angle, const std::array<float, 3> &axis);
    // Screen pan by a pixel delta (y upwards) at the given zoom.
    void pan(float dx, float dy, float zoom);
    // Moves the scene along the screen's axes, expressed in world axes.
    void translateAlongScreen(float dx, float dy, float zoom);

    // The full model-view matrix: rotation, axis position, world pan.
    Matrix modelView() const;

    // X, Y, Z angles (degrees) of a rotation matrix built as Rx * Ry * Rz.
    static std::array<float, 3> extractAngles(const Matrix &m);
    static Matrix rotationMatrix(float x, float y, float z);
    // glRotatef's matrix; the identity for a zero axis.
    static Matrix axisRotation(float angle, const std::array<float, 3> &axis);
    static Matrix multiply(const Matrix &a, const Matrix &b);
    static Matrix identity();

private:
    void updateWorldPan();

    std::array<float, 2> m_screen{{0.0f, 0.0f}};
    std::array<float, 3> m_worldPan{{0.0f, 0.0f, 0.0f}};
    Matrix m_matrix;
    std::array<float, 3> m_angles{{-60.0f, 0.0f, 30.0f}};
    std::array<float, 3> m_axis{{0.0f, 0.0f, 0.0f}};
};

} // namespace Ui
