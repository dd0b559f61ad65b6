#include "vector3d.h"

namespace Util {

Vector3D::Vector3D() : Vector4D() {}

Vector3D::Vector3D(double value) : Vector4D(value, value, value, 0.0) {}

Vector3D::Vector3D(double x_, double y_, double z_) : Vector4D(x_, y_, z_, 0.0) {}

Vector3D::Vector3D(const Vector4D &other) : Vector4D(other.x, other.y, other.z, 0.0) {}

Vector3D::Vector3D(const QVariant &variant) : Vector4D()
{
    registerMetaType();
    if (variant.userType() == qMetaTypeId<Vector3D>()) {
        *this = variant.value<Vector3D>();
        return;
    }
    QVariant copy(variant);
    if (copy.isValid() && copy.convert(qMetaTypeId<Vector3D>()))
        *this = copy.value<Vector3D>();
}

void Vector3D::get(double &outX, double &outY, double &outZ) const
{
    outX = x;
    outY = y;
    outZ = z;
}

int Vector3D::registerMetaType()
{
    static const int id = qRegisterMetaType<Vector3D>("Util::Vector3D");
    return id;
}

namespace {
// Registered before main so that variants of process parameters can carry vectors at once.
const int registeredAtStart = Vector3D::registerMetaType();
} // namespace

} // namespace Util
