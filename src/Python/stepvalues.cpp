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
using Core::Steps::StepParameter;
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
void setMask(QVariantMap &values, const QSet<QString> &given, const StepParameter &param, py::handle value,
             const QString &stepName)
{
    Core::Operations::MaskImage mask;
    if (py::isinstance<py::str>(value)) {
        const QString fileName = qtext(value.cast<std::string>());
        if (!Core::Operations::MaskImage::load(fileName, mask))
            raiseStepError(Core::Steps::StepInvalidParameter,
                           QStringLiteral("The mask image \"%1\" given for \"%2\" cannot be read.")
                               .arg(fileName, param.name),
                           stepName);
        const QString fileParameter = param.name + QStringLiteral(" File");
        if (!given.contains(fileParameter))
            values.insert(fileParameter, fileName);
    } else {
        const py::array array = py::array::ensure(value);
        if (!array || array.ndim() != 2 || !(array.dtype().kind() == 'b' || array.dtype().kind() == 'i' ||
                                              array.dtype().kind() == 'u')) {
            PyErr_Clear();
            // Not bits: the step refuses it by name.
            values.insert(param.name, qtext(py::repr(value).cast<std::string>()));
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
    values.insert(param.name, QVariant::fromValue(mask.bits));
    // Sizes given by keyword win over the array's shape.
    if (!given.contains(param.widthName))
        values.insert(param.widthName, mask.width);
    if (!given.contains(param.heightName))
        values.insert(param.heightName, mask.height);
}

py::object pythonValue(const QVariant &value, const Core::Steps::ProcessData *step, const StepParameter &param)
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
        const size_t width = step ? step->getParameters().value(param.widthName).toUInt() : 0;
        const size_t height = step ? step->getParameters().value(param.heightName).toUInt() : 0;
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
const StepParameter *maskSized(const StepDefinition &definition, const QString &name)
{
    for (const StepParameter &param : definition.parameters)
        if (param.kind == ValueKind::Mask && (param.widthName == name || param.heightName == name))
            return &param;
    return nullptr;
}

bool startsAtVolumeHeight(const StepParameter &param)
{
    return param.defaultIsMaximum && param.maximumBound == Bound::VolumeHeight;
}

bool hasRange(const StepParameter &param)
{
    return param.kind == ValueKind::Number || param.kind == ValueKind::WholeNumber || param.kind == ValueKind::Integer ||
           param.kind == ValueKind::Position;
}

QString pythonFlag(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }

// How help() shows a declared value: Python's spelling of flags and positions.
QString valueText(const StepParameter &param, const QVariant &value)
{
    if (param.kind == ValueKind::Mask)
        return QStringLiteral("None (no mask)");
    return param.valueText(value, pythonFlag(true), pythonFlag(false));
}

// The values a keyword takes beyond its kind: its range, its choices.
QString rangeOf(const StepParameter &param)
{
    if (param.kind == ValueKind::Flag && !param.choices.isEmpty()) {
        QStringList sides;
        for (const Choice &choice : param.choices)
            sides << QStringLiteral("%1 (%2)").arg(pythonFlag(choice.value != 0), choice.word);
        return sides.join(QStringLiteral(" or "));
    }
    if (param.kind == ValueKind::Choice || param.kind == ValueKind::Flags || param.kind == ValueKind::Text)
        return param.choicesText();
    if (param.kind == ValueKind::Position)
        return QStringLiteral("each %1").arg(param.rangeText());
    if (hasRange(param))
        return param.rangeText();
    return QString();
}

// Left out, the step may do without it (a seed, a mask image's name).
bool optional(const StepParameter &param) { return param.optional || (param.readByRun && param.kind != ValueKind::Mask); }

// Whether a keyword must be given: it has no default to take.
bool required(const StepDefinition &definition, const StepParameter &param)
{
    return !startsAtVolumeHeight(param) && !param.defaultValue.isValid() && !maskSized(definition, param.name) &&
           !optional(param);
}

// What a keyword left out stands for, as help() says it.
QString defaultText(const StepDefinition &definition, const StepParameter &param)
{
    if (startsAtVolumeHeight(param))
        return QStringLiteral("default: the volume's height");
    if (param.defaultValue.isValid())
        return QStringLiteral("default %1").arg(valueText(param, param.defaultValue));
    if (const StepParameter *mask = maskSized(definition, param.name))
        return QStringLiteral("default: the size of %1").arg(keywordOf(mask->name));
    return optional(param) ? QStringLiteral("optional") : QStringLiteral("required");
}

QString appliesText(const StepSignature &signature, const StepParameter &param)
{
    if (param.when.isEmpty())
        return QString();
    const StepParameter *controller = signature.definition->parameter(param.when);
    const QString value = controller && controller->kind == ValueKind::Flag ? pythonFlag(param.whenValue.toBool())
                                                                            : param.whenValue.toString();
    return QStringLiteral("only with %1=%2").arg(signature.keywordOfParameter(param.when), value);
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
    QList<const StepParameter *> masks;
    QList<py::handle> maskValues;
    for (const auto &item : keywords) {
        const QString keyword = qtext(py::str(item.first).cast<std::string>());
        const StepParameter *param = signature.parameter(keyword);
        if (!param)
            raiseStepError(Core::Steps::StepInvalidParameter,
                           Core::Steps::unknownParameterText(definition, keyword, signature.allKeywords(),
                                                             QStringLiteral("%1")),
                           definition.name, QStringLiteral("Its keywords are: %1.").arg(signature.keywordsText()));
        if (given.contains(param->name))
            raiseStepError(Core::Steps::StepInvalidParameter,
                           QStringLiteral("%1 and %2 name the same parameter (\"%3\"); give one of them.")
                               .arg(keywordOf.value(param->name), keyword, param->name),
                           definition.name);
        given.insert(param->name);
        keywordOf.insert(param->name, keyword);
        switch (param->kind) {
        case ValueKind::Mask:
            // After the other keywords, which may give its size.
            masks << param;
            maskValues << item.second;
            break;
        case ValueKind::Position:
            values.insert(param->name, positionValue(item.second));
            break;
        default:
            values.insert(param->name, plainValue(item.second));
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
        const StepParameter &param = definition.parameters.at(i);
        const QString keyword = used.value(param.name, signature.keywords.at(i));
        QStringList names{param.name};
        if (param.valueName() != param.name)
            names << param.valueName();
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
        const StepParameter &param = definition->parameters.at(i);
        if (step.hasParameter(param.valueName()))
            keywords[py::str(text(signature->keywords.at(i)))] =
                pythonValue(step.getParameters().value(param.valueName()), &step, param);
    }
    return keywords;
}

py::dict stepTypes()
{
    py::dict types;
    for (const StepSignature &signature : stepSignatures()) {
        py::dict keywords;
        for (int i = 0; i < signature.keywords.size(); ++i) {
            const StepParameter &param = signature.definition->parameters.at(i);
            keywords[py::str(text(signature.keywords.at(i)))] =
                py::make_tuple(text(param.valueName()), text(kindText(param.kind)));
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
            const StepParameter &param = definition.parameters.at(i);
            py::dict parameter;
            parameter["keyword"] = text(signature.keywords.at(i));
            py::list aliases;
            for (const QString &alias : signature.aliasKeywords.at(i))
                aliases.append(text(alias));
            parameter["aliases"] = aliases;
            parameter["name"] = text(param.valueName());
            parameter["kind"] = text(kindText(param.kind));
            parameter["label"] = text(param.label);
            parameter["unit"] = text(param.unit);
            const bool ranged = hasRange(param);
            parameter["minimum"] = ranged ? py::object(py::float_(param.minimum)) : py::none();
            parameter["above_minimum"] = ranged && param.aboveMinimum;
            parameter["maximum"] = ranged && param.hasMaximum() ? py::object(py::float_(param.maximum)) : py::none();
            parameter["range"] = text(rangeOf(param));
            parameter["default"] = startsAtVolumeHeight(param) ? py::none() : pythonValue(param.defaultValue, nullptr, param);
            parameter["default_text"] = text(defaultText(definition, param));
            parameter["required"] = required(definition, param);
            py::dict choices;
            for (const Choice &choice : param.choices)
                choices[py::int_(choice.value)] = text(choice.word);
            parameter["choices"] = choices;
            if (param.when.isEmpty())
                parameter["applies_when"] = py::none();
            else {
                const StepParameter *controller = definition.parameter(param.when);
                parameter["applies_when"] = py::make_tuple(
                    text(signature.keywordOfParameter(param.when)),
                    controller && controller->kind == ValueKind::Flag ? py::object(py::bool_(param.whenValue.toBool()))
                                                                      : py::object(py::str(text(param.whenValue.toString()))));
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
            const StepParameter &param = definition.parameters.at(i);
            QStringList parts{kindText(param.kind)};
            const QString range = rangeOf(param);
            if (!range.isEmpty())
                parts << range;
            parts << defaultText(definition, param);
            const QString applies = appliesText(signature, param);
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
