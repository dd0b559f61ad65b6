#pragma once

#include "vector4d.h"

#include <QMetaType>
#include <QVariant>

namespace Util {

// A Vector4D whose w is always 0 after construction.
class Vector3D : public Vector4D
{
public:
    Vector3D();
    explicit Vector3D(double value);
    Vector3D(double x, double y, double z);
    Vector3D(const Vector4D &other);
    Vector3D(const Vector3D &other) = default;
    Vector3D &operator=(const Vector3D &other) = default;
    // A variant holding a Vector3D yields it; otherwise it is converted, and a
    // failed conversion yields the zero vector.
    explicit Vector3D(const QVariant &variant);

    void get(double &outX, double &outY, double &outZ) const;

    // Registers the type with the variant system as "Util::Vector3D"; safe to call repeatedly.
    static int registerMetaType();
};

} // namespace Util

Q_DECLARE_METATYPE(Util::Vector3D)
