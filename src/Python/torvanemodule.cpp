// The Python module "torvane": converts Python values to the step executor's
// parameters and the cells to numpy arrays. Every check and every engine call
// is the executor's; nothing here simulates.

// Python's headers first: they use "slots" as a name, which Qt's headers define as a macro.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "analysisbindings.h"
#include "interrupt.h"
#include "stepvalues.h"
#include "volume.h"

#include "Core/Operations/BatchRun/processlistfile.h"
#include "Core/Steps/executor.h"
#include "Core/Steps/stepregistry.h"
#include "Core/Operations/Document/documentstorage.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Geometry/fieldpainter.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "Util/slabrunner.h"
#include "Util/vector3d.h"
#include "Util/version.h"

#include <QLoggingCategory>
#include <QThreadPool>
#include <QTemporaryDir>

#include <array>
#include <memory>
#include <unordered_set>

namespace py = pybind11;

namespace {

using Core::Steps::ProcessRunContext;
using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;
using namespace Python;

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
    const StepSignature &signature = signatureNamed(name);
    QMap<QString, QString> used;
    const Core::Steps::ProcessData step = buildStep(signature, keywords, self.cells.get(), &used);
    ProcessRunContext context;
    context.volume = self.cells;
    context.latticeStale = &self.latticeStale;
    Util::StopToken stop;
    const InterruptStopsSteps interrupt(stop);
    if (interrupt.active())
        context.stop = &stop;
    int code = 0;
    {
        py::gil_scoped_release release;
        std::lock_guard<std::recursive_mutex> lock(self.runLock);
        code = Core::Steps::runProcessStep(*signature.definition, step, context);
    }
    // Ctrl+C undid the step; it ends the script rather than failing the step.
    interrupt.raisePending();
    if (code != Core::Steps::StepSucceeded)
        raiseStepError(code, context.detail, signature.definition->name, QString(), py::none(),
                       withKeywords(context.detail, signature, used));
    // "Create Substrate" makes a new volume; this object then holds it.
    self.cells = context.volume;
}

