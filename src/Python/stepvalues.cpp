// Python's headers first: they use "slots" as a name, which Qt's headers define as a macro.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "stepvalues.h"

#include "Core/Operations/Photolithography/maskimage.h"
#include "Core/Steps/executor.h"
#include "Core/Steps/stepbuilder.h"
#include "Core/Steps/stepregistry.h"
#include "Model/Automaton/totalvolume.h"
#include "Util/vector3d.h"

#include <QSet>
#include <QStringList>

namespace Python {

using Core::Steps::Bound;
using Core::Steps::Choice;
using Core::Steps::ParameterSpec;
using Core::Steps::StepDefinition;
using Core::Steps::ValueKind;

namespace {

// A Python number, flag or text as a process list holds values; anything else
// as its repr, which the executor then refuses with its own sentence.
QVariant plainValue(py::handle value)
{
    PyObject *object = value.ptr();
    if (PyBool_Check(object))
        return QVariant(object == Py_True);
    // numpy's bool_ is no Python bool and would otherwise read as an index.
    if (py::hasattr(value, "dtype") && py::hasattr(value, "item") &&
        value.attr("dtype").attr("kind").cast<std::string>() == "b")
        return QVariant(value.attr("item")().cast<bool>());
    if (py::isinstance<py::str>(value))
        return QVariant(qtext(value.cast<std::string>()));
    if (!PyFloat_Check(object) && PyIndex_Check(object)) {
        py::object index = py::reinterpret_steal<py::object>(PyNumber_Index(object));
        if (!index)
            throw py::error_already_set();
        int overflow = 0;
        const long long whole = PyLong_AsLongLongAndOverflow(index.ptr(), &overflow);
        if (overflow == 0)
            return QVariant(qlonglong(whole));
        return QVariant(PyLong_AsDouble(index.ptr()));
    }
    if (PyFloat_Check(object) || PyObject_HasAttrString(object, "__float__")) {
        const double number = PyFloat_AsDouble(object);
        if (number == -1.0 && PyErr_Occurred())
            throw py::error_already_set();
        return QVariant(number);
    }
    return QVariant(qtext(py::repr(value).cast<std::string>()));
}

QVariant positionValue(py::handle value)
{
    if (py::isinstance<py::sequence>(value) && !py::isinstance<py::str>(value)) {
        const py::sequence items = py::reinterpret_borrow<py::sequence>(value);
        if (items.size() == 3) {
            double xyz[3];
            bool numbers = true;
            for (int i = 0; i < 3; ++i) {
                const QVariant component = plainValue(items[i]);
                numbers = numbers && component.userType() != QMetaType::QString &&
                          component.userType() != QMetaType::Bool;
                xyz[i] = component.toDouble();
            }
            if (numbers)
                return QVariant::fromValue(Util::Vector3D(xyz[0], xyz[1], xyz[2]));
        }
    }
    return QVariant(qtext(py::repr(value).cast<std::string>()));
}

// A mask given as a 2-D array indexed [x, y] (non-zero = opaque) or as the
// name of a mask image: its bits into values and, unless given by keyword,
// its size and the image's name.
void setMask(QVariantMap &values, const QSet<QString> &given, const ParameterSpec &spec, py::handle value,
             const QString &stepName)
{
    Core::Operations::MaskImage mask;
    if (py::isinstance<py::str>(value)) {
        const QString fileName = qtext(value.cast<std::string>());
        if (!Core::Operations::MaskImage::load(fileName, mask))
            raiseStepError(Core::Steps::StepInvalidParameter,
                           QStringLiteral("The mask image \"%1\" given for \"%2\" cannot be read.")
                               .arg(fileName, spec.name),
                           stepName);
        const QString fileParameter = spec.name + QStringLiteral(" File");
        if (!given.contains(fileParameter))
            values.insert(fileParameter, fileName);
    } else {
        const py::array array = py::array::ensure(value);
        if (!array || array.ndim() != 2 || !(array.dtype().kind() == 'b' || array.dtype().kind() == 'i' ||
                                              array.dtype().kind() == 'u')) {
            PyErr_Clear();
            // Not bits: the step refuses it by name.
            values.insert(spec.name, qtext(py::repr(value).cast<std::string>()));
            return;
        }
        const py::object asBits = array.attr("astype")("bool");
        const auto bits = py::array_t<uint8_t, py::array::c_style | py::array::forcecast>::ensure(asBits);
        mask.width = unsigned(bits.shape(0));
        mask.height = unsigned(bits.shape(1));
        mask.bits.resize(size_t(bits.size()));
        const uint8_t *data = bits.data();
        for (size_t i = 0; i < mask.bits.size(); ++i)
            mask.bits[i] = data[i] != 0;
    }
    values.insert(spec.name, QVariant::fromValue(mask.bits));
    // Sizes given by keyword win over the array's shape.
    if (!given.contains(spec.widthName))
        values.insert(spec.widthName, mask.width);
    if (!given.contains(spec.heightName))
        values.insert(spec.heightName, mask.height);
}

py::object pythonValue(const QVariant &value, const Core::Steps::ProcessData *step, const ParameterSpec &spec)
{
    switch (value.userType()) {
    case QMetaType::Bool:
        return py::bool_(value.toBool());
    case QMetaType::Int:
    case QMetaType::LongLong:
        return py::int_(value.toLongLong());
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return py::int_(value.toULongLong());
    case QMetaType::Float:
    case QMetaType::Double:
        return py::float_(value.toDouble());
    default:
        break;
    }
    if (value.userType() == qMetaTypeId<Util::Vector3D>()) {
        double x = 0, y = 0, z = 0;
        value.value<Util::Vector3D>().get(x, y, z);
        return py::make_tuple(x, y, z);
    }
    if (value.userType() == qMetaTypeId<std::vector<bool>>()) {
        const std::vector<bool> bits = value.value<std::vector<bool>>();
        const size_t width = step ? step->getParameters().value(spec.widthName).toUInt() : 0;
        const size_t height = step ? step->getParameters().value(spec.heightName).toUInt() : 0;
        if (width * height != bits.size())
            return py::array_t<bool>(std::vector<py::ssize_t>{py::ssize_t(bits.size())});
        py::array_t<bool> array({py::ssize_t(width), py::ssize_t(height)});
        bool *data = array.mutable_data();
        for (size_t i = 0; i < bits.size(); ++i)
            data[i] = bits[i];
        return std::move(array);
    }
    if (!value.isValid())
        return py::none();
    return py::str(text(value.toString()));
}

QString kindText(ValueKind kind)
{
    switch (kind) {
    case ValueKind::WholeNumber:
        return QStringLiteral("whole number >= 0");
    case ValueKind::Integer:
    case ValueKind::Choice:
    case ValueKind::Flags:
        return QStringLiteral("whole number");
    case ValueKind::Number:
        return QStringLiteral("number");
    case ValueKind::Flag:
        return QStringLiteral("bool");
    case ValueKind::Text:
        return QStringLiteral("text");
    case ValueKind::Mask:
        return QStringLiteral("2-D array [x, y] or mask image file");
    case ValueKind::Position:
        return QStringLiteral("(x, y, z)");
    case ValueKind::Material:
        return QStringLiteral("material name or id");
    }
    return QString();
}

// The definition's mask whose size parameter name is; null when it is none.
const ParameterSpec *maskSized(const StepDefinition &definition, const QString &name)
{
    for (const ParameterSpec &spec : definition.parameters)
        if (spec.kind == ValueKind::Mask && (spec.widthName == name || spec.heightName == name))
            return &spec;
    return nullptr;
}

bool startsAtVolumeHeight(const ParameterSpec &spec)
{
    return spec.defaultIsMaximum && spec.maximumBound == Bound::VolumeHeight;
}

bool hasRange(const ParameterSpec &spec)
{
    return spec.kind == ValueKind::Number || spec.kind == ValueKind::WholeNumber || spec.kind == ValueKind::Integer ||
           spec.kind == ValueKind::Position;
}

QString pythonFlag(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

// How help() shows a declared value: Python's spelling of flags and positions.
QString valueText(const ParameterSpec &spec, const QVariant &value)
{
    if (spec.kind == ValueKind::Mask)
        return QStringLiteral("None (no mask)");
    return spec.valueText(value, pythonFlag(true), pythonFlag(false));
}

// The values a keyword takes beyond its kind: its range, its choices.
QString rangeOf(const ParameterSpec &spec)
{
    if (spec.kind == ValueKind::Flag && !spec.choices.isEmpty()) {
        QStringList sides;
        for (const Choice &choice : spec.choices)
            sides << QStringLiteral("%1 (%2)").arg(pythonFlag(choice.value != 0), choice.word);
        return sides.join(QStringLiteral(" or "));
    }
    if (spec.kind == ValueKind::Choice || spec.kind == ValueKind::Flags)
        return spec.choicesText();
    if (spec.kind == ValueKind::Position)
        return QStringLiteral("each %1").arg(spec.rangeText());
    if (hasRange(spec))
        return spec.rangeText();
    return QString();
}

// Left out, the step may do without it (a seed, a mask image's name).
bool optional(const ParameterSpec &spec) { return spec.optional || (spec.readByRun && spec.kind != ValueKind::Mask); }

// Whether a keyword must be given: it has no default to take.
bool required(const StepDefinition &definition, const ParameterSpec &spec)
{
    return !startsAtVolumeHeight(spec) && !spec.defaultValue.isValid() && !maskSized(definition, spec.name) &&
           !optional(spec);
}

// What a keyword left out stands for, as help() says it.
QString defaultText(const StepDefinition &definition, const ParameterSpec &spec)
{
    if (startsAtVolumeHeight(spec))
        return QStringLiteral("default: the volume's height");
    if (spec.defaultValue.isValid())
        return QStringLiteral("default %1").arg(valueText(spec, spec.defaultValue));
    if (const ParameterSpec *mask = maskSized(definition, spec.name))
        return QStringLiteral("default: the size of %1").arg(keywordOf(mask->name));
    return optional(spec) ? QStringLiteral("optional") : QStringLiteral("required");
}

QString appliesText(const StepSignature &signature, const ParameterSpec &spec)
{
    if (spec.when.isEmpty())
        return QString();
    const ParameterSpec *controller = signature.definition->parameter(spec.when);
    const QString value = controller && controller->kind == ValueKind::Flag ? pythonFlag(spec.whenValue.toBool())
                                                                            : spec.whenValue.toString();
    return QStringLiteral("only with %1=%2").arg(signature.keywordOfParameter(spec.when), value);
}

} // namespace

const StepSignature &signatureNamed(const std::string &name)
{
    QString detail;
    const StepDefinition *definition = Core::Steps::stepNamed(qtext(name), &detail);
    const StepSignature *signature = definition ? signatureOf(*definition) : nullptr;
    if (!signature) {
        QStringList names;
        for (const StepSignature &known : stepSignatures())
            names << known.definition->name;
        raiseStepError(Core::Steps::StepUnknownProcess, detail, qtext(name),
                       QStringLiteral("The steps are: %1.").arg(names.join(QStringLiteral(", "))));
    }
    return *signature;
}

Core::Steps::ProcessData buildStep(const StepSignature &signature, const py::dict &keywords,
                                   const Model::Automaton::TotalVolume *volume, QMap<QString, QString> *used)
{
    const StepDefinition &definition = *signature.definition;
    // As the dialog starts: the declared defaults, a height at the volume's top.
    QVariantMap values = Core::Steps::defaultValues(definition, volume ? volume->getSizeZ() : 0u);
    QSet<QString> given;
    QMap<QString, QString> keywordOf;
    QList<const ParameterSpec *> masks;
    QList<py::handle> maskValues;
    for (const auto &item : keywords) {
        const QString keyword = qtext(py::str(item.first).cast<std::string>());
        const ParameterSpec *spec = signature.parameter(keyword);
        if (!spec)
            raiseStepError(Core::Steps::StepInvalidParameter,
                           Core::Steps::unknownParameterText(definition, keyword, signature.allKeywords(),
                                                             QStringLiteral("%1")),
                           definition.name, QStringLiteral("Its keywords are: %1.").arg(signature.keywordsText()));
        if (given.contains(spec->name))
            raiseStepError(Core::Steps::StepInvalidParameter,
                           QStringLiteral("%1 and %2 name the same parameter (\"%3\"); give one of them.")
                               .arg(keywordOf.value(spec->name), keyword, spec->name),
                           definition.name);
        given.insert(spec->name);
        keywordOf.insert(spec->name, keyword);
        switch (spec->kind) {
        case ValueKind::Mask:
            // After the other keywords, which may give its size.
            masks << spec;
            maskValues << item.second;
            break;
        case ValueKind::Position:
            values.insert(spec->name, positionValue(item.second));
            break;
        default:
            values.insert(spec->name, plainValue(item.second));
        }
    }
    for (int i = 0; i < masks.size(); ++i)
        setMask(values, given, *masks.at(i), maskValues.at(i), definition.name);
    if (used)
        *used = keywordOf;
    return Core::Steps::makeStep(definition, values);
}

QString withKeywords(const QString &sentence, const StepSignature &signature, const QMap<QString, QString> &used)
{
    QString shown = sentence;
    const StepDefinition &definition = *signature.definition;
    for (int i = 0; i < definition.parameters.size(); ++i) {
        const ParameterSpec &spec = definition.parameters.at(i);
        const QString keyword = used.value(spec.name, signature.keywords.at(i));
        QStringList names{spec.name};
        if (spec.valueName() != spec.name)
            names << spec.valueName();
        // Only the quoted name: "Depth" inside "Etch Depth" is another parameter's.
        for (const QString &name : names) {
            const QString quoted = QLatin1Char('"') + name + QLatin1Char('"');
            shown.replace(quoted, QStringLiteral("%1 (%2)").arg(quoted, keyword));
        }
    }
    return shown;
}

py::dict stepKeywords(const Core::Steps::ProcessData &step)
{
    py::dict keywords;
    const StepDefinition *definition = Core::Steps::definitionOf(step.getType());
    const StepSignature *signature = definition ? signatureOf(*definition) : nullptr;
    if (!signature)
        return keywords;
    for (int i = 0; i < definition->parameters.size(); ++i) {
        const ParameterSpec &spec = definition->parameters.at(i);
        if (step.hasParameter(spec.valueName()))
            keywords[py::str(text(signature->keywords.at(i)))] =
                pythonValue(step.getParameters().value(spec.valueName()), &step, spec);
    }
    return keywords;
}

py::dict stepTypes()
{
    py::dict types;
    for (const StepSignature &signature : stepSignatures()) {
        py::dict keywords;
        for (int i = 0; i < signature.keywords.size(); ++i) {
            const ParameterSpec &spec = signature.definition->parameters.at(i);
            keywords[py::str(text(signature.keywords.at(i)))] =
                py::make_tuple(text(spec.valueName()), text(kindText(spec.kind)));
        }
        types[py::str(text(signature.definition->name))] = keywords;
    }
    return types;
}

py::list stepDefinitions()
{
    py::list steps;
    for (const StepSignature &signature : stepSignatures()) {
        const StepDefinition &definition = *signature.definition;
        py::list parameters;
        for (int i = 0; i < signature.keywords.size(); ++i) {
            const ParameterSpec &spec = definition.parameters.at(i);
            py::dict parameter;
            parameter["keyword"] = text(signature.keywords.at(i));
            py::list aliases;
            for (const QString &alias : signature.aliasKeywords.at(i))
                aliases.append(text(alias));
            parameter["aliases"] = aliases;
            parameter["name"] = text(spec.valueName());
            parameter["kind"] = text(kindText(spec.kind));
            parameter["label"] = text(spec.label);
            parameter["unit"] = text(spec.unit);
            const bool ranged = hasRange(spec);
            parameter["minimum"] = ranged ? py::object(py::float_(spec.minimum)) : py::none();
            parameter["above_minimum"] = ranged && spec.aboveMinimum;
            parameter["maximum"] = ranged && spec.hasMaximum() ? py::object(py::float_(spec.maximum)) : py::none();
            parameter["range"] = text(rangeOf(spec));
            parameter["default"] = startsAtVolumeHeight(spec) ? py::none() : pythonValue(spec.defaultValue, nullptr, spec);
            parameter["default_text"] = text(defaultText(definition, spec));
            parameter["required"] = required(definition, spec);
            py::dict choices;
            for (const Choice &choice : spec.choices)
                choices[py::int_(choice.value)] = text(choice.word);
            parameter["choices"] = choices;
            if (spec.when.isEmpty())
                parameter["applies_when"] = py::none();
            else {
                const ParameterSpec *controller = definition.parameter(spec.when);
                parameter["applies_when"] = py::make_tuple(
                    text(signature.keywordOfParameter(spec.when)),
                    controller && controller->kind == ValueKind::Flag ? py::object(py::bool_(spec.whenValue.toBool()))
                                                                      : py::object(py::str(text(spec.whenValue.toString()))));
            }
            parameters.append(parameter);
        }
        py::dict step;
        step["name"] = text(definition.name);
        py::list names;
        for (const QString &name : definition.names())
            names.append(text(name));
        step["names"] = names;
        step["type"] = definition.type;
        step["summary"] = text(definition.summary);
        step["parameters"] = parameters;
        steps.append(step);
    }
    return steps;
}

QString stepTable()
{
    QString table;
    for (const StepSignature &signature : stepSignatures()) {
        const StepDefinition &definition = *signature.definition;
        QStringList others = definition.names();
        others.removeFirst();
        table += QStringLiteral("%1%2\n    %3\n")
                     .arg(definition.name,
                          others.isEmpty() ? QString()
                                           : QStringLiteral(" (also \"%1\")").arg(others.join(QStringLiteral("\", \""))),
                          definition.summary);
        for (int i = 0; i < signature.keywords.size(); ++i) {
            const ParameterSpec &spec = definition.parameters.at(i);
            QStringList parts{kindText(spec.kind)};
            const QString range = rangeOf(spec);
            if (!range.isEmpty())
                parts << range;
            parts << defaultText(definition, spec);
            const QString applies = appliesText(signature, spec);
            if (!applies.isEmpty())
                parts << applies;
            QString keyword = signature.keywords.at(i);
            if (!signature.aliasKeywords.at(i).isEmpty())
                keyword += QStringLiteral(" (also %1)").arg(signature.aliasKeywords.at(i).join(QStringLiteral(", ")));
            table += QStringLiteral("    %1: %2\n").arg(keyword, parts.join(QStringLiteral("; ")));
        }
    }
    return table;
}

} // namespace Python
