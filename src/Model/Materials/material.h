#pragma once

#include "Util/vector4d.h"

#include <QString>

namespace Model {
namespace Materials {

// One catalogue entry; a plain value, copied freely. Id 0 is the empty material.
class Material
{
public:
    // The empty material: id 0, "Empty", zero constants, grey.
    Material();
    Material(unsigned id, const QString &name, float density, float youngModulus, float poissonRatio,
             const Util::Vector4D &color = Util::Vector4D(0.5, 0.5, 0.5, 1.0));

    unsigned getId() const { return m_id; }
    QString getName() const { return m_name; }
    float getDensity() const { return m_density; }
    float getYoungModulus() const { return m_youngModulus; }
    float getPoissonRatio() const { return m_poissonRatio; }
    Util::Vector4D getColor() const { return m_color; }

    void setId(unsigned id) { m_id = id; }
    void setName(const QString &name) { m_name = name; }
    void setDensity(float density) { m_density = density; }
    void setYoungModulus(float youngModulus) { m_youngModulus = youngModulus; }
    void setPoissonRatio(float poissonRatio) { m_poissonRatio = poissonRatio; }
    void setColor(const Util::Vector4D &color);

    bool isEmpty() const { return m_id == 0; }
    bool operator==(const Material &o) const;
    bool operator!=(const Material &o) const { return !(*this == o); }

private:
    unsigned m_id;
    QString m_name;
    float m_density;
    float m_youngModulus;
    float m_poissonRatio;
    Util::Vector4D m_color; // r, g, b, a in 0..1, rounded to float precision
};

} // namespace Materials
} // namespace Model