// torvane.substrate(...): a "Create Substrate" step on no volume, its values
// left out taking the declared defaults.
VolumePtr substrate(const py::kwargs &keywords)
{
    const StepSignature &signature =
        *signatureOf(*Core::Steps::definitionOf(Core::Steps::ProcessData::CreateSubstrate));
    QMap<QString, QString> used;
    const Core::Steps::ProcessData step = buildStep(signature, keywords, nullptr, &used);
    ProcessRunContext context;
    int code = 0;
    {
        py::gil_scoped_release release;
        code = Core::Steps::runProcessStep(*signature.definition, step, context);
    }
    if (code != Core::Steps::StepSucceeded)
        raiseStepError(code, context.detail, signature.definition->name, QString(), py::none(),
                       withKeywords(context.detail, signature, used));
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

py::array_t<float> concentrationOf(Volume &self, const std::string &name)
{
    using Model::Automaton::DopantFields;
    const int species = DopantFields::speciesNamed(qtext(name));
    if (species < 0)
        raise(PyExc_ValueError, QStringLiteral("\"%1\" is no dopant species: give %2 (BF2 implants as B).")
                                    .arg(qtext(name), DopantFields::speciesNames().join(QStringLiteral(", "))));
    TotalVolume &volume = *self.cells;
    py::array_t<float> out({py::ssize_t(volume.getSizeX()), py::ssize_t(volume.getSizeY()),
                            py::ssize_t(volume.getSizeZ())});
    float *data = out.mutable_data();
    const size_t count = size_t(volume.getCellCount());
    {
        py::gil_scoped_release release;
        std::lock_guard<std::recursive_mutex> runGuard(self.runLock);
        const CellLock lock(volume);
        const DopantFields &fields = lock.dopants();
        if (fields.has(species))
            std::copy_n(fields.field(species).data(), count, data);
        else
            std::fill_n(data, count, 0.0f);
    }
    return out;
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
        data[i] = int32_t((*counters)[i].total());
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
    Core::Steps::ProcessList steps;
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
    for (const Core::Steps::ProcessData &step : self.steps)
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
    Util::StopToken stop;
    const InterruptStopsSteps interrupt(stop);
    if (interrupt.active())
        context.stop = &stop;
    int failedIndex = -1;
    int failedCode = 0;

    const Core::Steps::StepReport report = [&](int index, int code, qint64) {
        if (code != Core::Steps::StepSucceeded) {
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
        Core::Steps::runProcessSteps(self.steps, context, report, stopRequested);
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
    interrupt.raisePending();
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

} // namespace

PYBIND11_MODULE(torvane, m)
{
    m.doc() = "Torvane's process steps from Python: cell volumes, the step executor the batch run uses, "
              "documents and process lists. See docs/PYTHON.md.";

    // The catalogues live in ~/Torvane, as for the program and torvane-batch.
    Model::Process::initializeCatalogues();
    // The core's debug lines (a parameter looked up and not found ...) are for the
    // program's log, not a script's stderr; QT_LOGGING_RULES still decides when set.
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));

    Python::defineStepError(m);
    m.attr("__version__") = text(Util::projectVersion());

    // The engines' pool threads must end before Qt's thread-local storage is
    // torn down, or every one prints "QThreadStorage ... destroyed" as the
    // interpreter exits. waitForDone also joins the idle threads.
    py::module_::import("atexit").attr("register")(py::cpp_function([]() {
        py::gil_scoped_release release;
        QThreadPool::globalInstance()->waitForDone();
    }));

    const std::string runDoc =
        "run(step, **keywords)\n\n"
        "Runs one process step on this volume through the step executor, as a process list would.\n"
        "step is any of the step's names (its list name, its menu text, its batch dialog text or an\n"
        "alias; case does not matter). Each keyword is a parameter's list name in snake case\n"
        "(materials by name or id, masks as 2-D arrays [x, y] or image files, positions as (x, y, z)).\n"
        "A keyword left out takes the default the step declares; one marked required must be given.\n"
        "Units, ranges and defaults below are the step registry's, the ones lists and torvane-batch use.\n"
        "The engine runs with the GIL released. A refused step raises StepError (code, reason) and\n"
        "leaves the cells as they were. Ctrl+C on the main thread ends the step at the engine's next\n"
        "stop point, puts its cells back and raises KeyboardInterrupt. \"Create Substrate\" replaces this\n"
        "volume's cells; \"Save Image\" has no view to draw here and does nothing.\n"
        "Returns the volume, so steps chain: vol.run(\"CVD\", ...).run(\"Isotropic etching\", ...).\n"
        "A keyword marked (also ...) answers to either spelling (CVD's thickness and film_thickness);\n"
        "a mask left out means no mask. A refused step's message names each parameter with the keyword\n"
        "it was given by; an unknown step, keyword or material gets the nearest names.\n\n"
        "Steps and keywords:\n" +
        text(stepTable());

    py::class_<Volume, VolumePtr> volumeClass(m, "Volume",
                                              "A cell volume: a box of cells, each holding a material id (0 = empty).");
    volumeClass
        .def(py::init(&newVolume), py::arg("size"), py::arg("cell") = py::make_tuple(1.0, 1.0, 1.0),
             py::arg("origin") = py::make_tuple(0.0, 0.0, 0.0),
             "Volume(size=(nx, ny, nz), cell=(cx, cy, cz), origin=(x, y, z))\n\n"
             "An empty volume. Raises ValueError for sizes that cannot be built.")
        .def(
            "run",
            [](const VolumePtr &self, const std::string &name, const py::kwargs &keywords) {
                runStep(*self, name, keywords);
                return self;
            },
            py::arg("step"), runDoc.c_str())
        .def_property_readonly("materials", &materialsOf,
                               "A new numpy uint32 array of shape (nx, ny, nz) holding each cell's material id.\n"
                               "A copy: changing it does not change the volume (use set_materials).")
        .def("set_materials", &setMaterials, py::arg("array"),
             "set_materials(array)\n\nReplaces every cell's material with an integer array of shape (nx, ny, nz).\n"
             "Raises TypeError or ValueError (wrong dtype or shape, an id not in the catalogue) and then\n"
             "changes nothing.")
        .def("concentration", &concentrationOf, py::arg("species"),
             "concentration(species)\n\nThe concentration of dopant species \"B\", \"P\", \"As\" or \"Sb\" in each\n"
             "cell, in cm^-3, as a new float32 array (nx, ny, nz); zeros where the volume holds none of it.\n"
             "ValueError for any other name.")
        .def("particle_counts", &particleCounts, py::arg("type") = "N",
             "particle_counts(type=\"N\")\n\nThe random-walk doping particle count of each cell as an int32\n"
             "array (nx, ny, nz) for type \"N\" or \"P\"; None when no random-walk doping left counts.")
        .def("copy", &copyOf, "An independent volume with the same materials and dopant concentrations.")
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
        .def_property_readonly(
            "unit_length", [](const Volume &v) { return v.cells->getUnitLength(); },
            "The physical length of one unit of the volume in micrometres (a cell of size 1 is that wide);\n"
            "set by substrate(unit_length=...), kept by documents. Sections, measurements, VTK, STL and\n"
            "netlists give lengths through it.")
        .def("__repr__", [](const Volume &v) {
            return "<torvane.Volume " + std::to_string(v.cells->getSizeX()) + " x " +
                   std::to_string(v.cells->getSizeY()) + " x " + std::to_string(v.cells->getSizeZ()) + ">";
        });

    m.def("substrate", &substrate,
          "substrate(**keywords)\n\n"
          "A new volume made by a \"Create Substrate\" step: material (required), volume_size_x/y/z,\n"
          "substrate_size_x/y/z and substrate_delta_x/y/z (a box), or spherical_substrate=True with\n"
          "substrate_center_x/y/z and substrate_radius, lower_left_front_corner and unit_length (the\n"
          "length of one unit in micrometres, default 1; Volume.unit_length reads it). A keyword left out\n"
          "takes the step's declared default (see help(torvane.Volume.run)). Raises StepError as\n"
          "Volume.run does.");
    Python::bindAnalysis(volumeClass);

    m.def("load", &loadDocument, py::arg("path"),
          "load(path)\n\nThe cell volumes of a Torvane document, as a list. Raises OSError when the file cannot\n"
          "be opened and ValueError when it is not a document; a damaged document gives what could be read\n"
          "with a RuntimeWarning.");
    m.def("save", &saveDocument, py::arg("path"), py::arg("volumes"),
          "save(path, volumes)\n\nWrites one Torvane document holding the volumes; returns the file name.");
    m.def("materials", &materialCatalogue,
          "The materials catalogue: a list of dicts with id, name, color (r, g, b, a), density,\n"
          "young_modulus and poisson_ratio.");
    m.def(
        "set_threads",
        [](int n) {
            if (!Util::setThreadCount(n))
                raise(PyExc_ValueError, QStringLiteral("The thread count must be from 0 (one per core) to %1, not %2.")
                                            .arg(Util::MaxThreadCount)
                                            .arg(n));
        },
        py::arg("n"),
        "set_threads(n)\n\nRuns the engines of later steps on n threads (0: one per core, the default). The results "
        "are the same for any n. Raises ValueError outside 0..1024.");
    m.def("threads", [] { return Util::defaultSlabCount(); }, "The number of threads the engines run on.");
    m.def("step_types", &stepTypes,
          "Every list step by list name, each a dict of keyword -> (list parameter name, kind of value).");
    m.def("step_definitions", &stepDefinitions,
          "step_definitions()\n\n"
          "Every list step as the step registry declares it, in list-type order: a list of dicts with\n"
          "name (the list name), names (every name vol.run accepts), type, summary and parameters.\n"
          "Each parameter is a dict: keyword, aliases (other keywords it answers to), name (list name),\n"
          "kind, label, unit, minimum, maximum\n"
          "(None: no bound), above_minimum (the minimum itself is refused), range (as help() shows it),\n"
          "default (None when there is none or it is the volume's height), default_text, required,\n"
          "choices (value -> word) and applies_when (None, or (keyword, value) of the choice it needs).");

    py::class_<ProcessList>(m, "ProcessList", "A process list (.plst).")
        .def_static("load", &loadList, py::arg("path"),
                    "ProcessList.load(path)\n\nReads a process list; raises OSError with the reason when it "
                    "cannot.")
        .def_property_readonly("steps", &listSteps,
                               "The steps as (list name, keywords) pairs; vol.run(name, **keywords) runs one.")
        .def("__len__", [](const ProcessList &self) { return self.steps.size(); })
        .def("run", &runList, py::arg("vol") = py::none(), py::arg("progress") = py::none(),
             "run(vol=None, progress=None)\n\n"
             "Runs the steps in order with the step executor, as torvane-batch does, and returns the volume.\n"
             "Without vol the list starts on a fresh scene (its \"Create Substrate\" makes the volume).\n"
             "progress(k, n, name) is called after each finished step. Ctrl+C ends the running step at its\n"
             "engine's next stop point, puts that step's cells back and raises KeyboardInterrupt; an\n"
             "error raised by progress stops the run before the next step. A failed step raises StepError;\n"
             "its .volume holds what the steps before it made.");
}
