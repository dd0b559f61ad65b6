#include "stepbuilder.h"

#include "steprun.h"

#include "Model/Materials/materialfactory.h"
#include "Util/vector4d.h"

#include <QColor>

#include <algorithm>

namespace Core {
namespace Steps {

using Model::Materials::Material;
using Model::Materials::MaterialFactory;

QColor opaqueColor(const Material &material)
{
    // The conversion the list file applies when it refreshes materials on load,
    // so a saved and reloaded step shows the same colour.
    const Util::Vector4D c = material.getColor();
    return QColor::fromRgbF(qBound(0.0, double(c.x), 1.0), qBound(0.0, double(c.y), 1.0), qBound(0.0, double(c.z), 1.0),
                            1.0);
}

QVariantMap defaultValues(const StepDefinition &definition, unsigned volumeHeight)
{
    QVariantMap values;
    for (const StepParameter &param : definition.parameters) {
        if (param.defaultIsMaximum && param.maximumBound == Bound::VolumeHeight && volumeHeight > 0)
            values.insert(param.name, unsigned(std::min(double(volumeHeight), param.maximum)));
        else if (param.defaultValue.isValid())
            values.insert(param.name, param.defaultValue);
    }
    return values;
}

QVariantMap withDefaults(const StepDefinition &definition, const QVariantMap &values, unsigned volumeHeight)
{
    QVariantMap complete = defaultValues(definition, volumeHeight);
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        complete.insert(it.key(), it.value());
    return complete;
}

QVariantMap valuesOf(const StepDefinition &definition, const ProcessData &step)
{
    QVariantMap values;
    for (const StepParameter &param : definition.parameters) {
        const QVariant value = step.getParameters().value(param.valueName());
        if (value.isValid())
            values.insert(param.name, value);
    }
    return values;
}

namespace {

// value in the kind a list keeps for param, or value itself when it does not convert.
QVariant storedForm(const StepParameter &param, const QVariant &value)
{
    bool ok = false;
    switch (param.stored) {
    case QMetaType::Double: {
        const double v = value.toDouble(&ok);
        return ok && value.userType() != QMetaType::Bool ? QVariant(v) : value;
    }
    case QMetaType::Float: {
        const float v = value.toFloat(&ok);
        return ok && value.userType() != QMetaType::Bool ? QVariant(v) : value;
    }
    case QMetaType::UInt: {
        // Only exact whole numbers: a fraction or a negative number stays for the executor to judge.
        const double v = value.toDouble(&ok);
        return ok && v >= 0 && v <= 4294967295.0 && v == double(unsigned(v)) ? QVariant(unsigned(v)) : value;
    }
    case QMetaType::Int: {
        const int v = value.toInt(&ok);
        return ok ? QVariant(v) : value;
    }
    case QMetaType::Bool:
        return value.userType() == QMetaType::Bool || value.canConvert<bool>() ? QVariant(value.toBool()) : value;
    case QMetaType::QString:
        return value.canConvert<QString>() ? QVariant(value.toString()) : value;
    default:
        return value;
    }
}

} // namespace

void storeValue(ProcessData &step, const StepDefinition &definition, const StepParameter &param, const QVariant &value)
{
    Q_UNUSED(definition);
    if (param.kind == ValueKind::Material) {
        const boost::shared_ptr<MaterialFactory> catalogue = MaterialFactory::instance();
        bool isNumber = false;
        const unsigned id = value.toUInt(&isNumber);
        const Material material = isNumber ? catalogue->getMaterial(id) : catalogue->findMaterial(value.toString());
        if (material.isEmpty()) {
            // Unknown: kept as given, for the executor to name.
            step.setParameter(param.valueName(), value, param.idVisible);
            return;
        }
        step.setMaterial(param.name, material.getId(), material.getName(), opaqueColor(material), param.idVisible);
        return;
    }
    const QVariant stored = storedForm(param, value);
    const bool choice = param.kind == ValueKind::Choice || param.kind == ValueKind::Flags;
    step.setParameter(param.name, stored, param.visible);
    if (!param.companion.isEmpty())
        step.setParameter(param.companion, param.companionValue(stored), choice || param.visible);
}

ProcessData makeStep(const StepDefinition &definition, const QVariantMap &values)
{
    ProcessData step(definition.type);
    for (const StepParameter &param : definition.parameters)
        if (values.contains(param.name))
            storeValue(step, definition, param, values.value(param.name));
    // An option's values are shown only while it is chosen.
    for (const StepParameter &param : definition.parameters)
        if (!param.when.isEmpty() && step.hasParameter(param.valueName()))
            step.setParameter(param.valueName(), step.getParameters().value(param.valueName()),
                              param.visible && applies(param, definition, step));
    return step;
}

QString refusalOf(const StepDefinition &definition, const QVariantMap &values)
{
    const ProcessData step = makeStep(definition, values);
    StepValues checked;
    QString sentence;
    if (checked.read(definition, step, sentence) != StepSucceeded)
        return sentence;
    if (!definition.check)
        return QString();
    ProcessRunContext context;
    return definition.check(StepRun(definition, step, checked, context));
}

} // namespace Steps
} // namespace Core
