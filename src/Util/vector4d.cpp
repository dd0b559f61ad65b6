#include "vector4d.h"

namespace Util {

Vector4D::Vector4D() : x(0.0), y(0.0), z(0.0), w(0.0) {}

Vector4D::Vector4D(double value) : x(value), y(value), z(value), w(value) {}

Vector4D::Vector4D(double x_, double y_, double z_, double w_) : x(x_), y(y_), z(z_), w(w_) {}

Vector4D::~Vector4D() = default;

double Vector4D::component(int i) const
{
    switch (i) {
    case 0: return x;
    case 1: return y;
    case 2: return z;
    default: return w;
    }
}

double &Vector4D::component(int i)
{
    switch (i) {
    case 0: return x;
    case 1: return y;
    case 2: return z;
    default: return w;
    }
}

Vector4D Vector4D::operator+(const Vector4D &o) const { return Vector4D(x + o.x, y + o.y, z + o.z, w + o.w); }

Vector4D Vector4D::operator-(const Vector4D &o) const { return Vector4D(x - o.x, y - o.y, z - o.z, w - o.w); }

Vector4D &Vector4D::operator+=(const Vector4D &o)
{
    x += o.x;
    y += o.y;
    z += o.z;
    w += o.w;
    return *this;
}

bool Vector4D::operator==(const Vector4D &o) const { return x == o.x && y == o.y && z == o.z && w == o.w; }

Vector4D operator*(double s, const Vector4D &v) { return Vector4D(s * v.x, s * v.y, s * v.z, s * v.w); }

} // namespace Util
