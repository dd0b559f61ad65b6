// The Python module "torvane": converts Python values to the step runner's
// parameters and the cells to numpy arrays. Every check and every engine call
// is the runner's; nothing here simulates.

// Python's headers first: they use "slots" as a name, which Qt's headers define as a macro.
#include <pybind11/eval.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "stepkeywords.h"

#include "Core/Operations/BatchRun/processlistfile.h"
#include "Core/Operations/BatchRun/processsteprunner.h"
#include "Core/Operations/Document/documentstorage.h"
#include "Core/Operations/Photolithography/maskimage.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Geometry/fieldpainter.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "Util/vector3d.h"

#include <QLoggingCategory>
#include <QTemporaryDir>

#include <array>
#include <memory>
#include <mutex>
#include <unordered_set>

namespace py = pybind11;

namespace {

using Core::Operations::ProcessRunContext;
using Core::Operations::StepParameterInfo;
using Core::Operations::StepValueKind;
using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;
using Python::StepSignature;

PyObject *stepErrorType = nullptr; // torvane.StepError, kept for the life of the process

std::string text(const QString &value) { return value.toStdString(); }
QString qtext(const std::string &value) { return QString::fromStdString(value); }

[[noreturn]] void raiseStepError(int code, const QString &reason, const QString &step, const QString &hint = QString(),
                                 py::object volume = py::none())
{
    py::object error = py::reinterpret_borrow<py::object>(stepErrorType)(code, text(reason), text(step), text(hint));
    error.attr("volume") = volume;
    PyErr_SetObject(stepErrorType, error.ptr());
    throw py::error_already_set();
}

[[noreturn]] void raise(PyObject *type, const QString &message)
{
    PyErr_SetString(type, message.toUtf8().constData());
    throw py::error_already_set();
}

// A cell volume with the run state the runner keeps per volume.
struct Volume
{
    explicit Volume(const boost::shared_ptr<TotalVolume> &volume) : cells(volume) {}

