// Python's headers first: they use "slots" as a name, which Qt's headers define as a macro.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include "stepvalues.h"

#include "Core/Steps/executor.h"
#include "Core/Operations/Photolithography/maskimage.h"
#include "Util/vector3d.h"

#include <QStringList>

namespace Python {

using Core::Operations::StepParameterInfo;
using Core::Operations::StepValueKind;

namespace {

// A Python number, flag or text as the runner reads values; anything else as
// its repr, which the runner then refuses with its own sentence.
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
                bool ok = component.userType() != QMetaType::QString && component.userType() != QMetaType::Bool;
                xyz[i] = component.toDouble();
                numbers = numbers && ok;
            }
            if (numbers)
                return QVariant::fromValue(Util::Vector3D(xyz[0], xyz[1], xyz[2]));
        }
    }
    return QVariant(qtext(py::repr(value).cast<std::string>()));
}

// A mask given as a 2-D array indexed [x, y] (non-zero = opaque) or as the
// name of a mask image; sets the bits and, unless given, the mask's size.
void setMask(Core::Steps::ProcessData &step, const StepParameterInfo &parameter, py::handle value, const QString &stepName)
{
    Core::Operations::MaskImage mask;
    if (py::isinstance<py::str>(value)) {
        const QString fileName = qtext(value.cast<std::string>());
        if (!Core::Operations::MaskImage::load(fileName, mask))
            raiseStepError(Core::Steps::StepInvalidParameter,
                           QStringLiteral("The mask image \"%1\" given for \"%2\" cannot be read.")
                               .arg(fileName, parameter.name),
                           stepName);
    } else {
        const py::array array = py::array::ensure(value);
        if (!array || array.ndim() != 2 || !(array.dtype().kind() == 'b' || array.dtype().kind() == 'i' ||
                                              array.dtype().kind() == 'u')) {
            PyErr_Clear();
            step.setParameter(parameter.name, QVariant(qtext(py::repr(value).cast<std::string>())), false);
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
    step.setParameter(parameter.name, QVariant::fromValue(mask.bits), false);
    if (!step.hasParameter(parameter.widthName))
        step.setParameter(parameter.widthName, QVariant(mask.width), true);
    if (!step.hasParameter(parameter.heightName))
        step.setParameter(parameter.heightName, QVariant(mask.height), true);
}

py::object pythonValue(const QVariant &value, const Core::Steps::ProcessData &step, const StepParameterInfo &parameter)
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
        const size_t width = step.getParameters().value(parameter.widthName).toUInt();
        const size_t height = step.getParameters().value(parameter.heightName).toUInt();
        if (width * height != bits.size())
            return py::array_t<bool>(std::vector<py::ssize_t>{py::ssize_t(bits.size())});
        py::array_t<bool> array({py::ssize_t(width), py::ssize_t(height)});
        bool *data = array.mutable_data();
        for (size_t i = 0; i < bits.size(); ++i)
            data[i] = bits[i];
        return std::move(array);
    }
    return py::str(text(value.toString()));
}

QString kindText(StepValueKind kind)
{
    switch (kind) {
    case StepValueKind::WholeNumber:
        return QStringLiteral("whole number >= 0");
    case StepValueKind::Integer:
        return QStringLiteral("whole number");
    case StepValueKind::Number:
        return QStringLiteral("number");
    case StepValueKind::Flag:
        return QStringLiteral("bool");
    case StepValueKind::Text:
        return QStringLiteral("text");
    case StepValueKind::Mask:
        return QStringLiteral("2-D array [x, y] or mask image file");
    case StepValueKind::Position:
        return QStringLiteral("(x, y, z)");
    case StepValueKind::Material:
        return QStringLiteral("material name or id");
    }
    return QString();
}

} // namespace

const StepSignature &signatureOf(const std::string &name)
{
    QString detail;
    const int type = Core::Operations::processStepType(qtext(name), &detail);
    if (type < 0) {
        QStringList names;
        for (const StepSignature &signature : Python::stepSignatures())
            names << signature.name;
        raiseStepError(Core::Steps::StepUnknownProcess, detail, qtext(name),
                       QStringLiteral("The steps are: %1.").arg(names.join(QStringLiteral(", "))));
    }
    return Python::stepSignatures().at(type);
}

Core::Steps::ProcessData buildStep(const StepSignature &signature, const py::dict &keywords)
{
    Core::Steps::ProcessData step(signature.type);
    QList<const StepParameterInfo *> masks;
    QList<py::handle> maskValues;
    for (const auto &item : keywords) {
        const QString keyword = qtext(py::str(item.first).cast<std::string>());
        const int index = signature.indexOf(keyword);
        if (index < 0)
            raiseStepError(Core::Steps::StepInvalidParameter,
                           Core::Steps::unknownParameterText(signature.type, keyword), signature.name,
                           QStringLiteral("Its keywords are: %1.").arg(signature.keywords.join(QStringLiteral(", "))));
        const StepParameterInfo &parameter = signature.parameters.at(index);
        switch (parameter.kind) {
        case StepValueKind::Mask:
            // Sizes given by keyword win over the array's shape, so set them first.
            masks << &parameter;
            maskValues << item.second;
            break;
        case StepValueKind::Position:
            step.setParameter(parameter.name, positionValue(item.second), true);
            break;
        default:
            step.setParameter(parameter.name, plainValue(item.second), true);
        }
    }
    for (int i = 0; i < masks.size(); ++i)
        setMask(step, *masks.at(i), maskValues.at(i), signature.name);
    return step;
}

py::dict stepKeywords(const Core::Steps::ProcessData &step)
{
    py::dict keywords;
    if (step.getType() < 0 || step.getType() >= Core::Steps::ProcessData::TypeCount)
        return keywords;
    const StepSignature &signature = Python::stepSignatures().at(step.getType());
    for (int i = 0; i < signature.parameters.size(); ++i) {
        const StepParameterInfo &parameter = signature.parameters.at(i);
        if (step.hasParameter(parameter.name))
            keywords[py::str(text(signature.keywords.at(i)))] =
                pythonValue(step.getParameters().value(parameter.name), step, parameter);
    }
    return keywords;
}

py::dict stepTypes()
{
    py::dict types;
    for (const StepSignature &signature : Python::stepSignatures()) {
        py::dict keywords;
        for (int i = 0; i < signature.parameters.size(); ++i)
            keywords[py::str(text(signature.keywords.at(i)))] = py::make_tuple(
                text(signature.parameters.at(i).name), text(kindText(signature.parameters.at(i).kind)));
        types[py::str(text(signature.name))] = keywords;
    }
    return types;
}

QString stepTable()
{
    QString table;
    for (const StepSignature &signature : Python::stepSignatures())
        table += QStringLiteral("    %1: %2\n").arg(signature.name, signature.keywords.join(QStringLiteral(", ")));
    return table;
}

} // namespace Python
