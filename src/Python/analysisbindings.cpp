#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "analysisbindings.h"
#include "pythonerrors.h"

#include "Core/Operations/ModelExtraction/runmodelextraction.h"
#include "Model/Analysis/crosssection.h"
#include "Model/Analysis/measurements.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Analysis/stlwriter.h"
#include "Model/Analysis/vtiwriter.h"

#include <QGuiApplication>

#include <memory>

namespace Python {

namespace py = pybind11;

namespace {

using Model::Analysis::ColumnRequest;
using Model::Analysis::SectionAxis;

// Text in pictures needs a QGuiApplication; a script has none, so one is
// made on the offscreen platform the first time a section is drawn.
void ensureGuiApplication()
{
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    if (QCoreApplication::instance())
        raise(PyExc_RuntimeError, QStringLiteral("cross-sections need a QGuiApplication, and this process already "
                                                 "runs another Qt application object"));
    static int argc = 3;
    static char name[] = "torvane", platformOption[] = "-platform", platform[] = "offscreen";
    static char *argv[] = {name, platformOption, platform, nullptr};
    static std::unique_ptr<QGuiApplication> app(new QGuiApplication(argc, argv));
}

SectionAxis axisOf(const std::string &text)
{
    SectionAxis axis = SectionAxis::X;
    QString error;
    if (!Model::Analysis::parseSectionAxis(qtext(text), &axis, &error))
        raise(PyExc_ValueError, error);
    return axis;
}

Model::Analysis::ParticleView particleViewOf(const py::object &particles)
{
    if (particles.is_none())
        return Model::Analysis::ParticleView::None;
    const std::string kind = py::str(particles).cast<std::string>();
    if (kind == "n" || kind == "N")
        return Model::Analysis::ParticleView::NType;
    if (kind == "p" || kind == "P")
        return Model::Analysis::ParticleView::PType;
    if (kind == "total")
        return Model::Analysis::ParticleView::Total;
    raise(PyExc_ValueError, QStringLiteral("particles takes \"n\", \"p\" or \"total\", not \"%1\"").arg(qtext(kind)));
}

std::vector<ColumnRequest> columnsOf(const py::iterable &columns, const Volume &volume)
{
    std::vector<ColumnRequest> requests;
    for (py::handle item : columns) {
        std::pair<long long, long long> xy;
        try {
            xy = item.cast<std::pair<long long, long long>>();
        } catch (const py::cast_error &) {
            raise(PyExc_TypeError, QStringLiteral("a column is a pair (x, y) of cell numbers, not %1")
                                       .arg(qtext(py::repr(item).cast<std::string>())));
        }
        if (xy.first < 0 || xy.second < 0 || xy.first >= volume.cells->getSizeX() ||
            xy.second >= volume.cells->getSizeY())
            raise(PyExc_ValueError, QStringLiteral("the column (%1, %2) lies outside the volume of %3 x %4 columns")
                                        .arg(xy.first)
                                        .arg(xy.second)
                                        .arg(volume.cells->getSizeX())
                                        .arg(volume.cells->getSizeY()));
        ColumnRequest request;
        request.x = unsigned(xy.first);
        request.y = unsigned(xy.second);
        requests.push_back(request);
    }
    return requests;
}

unsigned indexOf(long long index)
{
    if (index < 0)
        raise(PyExc_ValueError, QStringLiteral("the index %1 lies outside the volume").arg(index));
    return unsigned(index);
}

py::object section(const VolumePtr &self, const std::string &axisText, long long indexValue, const py::object &path,
                   int pixelsPerCell, const py::object &particles, const py::object &dopant)
{
    const SectionAxis axis = axisOf(axisText);
    const unsigned index = indexOf(indexValue);
    Model::Analysis::CrossSectionOptions options;
    options.pixelsPerCell = pixelsPerCell;
    options.particles = particleViewOf(particles);
    if (!dopant.is_none()) {
        options.dopant = qtext(py::str(dopant).cast<std::string>());
        if (Model::Automaton::DopantFields::speciesNamed(options.dopant) < 0)
            raise(PyExc_ValueError, QStringLiteral("dopant takes %1, not \"%2\"")
                                        .arg(Model::Automaton::DopantFields::speciesNames().join(QStringLiteral(", ")),
                                             options.dopant));
    }
    ensureGuiApplication();
    // Drawing touches Qt's GUI objects, which belong to the thread that made
    // the application: the GIL stays held for it.
    std::lock_guard<std::recursive_mutex> lock(self->runLock);
    QString error;
    if (!path.is_none()) {
        const std::string file = py::str(path).cast<std::string>();
        if (!Model::Analysis::writeCrossSection(*self->cells, axis, index, qtext(file), options, &error))
            raise(PyExc_OSError, error);
        return py::str(file);
    }
    Model::Analysis::CrossSection drawn;
    if (!Model::Analysis::drawCrossSection(*self->cells, axis, index, options, &drawn, &error))
        raise(PyExc_ValueError, error);
    const QImage image = drawn.image.convertToFormat(QImage::Format_RGBA8888);
    py::array_t<uint8_t> pixels({image.height(), image.width(), 4});
    auto out = pixels.mutable_unchecked<3>();
    for (int row = 0; row < image.height(); ++row) {
        const uchar *line = image.constScanLine(row);
        for (int column = 0; column < image.width(); ++column)
            for (int channel = 0; channel < 4; ++channel)
                out(row, column, channel) = line[column * 4 + channel];
    }
    return std::move(pixels);
}

py::array_t<uint32_t> sectionCells(const VolumePtr &self, const std::string &axisText, long long indexValue)
{
    const SectionAxis axis = axisOf(axisText);
    const unsigned index = indexOf(indexValue);
    Model::Analysis::SectionGrid grid;
    QString error;
    bool sliced = false;
    {
        py::gil_scoped_release release;
        std::lock_guard<std::recursive_mutex> lock(self->runLock);
        sliced = Model::Analysis::sliceVolume(*self->cells, axis, index, &grid, &error);
    }
    if (!sliced)
        raise(PyExc_ValueError, error);
    // Row 0 of the grid is the bottom; the array keeps that order: [row, column].
    py::array_t<uint32_t> cells({grid.height, grid.width});
    std::copy(grid.materials.begin(), grid.materials.end(), cells.mutable_data());
    return cells;
}

py::object measure(const VolumePtr &self, const py::iterable &columns, const py::object &path)
{
    const std::vector<ColumnRequest> requests = columnsOf(columns, *self);
    const QString file = path.is_none() ? QStringLiteral("measure.json") : qtext(py::str(path).cast<std::string>());
    Model::Analysis::MeasurementFiles files;
    QString error;
    bool done = false;
    {
        py::gil_scoped_release release;
        std::lock_guard<std::recursive_mutex> lock(self->runLock);
        done = path.is_none() ? Model::Analysis::buildMeasurements(*self->cells, requests, file, &files, &error)
                              : Model::Analysis::writeMeasurements(*self->cells, requests, file, &error) &&
                                    Model::Analysis::buildMeasurements(*self->cells, requests, file, &files, &error);
    }
    if (!done)
        raise(path.is_none() ? PyExc_ValueError : PyExc_OSError, error);
    // The file's own JSON, so that a script reads the names the files carry.
    return py::module_::import("json").attr("loads")(py::str(files.json.constData(), size_t(files.json.size())));
}

py::str exportVti(const VolumePtr &self, const std::string &path, bool compress)
{
    QString error;
    bool written = false;
    {
        py::gil_scoped_release release;
        std::lock_guard<std::recursive_mutex> lock(self->runLock);
        written = Model::Analysis::writeVti(*self->cells, qtext(path), &error,
                                            compress ? Model::Analysis::VtiCompression::Zlib
                                                     : Model::Analysis::VtiCompression::None);
    }
    if (!written)
        raise(PyExc_OSError, error);
    return py::str(path);
}

std::vector<std::string> exportStl(const VolumePtr &self, const std::string &prefix, const std::string &surface)
{
    QString error;
    Model::Analysis::StlSurface kind = Model::Analysis::StlSurface::Cells;
    if (!Model::Analysis::parseStlSurface(qtext(surface), &kind, &error))
        raise(PyExc_ValueError, error);
    QStringList files;
    bool written = false;
    {
        py::gil_scoped_release release;
        std::lock_guard<std::recursive_mutex> lock(self->runLock);
        written = Model::Analysis::writeStl(*self->cells, qtext(prefix), &error, &files, kind);
    }
    if (!written)
        raise(PyExc_OSError, error);
    std::vector<std::string> names;
    for (const QString &file : files)
        names.push_back(text(file));
    return names;
}

py::list extractNetlist(const VolumePtr &self, const std::string &path)
{
    using Core::Operations::RunModelExtraction;
    RunModelExtraction::Extraction found;
    bool written = false;
    {
        py::gil_scoped_release release;
        std::lock_guard<std::recursive_mutex> lock(self->runLock);
        found = RunModelExtraction::extract(*self->cells);
        written = found.netlist.isEmpty() || RunModelExtraction::writeNetlist(qtext(path), found.netlist);
    }
    if (found.netlist.isEmpty())
        raise(PyExc_ValueError, RunModelExtraction::noModelDataText());
    if (!written)
        raise(PyExc_OSError, QStringLiteral("the netlist \"%1\" could not be written").arg(qtext(path)));
    py::list beams;
    int node = 1;
    for (const auto &b : found.beams) {
        py::dict beam;
        beam["node"] = node++;
        beam["material"] = b.cells.material;
        beam["axis"] = b.cells.axis == 0 ? "x" : "y";
        beam["origin"] = py::make_tuple(b.cells.x, b.cells.y, b.cells.z);
        beam["cells"] = py::make_tuple(b.cells.t, b.cells.u, b.cells.v);
        beam["length_m"] = b.length;
        beam["width_m"] = b.width;
        beam["thickness_m"] = b.thickness;
        beam["mass_kg"] = b.mass;
        beam["compliance_m_per_n"] = b.compliance;
        beam["frequency_hz"] = b.frequency;
        beams.append(beam);
    }
    return beams;
}

} // namespace

void bindAnalysis(py::class_<Volume, VolumePtr> &volumeClass)
{
    volumeClass
        .def("section", &section, py::arg("axis"), py::arg("index"), py::arg("path") = py::none(),
             py::arg("pixels_per_cell") = 0, py::arg("particles") = py::none(), py::arg("dopant") = py::none(),
             "section(axis, index, path=None, pixels_per_cell=0, particles=None, dopant=None)\n\n"
             "The cross-section of the plane x = index (axis \"x\"), y = index or z = index, drawn as\n"
             "torvane-batch --section draws it: material colours, axes in micrometres, a scale\n"
             "bar and a legend. With path, writes it as PNG (a previous file survives a failure, OSError)\n"
             "and returns path; without, returns the picture as a uint8 array (height, width, 4), RGBA.\n"
             "pixels_per_cell 0 picks a picture about 800 to 1600 pixels wide. particles \"n\", \"p\" or\n"
             "\"total\" adds the random-walk counts on a log colour scale; dopant \"B\", \"P\", \"As\" or\n"
             "\"Sb\" instead draws that species' concentration (cm^-3, six decades on a log colour scale;\n"
             "the plain section when the volume holds none of it). ValueError for an unknown axis, dopant\n"
             "or an index outside the volume.")
        .def("section_cells", &sectionCells, py::arg("axis"), py::arg("index"),
             "section_cells(axis, index)\n\nThe material ids of one plane as a uint32 array [row, column]:\n"
             "for axis \"x\" columns run along y and rows along z, for \"y\" columns along x and rows along\n"
             "z, for \"z\" columns along x and rows along y; row 0 is the bottom (lowest z or y).")
        .def("measure", &measure, py::arg("columns") = py::list(), py::arg("path") = py::none(),
             "measure(columns=(), path=None)\n\nThe measurements torvane-batch --measure writes, as a dict of\n"
             "the measurement file's names (docs/MEASUREMENTS.md): volume, materials (cells and volume per\n"
             "material), columns (the layer stack of each (x, y) in columns) and top_surface. With path,\n"
             "also writes the JSON file and its CSV files beside it, all or none (OSError).")
        .def("export_vti", &exportVti, py::arg("path"), py::arg("compress") = false,
             "export_vti(path, compress=False)\n\nWrites VTK XML image data (.vti): origin, spacing and cell data\n"
             "\"material\" (and the particle counts where present), for ParaView or VTK, as raw appended\n"
             "binary; compress=True writes zlib blocks instead (smaller, slower). Returns path; OSError on\n"
             "failure.")
        .def("export_stl", &exportStl, py::arg("prefix"), py::arg("surface") = "cells",
             "export_stl(prefix, surface=\"cells\")\n\nWrites one binary STL per material of its outer surface, closed and\n"
             "outward, as PREFIX-<material id>.stl: the cells' faces (surface=\"cells\") or a smooth\n"
             "surface through them (surface=\"smooth\": marching tetrahedra on the smoothed cells, every\n"
             "edge in two triangles). Returns the file names; ValueError for another surface, OSError\n"
             "on failure.")
        .def("extract_netlist", &extractNetlist, py::arg("path"),
             "extract_netlist(path)\n\nFinds the volume's cantilevers and writes them as a circuit netlist, as\n"
             "torvane-batch --netlist does (each beam a capacitor, its effective mass in kg, and an inductor,\n"
             "its compliance at the free end in m/N). Densities and Young's moduli are the materials\n"
             "catalogue's; cells are measured by the volume's cell sizes and unit_length. Returns the beams\n"
             "in netlist order, each a dict: node, material (id), axis (\"x\" or \"y\"), origin and cells\n"
             "(its corner and extents in cells), length_m, width_m, thickness_m, mass_kg,\n"
             "compliance_m_per_n and frequency_hz (first mode, 1 / (2 pi sqrt(mass * compliance))).\n"
             "ValueError when no cantilever is found (nothing is written); OSError when the file cannot be\n"
             "written (a previous file survives).");
}

} // namespace Python
