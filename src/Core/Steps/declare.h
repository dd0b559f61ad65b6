#pragma once

#include "parameterspec.h"

// Short forms for the families' declarations: a parameter reads as one chain,
// e.g. length("Film Thickness").label("Film thickness").field("FilmThickness").

namespace Core {
namespace Steps {
namespace Declare {

// The base of the material triple most steps have: "Material_Id", "Material", "Material_Color".
constexpr const char *MaterialBase = "Material";

class Param
{
public:
    Param(const QString &name, ValueKind kind, int stored)
    {
        m_spec.name = name;
        m_spec.kind = kind;
        m_spec.stored = stored;
    }
    operator ParameterSpec() const { return m_spec; }

    Param &label(const QString &text) { m_spec.label = text; return *this; }
    Param &alias(const QString &name) { m_spec.aliases << name; return *this; }
    Param &unit(const QString &text) { m_spec.unit = text; return *this; }
    Param &unitOnlyInLabel() { m_spec.unitInField = false; return *this; }
    Param &range(double minimum, double maximum) { m_spec.minimum = minimum; m_spec.maximum = maximum; return *this; }
    Param &above(double minimum) { m_spec.minimum = minimum; m_spec.aboveMinimum = true; return *this; }
    Param &upTo(double maximum) { m_spec.maximum = maximum; return *this; }
    Param &byDefault(const QVariant &value) { m_spec.defaultValue = value; return *this; }
    Param &decimals(int count) { m_spec.decimals = count; return *this; }
    Param &step(double size) { m_spec.step = size; return *this; }
    Param &choice(int value, const QString &label, const QString &field, const QString &word, const QString &text = QString())
    {
        m_spec.choices.append(Choice{value, label, field, word, text});
        return *this;
    }
    Param &companion(const QString &name) { m_spec.companion = name; return *this; }
    Param &when(const QString &name, const QVariant &value) { m_spec.when = name; m_spec.whenValue = value; return *this; }
    Param &hidden() { m_spec.visible = false; return *this; }
    Param &idShown() { m_spec.idVisible = true; return *this; }
    Param &optional() { m_spec.optional = true; return *this; }
    Param &readByRun() { m_spec.readByRun = true; return *this; }
    Param &materials(unsigned process) { m_spec.materials = process; return *this; }
    Param &field(const QString &name) { m_spec.field = name; return *this; }
    Param &hint(const QString &text) { m_spec.hint = text; return *this; }
    Param &size(const QString &width, const QString &height) { m_spec.widthName = width; m_spec.heightName = height; return *this; }
    Param &upToVolumeHeight() { m_spec.maximumBound = Bound::VolumeHeight; return *this; }
    Param &startsAtMaximum() { m_spec.defaultIsMaximum = true; return *this; }
    Param &notAbove(const QString &name) { m_spec.notAbove = name; return *this; }

private:
    ParameterSpec m_spec;
};

// A length in the volume's units: 0 to 1e9, two decimals.
inline Param length(const QString &name, int stored = QMetaType::Double)
{
    return Param(name, ValueKind::Number, stored).unit(QStringLiteral("units")).range(0, 1e9);
}
inline Param number(const QString &name, int stored = QMetaType::Double) { return Param(name, ValueKind::Number, stored); }
// A count of cells or layers, stored as a whole number.
inline Param whole(const QString &name) { return Param(name, ValueKind::WholeNumber, QMetaType::UInt).decimals(0); }
inline Param material(const QString &base = QLatin1String(MaterialBase))
{
    return Param(base, ValueKind::Material, QMetaType::UInt).label(QStringLiteral("Material")).field(QStringLiteral("Material"));
}
inline Param choice(const QString &name) { return Param(name, ValueKind::Choice, QMetaType::Int).decimals(0); }
inline Param flags(const QString &name) { return Param(name, ValueKind::Flags, QMetaType::Int).decimals(0); }
inline Param flag(const QString &name) { return Param(name, ValueKind::Flag, QMetaType::Bool); }
inline Param text(const QString &name) { return Param(name, ValueKind::Text, QMetaType::QString); }
inline Param mask(const QString &name) { return Param(name, ValueKind::Mask, QMetaType::UnknownType); }
inline Param position(const QString &name) { return Param(name, ValueKind::Position, QMetaType::UnknownType); }

} // namespace Declare
} // namespace Steps
} // namespace Core