    // Read and replaced only with the GIL held; code that releases it works on its own copy.
    boost::shared_ptr<TotalVolume> cells;
    QMap<int, bool> latticeStale;
    // One run at a time per volume; taken with the GIL released. Recursive, so
    // that a progress callback may run steps on, copy or set the volume it reports on.
    std::recursive_mutex runLock;
};
typedef std::shared_ptr<Volume> VolumePtr;

const StepSignature &signatureOf(const std::string &name)
{
    QString detail;
    const int type = Core::Operations::processStepType(qtext(name), &detail);
    if (type < 0) {
        QStringList names;
        for (const StepSignature &signature : Python::stepSignatures())
            names << signature.name;
        raiseStepError(Core::Operations::StepUnknownProcess, detail, qtext(name),
                       QStringLiteral("The steps are: %1.").arg(names.join(QStringLiteral(", "))));
    }
    return Python::stepSignatures().at(type);
}

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
void setMask(Ui::ProcessData &step, const StepParameterInfo &parameter, py::handle value, const QString &stepName)
{
    Core::Operations::MaskImage mask;
    if (py::isinstance<py::str>(value)) {
        const QString fileName = qtext(value.cast<std::string>());
        if (!Core::Operations::MaskImage::load(fileName, mask))
            raiseStepError(Core::Operations::StepInvalidParameter,
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

Ui::ProcessData buildStep(const StepSignature &signature, const py::dict &keywords)
{
    Ui::ProcessData step(signature.type);
    QList<const StepParameterInfo *> masks;
    QList<py::handle> maskValues;
    for (const auto &item : keywords) {
        const QString keyword = qtext(py::str(item.first).cast<std::string>());
        const int index = signature.indexOf(keyword);
        if (index < 0)
            raiseStepError(Core::Operations::StepInvalidParameter,
                           Core::Operations::unknownParameterText(signature.type, keyword), signature.name,
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

py::object pythonValue(const QVariant &value, const Ui::ProcessData &step, const StepParameterInfo &parameter)
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

py::dict stepKeywords(const Ui::ProcessData &step)
{
    py::dict keywords;
    if (step.getType() < 0 || step.getType() >= Ui::ProcessData::TypeCount)
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

template <class T>
std::array<T, 3> triple(py::handle value, const char *name, const char *what)
{
    try {
        return value.cast<std::array<T, 3>>();
    } catch (const py::cast_error &) {
        raise(PyExc_TypeError, QStringLiteral("%1 must be three %2, not %3.")
                                   .arg(QLatin1String(name), QLatin1String(what),
                                        qtext(py::repr(value).cast<std::string>())));
    }
}

VolumePtr newVolume(py::object size, py::object cell, py::object origin)
{
    const auto n = triple<unsigned>(size, "size", "whole numbers of cells (nx, ny, nz)");
    const auto c = triple<float>(cell, "cell", "numbers (cx, cy, cz)");
    const auto o = triple<double>(origin, "origin", "numbers (x, y, z)");
    QString error;
    boost::shared_ptr<TotalVolume> volume;
    {
        py::gil_scoped_release release;
        volume = TotalVolume::create(n[0], n[1], n[2], c[0], c[1], c[2], Util::Vector3D(o[0], o[1], o[2]), 0, &error);
    }
    if (!volume)
        raise(PyExc_ValueError, error);
    return std::make_shared<Volume>(volume);
}

// Runs one step on the volume; a refused step leaves it as it was and raises.
void runStep(Volume &self, const std::string &name, const py::kwargs &keywords)
{
    const StepSignature &signature = signatureOf(name);
    const Ui::ProcessData step = buildStep(signature, keywords);
    ProcessRunContext context;
    context.volume = self.cells;
    context.latticeStale = &self.latticeStale;
    int code = 0;
    {
        py::gil_scoped_release release;
        std::lock_guard<std::recursive_mutex> lock(self.runLock);
        code = Core::Operations::runProcessStep(step, context);
    }
    if (code != Core::Operations::StepSucceeded)
        raiseStepError(code, context.detail, signature.name);
    // "Create Substrate" makes a new volume; this object then holds it.
    self.cells = context.volume;
}

// torvane.substrate(...): a "Create Substrate" step on no volume.
VolumePtr substrate(const py::kwargs &given)
{
    py::dict keywords;
    // The choices a substrate rarely changes; every size must be given.
    keywords["spherical_substrate"] = false;
    keywords["lower_left_front_corner"] = py::make_tuple(0.0, 0.0, 0.0);
    keywords["substrate_delta_x"] = 0;
    keywords["substrate_delta_y"] = 0;
    keywords["substrate_delta_z"] = 0;
    for (const auto &item : given)
        keywords[item.first] = item.second;
    const StepSignature &signature = Python::stepSignatures().at(Ui::ProcessData::CreateSubstrate);
    const Ui::ProcessData step = buildStep(signature, keywords);
    ProcessRunContext context;
    int code = 0;
    {
        py::gil_scoped_release release;
        code = Core::Operations::runProcessStep(step, context);
    }
    if (code != Core::Operations::StepSucceeded)
        raiseStepError(code, context.detail, signature.name);
    return std::make_shared<Volume>(context.volume);
}

py::array_t<uint32_t> materialsOf(Volume &self)
{
    const boost::shared_ptr<TotalVolume> held = self.cells;
    TotalVolume &volume = *held;
    py::array_t<uint32_t> out({py::ssize_t(volume.getSizeX()), py::ssize_t(volume.getSizeY()),
                               py::ssize_t(volume.getSizeZ())});
    uint32_t *data = out.mutable_data();
    {
        py::gil_scoped_release release;
        const CellLock lock(volume);
        const Model::Automaton::Voxel *cells = lock.cells();
        const uint64_t count = volume.getCellCount();
        for (uint64_t i = 0; i < count; ++i)
            data[i] = cells[i].material;
    }
    return out;
}

void setMaterials(Volume &self, const py::array &array)
{
    const boost::shared_ptr<TotalVolume> held = self.cells;
    TotalVolume &volume = *held;
    const char kind = array.dtype().kind();
    if (kind != 'i' && kind != 'u')
        raise(PyExc_TypeError, QStringLiteral("set_materials takes an array of whole material ids, not of dtype %1.")
                                   .arg(qtext(py::str(array.dtype()).cast<std::string>())));
    const std::array<py::ssize_t, 3> expected = {volume.getSizeX(), volume.getSizeY(), volume.getSizeZ()};
    if (array.ndim() != 3 || array.shape(0) != expected[0] || array.shape(1) != expected[1] ||
        array.shape(2) != expected[2]) {
        QStringList shape;
        for (py::ssize_t i = 0; i < array.ndim(); ++i)
            shape << QString::number(array.shape(i));
        raise(PyExc_ValueError, QStringLiteral("The array has shape (%1); the volume needs (%2, %3, %4).")
                                    .arg(shape.join(QStringLiteral(", ")))
                                    .arg(expected[0])
                                    .arg(expected[1])
                                    .arg(expected[2]));
    }
    const auto ids = py::array_t<int64_t, py::array::c_style | py::array::forcecast>::ensure(array);
    const int64_t *data = ids.data();
    const uint64_t count = volume.getCellCount();
    // Every id is checked before any cell changes.
    std::unordered_set<int64_t> known{0};
    int64_t unknown = 0;
    bool refused = false;
    {
        py::gil_scoped_release release;
        const boost::shared_ptr<Model::Materials::MaterialFactory> catalogue =
            Model::Materials::MaterialFactory::instance();
        int64_t last = 0;
        for (uint64_t i = 0; i < count && !refused; ++i) {
            const int64_t id = data[i];
            if (id == last || known.count(id))
                continue;
            if (id < 0 || id > int64_t(UINT32_MAX) || catalogue->getMaterial(unsigned(id)).isEmpty()) {
                unknown = id;
                refused = true;
            }
            known.insert(id);
            last = id;
        }
    }
    if (refused)
        raise(PyExc_ValueError, QStringLiteral("Material %1 is not in the materials catalogue.").arg(unknown));
    py::gil_scoped_release release;
    std::lock_guard<std::recursive_mutex> runGuard(self.runLock);
    const CellLock lock(volume);
    Model::Automaton::Voxel *cells = lock.cells();
    for (uint64_t i = 0; i < count; ++i)
        cells[i].material = uint32_t(data[i]);
    self.latticeStale.insert(volume.getId(), true);
}

py::object particleCounts(Volume &self, const std::string &type)
{
    TotalVolume &volume = *self.cells;
    QString property;
    if (type == "N" || type == "n")
        property = Model::Geometry::FieldPainter::nTypeProperty();
    else if (type == "P" || type == "p")
        property = Model::Geometry::FieldPainter::pTypeProperty();
    else
        raise(PyExc_ValueError, QStringLiteral("The particle type is \"N\" or \"P\", not \"%1\".").arg(qtext(type)));
    const Model::Geometry::ParticleCounterArray counters =
        Model::Geometry::FieldPainter::countersOf(volume.getProperty(property));
    if (!counters || counters->size() != volume.getCellCount())
        return py::none();
    py::array_t<int32_t> out({py::ssize_t(volume.getSizeX()), py::ssize_t(volume.getSizeY()),
                              py::ssize_t(volume.getSizeZ())});
    int32_t *data = out.mutable_data();
    for (size_t i = 0; i < counters->size(); ++i)
        data[i] = (*counters)[i].values[6];
    return std::move(out);
}

VolumePtr copyOf(Volume &self)
{
    const boost::shared_ptr<TotalVolume> held = self.cells;
    boost::shared_ptr<TotalVolume> copy;
    {
        py::gil_scoped_release release;
        std::lock_guard<std::recursive_mutex> lock(self.runLock);
        copy.reset(dynamic_cast<TotalVolume *>(held->clone()));
    }
    if (!copy)
        raise(PyExc_MemoryError, QStringLiteral("There is not enough memory to copy the cell volume."));
    return std::make_shared<Volume>(copy);
}

// A scene of its own for reading or writing one document, with its scratch
// files in a temporary folder instead of the working directory.
struct Scene
{
    QTemporaryDir scratch;
    Core::Operations::Workspace workspace{boost::shared_ptr<Core::Operations::IOperationFactory>(), scratch.path()};
};

std::string saveDocument(const std::string &path, const std::vector<VolumePtr> &volumes)
{
    const QString fileName = Core::Operations::DocumentStorage::withExtension(qtext(path));
    std::vector<boost::shared_ptr<TotalVolume>> held;
    for (const VolumePtr &volume : volumes)
        held.push_back(volume->cells);
    bool saved = false;
    {
        py::gil_scoped_release release;
        Scene scene;
        for (const boost::shared_ptr<TotalVolume> &volume : held)
            scene.workspace.document().addObject(volume);
        saved = Core::Operations::DocumentStorage::save(fileName, scene.workspace, nullptr);
    }
    if (!saved)
        raise(PyExc_OSError, QStringLiteral("The document \"%1\" could not be written.").arg(fileName));
    return text(fileName);
}

std::vector<VolumePtr> loadDocument(const std::string &path)
{
    std::vector<VolumePtr> volumes;
    QString message;
    Core::Operations::DocumentStorage::LoadStatus status;
    {
        py::gil_scoped_release release;
        Scene scene;
        status = Core::Operations::DocumentStorage::load(qtext(path), scene.workspace, nullptr, &message);
        for (const boost::shared_ptr<Model::Object> &object : scene.workspace.document().getObjects())
            if (const boost::shared_ptr<TotalVolume> volume = boost::dynamic_pointer_cast<TotalVolume>(object))
                volumes.push_back(std::make_shared<Volume>(volume));
    }
    switch (status) {
    case Core::Operations::DocumentStorage::Unreadable:
        raise(PyExc_OSError, message);
    case Core::Operations::DocumentStorage::Refused:
        raise(PyExc_ValueError, message);
    case Core::Operations::DocumentStorage::LoadedDamaged:
        PyErr_WarnEx(PyExc_RuntimeWarning, message.toUtf8().constData(), 1);
        break;
    case Core::Operations::DocumentStorage::Loaded:
        break;
    }
    return volumes;
}

struct ProcessList
{
    Ui::ProcessList steps;
};

ProcessList loadList(const std::string &path)
{
    Core::Operations::ProcessListFile::LoadResult result;
    bool loaded = false;
    {
        py::gil_scoped_release release;
        loaded = Core::Operations::ProcessListFile::load(qtext(path), result, nullptr);
    }
    if (!loaded)
        raise(PyExc_OSError, result.error);
    if (result.upgraded)
        PyErr_WarnEx(PyExc_UserWarning, Core::Operations::ProcessListFile::upgradeText().toUtf8().constData(), 1);
    return ProcessList{result.list};
}

py::list listSteps(const ProcessList &self)
{
    py::list steps;
    for (const Ui::ProcessData &step : self.steps)
        steps.append(py::make_tuple(text(step.displayName()), stepKeywords(step)));
    return steps;
}

// The Python error a callback raised, carried out of the released section.
struct PendingError
{
    std::shared_ptr<py::error_already_set> error;

    void take() { error = std::make_shared<py::error_already_set>(); }
    explicit operator bool() const { return bool(error); }
};

py::object runList(const ProcessList &self, py::object vol, py::object progress)
{
    VolumePtr target;
    if (!vol.is_none())
        target = vol.cast<VolumePtr>();
    QMap<int, bool> freshStale;
    ProcessRunContext context;
    context.latticeStale = target ? &target->latticeStale : &freshStale;
    if (target)
        context.volume = target->cells;
    const int count = self.steps.size();
    PendingError pending;
    int failedIndex = -1;
    int failedCode = 0;

    const Core::Operations::StepReport report = [&](int index, int code, qint64) {
        if (code != Core::Operations::StepSucceeded) {
            failedIndex = index;
            failedCode = code;
            return;
        }
        py::gil_scoped_acquire gil;
        // The volume object follows the run, so a callback sees the cells as they are now.
        if (target)
            target->cells = context.volume;
        if (progress.is_none())
            return;
        try {
            progress(index + 1, count, text(self.steps.at(index).displayName()));
        } catch (py::error_already_set &error) {
            pending.error = std::make_shared<py::error_already_set>(std::move(error));
        }
    };
    // Ctrl+C and a failed progress callback end the run before the next step.
    const auto stopRequested = [&]() {
        py::gil_scoped_acquire gil;
        if (pending)
            return true;
        if (PyErr_CheckSignals() != 0) {
            pending.take();
            return true;
        }
        return false;
    };

    {
        py::gil_scoped_release release;
        std::unique_lock<std::recursive_mutex> lock;
        if (target)
            lock = std::unique_lock<std::recursive_mutex>(target->runLock);
        Core::Operations::runProcessSteps(self.steps, context, report, stopRequested);
    }
    if (target)
        target->cells = context.volume;

    py::object result = py::none();
    if (target)
        result = py::cast(target);
    else if (context.volume) {
        VolumePtr made = std::make_shared<Volume>(context.volume);
        made->latticeStale = freshStale;
        result = py::cast(made);
    }
    if (pending)
        throw py::error_already_set(*pending.error);
    if (failedIndex >= 0)
        raiseStepError(failedCode, context.detail, self.steps.at(failedIndex).displayName(),
                       QStringLiteral("(step %1 of %2)").arg(failedIndex + 1).arg(count), result);
    return result;
}

py::list materialCatalogue()
{
    py::list materials;
    for (const Model::Materials::Material &material : Model::Materials::MaterialFactory::instance()->getMaterials()) {
        const Util::Vector4D color = material.getColor();
        py::dict entry;
        entry["id"] = material.getId();
        entry["name"] = text(material.getName());
        entry["color"] = py::make_tuple(color.x, color.y, color.z, color.w);
        entry["density"] = material.getDensity();
        entry["young_modulus"] = material.getYoungModulus();
        entry["poisson_ratio"] = material.getPoissonRatio();
        materials.append(entry);
    }
    return materials;
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

const char *const StepErrorSource = R"(
class StepError(Exception):
    """A step the runner refused or that failed.

    code   -- the runner's result code: 1 a parameter is missing, 2 a value is
              invalid (not convertible, not finite, outside the volume, an
              unknown material), 3 no such process, -1 no volume to work on.
    reason -- the runner's sentence saying why.
    step   -- the step's list name.
    volume -- for ProcessList.run, the volume as the steps before the failure
              left it (None when no volume was made); None otherwise.
    """

    def __init__(self, code, reason, step="", hint=""):
        super().__init__(reason + (" " + hint if hint else ""))
        self.code = code
        self.reason = reason
        self.step = step
        self.volume = None
)";

} // namespace

PYBIND11_MODULE(torvane, m)
{
    m.doc() = "Torvane's process steps from Python: cell volumes, the step runner the batch run uses, "
              "documents and process lists. See docs/PYTHON.md.";

    // The catalogues live in ~/Torvane, as for the program and torvane-batch.
    Model::Process::initializeCatalogues();
    // The core's debug lines (a parameter looked up and not found ...) are for the
    // program's log, not a script's stderr; QT_LOGGING_RULES still decides when set.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));

    py::dict scope = m.attr("__dict__");
    py::exec(StepErrorSource, scope);
    stepErrorType = m.attr("StepError").ptr();
    Py_INCREF(stepErrorType);
    m.attr("StepError").attr("__module__") = "torvane";

    const std::string runDoc =
        "run(step, **keywords)\n\n"
        "Runs one process step on this volume through the step runner, as a process list would.\n"
        "step is the list name; keywords are the list's parameter names in snake case (materials by\n"
        "name or id, masks as 2-D arrays [x, y] or image files, positions as (x, y, z)).\n"
        "The engine runs with the GIL released. A refused step raises StepError (code, reason) and\n"
        "leaves the cells as they were. \"Create Substrate\" replaces this volume's cells;\n"
        "\"Save Image\" has no view to draw here and does nothing.\n\nSteps and keywords:\n" +
        text(stepTable());

    py::class_<Volume, VolumePtr>(m, "Volume",
                                  "A cell volume: a box of cells, each holding a material id (0 = empty).")
        .def(py::init(&newVolume), py::arg("size"), py::arg("cell") = py::make_tuple(1.0, 1.0, 1.0),
             py::arg("origin") = py::make_tuple(0.0, 0.0, 0.0),
             "Volume(size=(nx, ny, nz), cell=(cx, cy, cz), origin=(x, y, z))\n\n"
             "An empty volume. Raises ValueError for sizes that cannot be built.")
        .def("run", &runStep, py::arg("step"), runDoc.c_str())
        .def_property_readonly("materials", &materialsOf,
                               "A new numpy uint32 array of shape (nx, ny, nz) holding each cell's material id.\n"
                               "A copy: changing it does not change the volume (use set_materials).")
        .def("set_materials", &setMaterials, py::arg("array"),
             "set_materials(array)\n\nReplaces every cell's material with an integer array of shape (nx, ny, nz).\n"
             "Raises TypeError or ValueError (wrong dtype or shape, an id not in the catalogue) and then\n"
             "changes nothing.")
        .def("particle_counts", &particleCounts, py::arg("type") = "N",
             "particle_counts(type=\"N\")\n\nThe random-walk doping particle count of each cell as an int32\n"
             "array (nx, ny, nz) for type \"N\" or \"P\"; None when no random-walk doping left counts.")
        .def("copy", &copyOf, "An independent volume with the same materials.")
        .def(
            "save", [](const VolumePtr &self, const std::string &path) { return saveDocument(path, {self}); },
            py::arg("path"),
            "save(path)\n\nWrites a Torvane document (.tvn added when the name has no extension) holding this\n"
            "volume; a failed write leaves any previous file intact and raises OSError. Returns the name.")
        .def_property_readonly(
            "size",
            [](const Volume &v) { return py::make_tuple(v.cells->getSizeX(), v.cells->getSizeY(), v.cells->getSizeZ()); },
            "(nx, ny, nz) in cells.")
        .def_property_readonly(
            "cell",
            [](const Volume &v) {
                return py::make_tuple(v.cells->getCellSizeX(), v.cells->getCellSizeY(), v.cells->getCellSizeZ());
            },
            "The size of one cell (cx, cy, cz).")
        .def_property_readonly(
            "origin",
            [](const Volume &v) {
                double x = 0, y = 0, z = 0;
                v.cells->getPosition().get(x, y, z);
                return py::make_tuple(x, y, z);
            },
            "The lower left front corner (x, y, z).")
        .def("__repr__", [](const Volume &v) {
            return "<torvane.Volume " + std::to_string(v.cells->getSizeX()) + " x " +
                   std::to_string(v.cells->getSizeY()) + " x " + std::to_string(v.cells->getSizeZ()) + ">";
        });

    m.def("substrate", &substrate,
          "substrate(**keywords)\n\n"
          "A new volume made by a \"Create Substrate\" step: material, volume_size_x/y/z,\n"
          "substrate_size_x/y/z (or spherical_substrate=True with substrate_center_x/y/z and\n"
          "substrate_radius). Defaults: spherical_substrate=False, lower_left_front_corner=(0, 0, 0),\n"
          "substrate_delta_x/y/z=0. Raises StepError as Volume.run does.");
    m.def("load", &loadDocument, py::arg("path"),
          "load(path)\n\nThe cell volumes of a Torvane document, as a list. Raises OSError when the file cannot\n"
          "be opened and ValueError when it is not a document; a damaged document gives what could be read\n"
          "with a RuntimeWarning.");
    m.def("save", &saveDocument, py::arg("path"), py::arg("volumes"),
          "save(path, volumes)\n\nWrites one Torvane document holding the volumes; returns the file name.");
    m.def("materials", &materialCatalogue,
          "The materials catalogue: a list of dicts with id, name, color (r, g, b, a), density,\n"
          "young_modulus and poisson_ratio.");
    m.def("step_types", &stepTypes,
          "Every step type by list name, each a dict of keyword -> (list parameter name, kind of value).");

    py::class_<ProcessList>(m, "ProcessList", "A process list (.plst).")
        .def_static("load", &loadList, py::arg("path"),
                    "ProcessList.load(path)\n\nReads a process list; raises OSError with the reason when it "
                    "cannot.")
        .def_property_readonly("steps", &listSteps,
                               "The steps as (list name, keywords) pairs; vol.run(name, **keywords) runs one.")
        .def("__len__", [](const ProcessList &self) { return self.steps.size(); })
        .def("run", &runList, py::arg("vol") = py::none(), py::arg("progress") = py::none(),
             "run(vol=None, progress=None)\n\n"
             "Runs the steps in order with the step runner, as torvane-batch does, and returns the volume.\n"
             "Without vol the list starts on a fresh scene (its \"Create Substrate\" makes the volume).\n"
             "progress(k, n, name) is called after each finished step. Ctrl+C (KeyboardInterrupt) and an\n"
             "error raised by progress stop the run before the next step. A failed step raises StepError;\n"
             "its .volume holds what the steps before it made.");
}
