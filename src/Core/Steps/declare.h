#pragma once

#include "stepparameter.h"

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
        m_param.name = name;
        m_param.kind = kind;
        m_param.stored = stored;
    }
    operator StepParameter() const { return m_param; }

    Param &label(const QString &text) { m_param.label = text; return *this; }
    Param &alias(const QString &name) { m_param.aliases << name; return *this; }
    Param &unit(const QString &text) { m_param.unit = text; return *this; }
    Param &unitOnlyInLabel() { m_param.unitInField = false; return *this; }
    Param &range(double minimum, double maximum) { m_param.minimum = minimum; m_param.maximum = maximum; return *this; }
    Param &above(double minimum) { m_param.minimum = minimum; m_param.aboveMinimum = true; return *this; }
    Param &upTo(double maximum) { m_param.maximum = maximum; return *this; }
    Param &byDefault(const QVariant &value) { m_param.defaultValue = value; return *this; }
    Param &decimals(int count) { m_param.decimals = count; return *this; }
    Param &step(double size) { m_param.step = size; return *this; }
    Param &choice(int value, const QString &label, const QString &field, const QString &word, const QString &text = QString())
    {
        m_param.choices.append(Choice{value, label, field, word, text});
        return *this;
    }
    Param &texts(const QStringList &values) { m_param.texts = values; return *this; }
    Param &companion(const QString &name) { m_param.companion = name; return *this; }
    Param &when(const QString &name, const QVariant &value) { m_param.when = name; m_param.whenValue = value; return *this; }
    Param &hidden() { m_param.visible = false; return *this; }
    Param &idShown() { m_param.idVisible = true; return *this; }
    Param &optional() { m_param.optional = true; return *this; }
    Param &readByRun() { m_param.readByRun = true; return *this; }
    Param &materials(unsigned process) { m_param.materials = process; return *this; }
    Param &field(const QString &name) { m_param.field = name; return *this; }
    Param &hint(const QString &text) { m_param.hint = text; return *this; }
    Param &size(const QString &width, const QString &height) { m_param.widthName = width; m_param.heightName = height; return *this; }
    Param &upToVolumeHeight() { m_param.maximumBound = Bound::VolumeHeight; return *this; }
    Param &startsAtMaximum() { m_param.defaultIsMaximum = true; return *this; }
    Param &notAbove(const QString &name) { m_param.notAbove = name; return *this; }

private:
    StepParameter m_param;
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
