#include "material.h"

namespace Model {
namespace Materials {

namespace {

// Colours are kept at float precision so that a value read back from a file or
// a dialog compares equal to the one that was stored.
Util::Vector4D toFloatPrecision(const Util::Vector4D &c)
{
    return Util::Vector4D(static_cast<float>(c.x), static_cast<float>(c.y), static_cast<float>(c.z),
                          static_cast<float>(c.w));
}

} // namespace

Material::Material()
    : m_id(0), m_name(QStringLiteral("Empty")), m_density(0.0f), m_youngModulus(0.0f), m_poissonRatio(0.0f),
      m_color(toFloatPrecision(Util::Vector4D(0.5, 0.5, 0.5, 1.0)))
{
}

Material::Material(unsigned id, const QString &name, float density, float youngModulus, float poissonRatio,
                   const Util::Vector4D &color)
    : m_id(id), m_name(name), m_density(density), m_youngModulus(youngModulus), m_poissonRatio(poissonRatio),
      m_color(toFloatPrecision(color))
{
}

void Material::setColor(const Util::Vector4D &color) { m_color = toFloatPrecision(color); }

bool Material::operator==(const Material &o) const
{
    return m_id == o.m_id && m_name == o.m_name && m_density == o.m_density && m_youngModulus == o.m_youngModulus
           && m_poissonRatio == o.m_poissonRatio && m_color == o.m_color;
}

} // namespace Materials
} // namespace Model
