#pragma once

namespace Util {

// Four double components; used for positions (w unused) and colours (r, g, b, a).
class Vector4D
{
public:
    Vector4D();
    explicit Vector4D(double value);
    Vector4D(double x, double y, double z, double w);
    Vector4D(const Vector4D &other) = default;
    Vector4D &operator=(const Vector4D &other) = default;
    virtual ~Vector4D();

    // Index 0, 1, 2 give x, y, z; any other index gives w.
    double component(int i) const;
    double &component(int i);

    Vector4D operator+(const Vector4D &other) const;
    Vector4D operator-(const Vector4D &other) const;
    Vector4D &operator+=(const Vector4D &other);
    bool operator==(const Vector4D &other) const;
    bool operator!=(const Vector4D &other) const { return !(*this == other); }

    double x, y, z, w;
};

Vector4D operator*(double scalar, const Vector4D &v);

} // namespace Util
