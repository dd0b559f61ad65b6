#include "measurements.h"

#include "Model/Automaton/totalvolume.h"
#include "outputfiles.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace Model {
namespace Analysis {

using Automaton::CellLock;
using Automaton::TotalVolume;
using Automaton::Voxel;

namespace {

double cellVolume(const TotalVolume &volume)
{
    return cellMicrometres(volume, 0) * cellMicrometres(volume, 1) * cellMicrometres(volume, 2);
}

// Numbers in files never depend on the user's locale.
QString number(double value) { return QString::number(value, 'g', 10); }

QString csvField(const QString &text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QJsonArray triple(double a, double b, double c) { return QJsonArray{a, b, c}; }

} // namespace

std::vector<MaterialTally> measureMaterials(TotalVolume &volume, uint64_t *emptyCells)
{
    // Catalogue ids are small; a stray large id goes to the map.
    std::vector<uint64_t> dense(4096, 0);
    std::map<uint32_t, uint64_t> sparse;
    {
        CellLock lock(volume);
        const Voxel *cells = lock.cells();
        const size_t n = volume.getCellCount();
        for (size_t i = 0; i < n; ++i) {
            const uint32_t m = cells[i].material;
            if (m < dense.size())
                ++dense[m];
            else
                ++sparse[m];
        }
    }
    if (emptyCells)
        *emptyCells = dense[0];
    for (uint32_t id = 1; id < dense.size(); ++id)
        if (dense[id])
            sparse[id] += dense[id];
    std::vector<MaterialTally> tallies;
    const double one = cellVolume(volume);
    for (const auto &entry : sparse) {
        MaterialTally t;
        t.id = entry.first;
        t.name = materialName(entry.first);
        t.cells = entry.second;
        t.volume = double(entry.second) * one;
        tallies.push_back(t);
    }
    return tallies;
}

bool measureColumn(TotalVolume &volume, unsigned x, unsigned y, ColumnStack *stack, QString *error)
{
    if (x >= volume.getSizeX() || y >= volume.getSizeY()) {
        if (error)
            *error = QStringLiteral("the column %1,%2 lies outside the volume (x 0 to %3, y 0 to %4)")
                         .arg(x)
                         .arg(y)
                         .arg(volume.getSizeX() - 1)
                         .arg(volume.getSizeY() - 1);
        return false;
    }
    const unsigned sz = volume.getSizeZ();
    std::vector<uint32_t> column(sz);
    ColumnStack result;
    {
        CellLock lock(volume);
        const Voxel *cells = lock.cells() + volume.cellIndex(x, y, 0);
        int top = -1;
        for (unsigned z = 0; z < sz; ++z) {
            column[z] = cells[z].material;
            if (column[z])
                top = int(z);
        }
        // Depths from the top face of the highest solid cell, in µm; doses over the cell height in cm.
        const double cellHeight = cellMicrometres(volume, 2);
        const Automaton::DopantFields &dopants = lock.dopants();
        for (int species : dopants.present()) {
            const float *c = dopants.field(species).data() + volume.cellIndex(x, y, 0);
            ColumnDopant d;
            d.species = Automaton::DopantFields::speciesName(species);
            double sum = 0.0;
            for (unsigned z = 0; z < sz; ++z) {
                sum += double(c[z]);
                if (double(c[z]) > d.peak) {
                    d.peak = double(c[z]);
                    d.peakCell = z;
                }
            }
            d.sheetDose = sum * cellHeight * 1e-4;
            d.peakDepth = top >= 0 ? (double(top) + 0.5 - double(d.peakCell)) * cellHeight : 0.0;
            result.dopants.push_back(d);
        }
    }
    result.x = x;
    result.y = y;
    const double bottom = micrometres(volume, volume.getPosition().z), dz = cellMicrometres(volume, 2);
    for (unsigned z = 0; z < sz;) {
        unsigned end = z + 1;
        while (end < sz && column[end] == column[z])
            ++end;
        ColumnLayer layer;
        layer.materialId = column[z];
        layer.material = materialName(column[z]);
        layer.fromCell = z;
        layer.toCell = end;
        layer.zFrom = bottom + double(z) * dz;
        layer.zTo = bottom + double(end) * dz;
        layer.thickness = double(end - z) * dz;
        result.layers.push_back(layer);
        z = end;
    }
    *stack = result;
    return true;
}

TopSurface measureTopSurface(TotalVolume &volume)
{
    TopSurface s;
    s.sizeX = volume.getSizeX();
    s.sizeY = volume.getSizeY();
    const unsigned sz = volume.getSizeZ();
    const size_t columns = size_t(s.sizeX) * s.sizeY;
    s.topCell.assign(columns, -1);
    s.height.assign(columns, micrometres(volume, volume.getPosition().z));
    {
        CellLock lock(volume);
        const Voxel *cells = lock.cells();
        for (size_t c = 0; c < columns; ++c) {
            const Voxel *column = cells + c * sz;
            for (unsigned z = sz; z-- > 0;) {
                if (column[z].material != 0) {
                    s.topCell[c] = int(z);
                    break;
                }
            }
        }
    }
    const double bottom = micrometres(volume, volume.getPosition().z), dz = cellMicrometres(volume, 2);
    double sum = 0.0;
    s.min = std::numeric_limits<double>::max();
    s.max = std::numeric_limits<double>::lowest();
    for (size_t c = 0; c < columns; ++c) {
        if (s.topCell[c] < 0) {
            ++s.emptyColumns;
            continue;
        }
        const double h = bottom + double(s.topCell[c] + 1) * dz;
        s.height[c] = h;
        s.min = std::min(s.min, h);
        s.max = std::max(s.max, h);
        sum += h;
    }
    const size_t filled = columns - s.emptyColumns;
    if (filled == 0)
        s.min = s.max = bottom;
    s.mean = filled ? sum / double(filled) : bottom;
    return s;
}

bool columnAtPoint(const TotalVolume &volume, double px, double py, ColumnRequest *column)
{
    const Util::Vector3D origin = volume.getPosition();
    const double x = std::floor((px - origin.x) / unitLength(volume.getCellSizeX()));
    const double y = std::floor((py - origin.y) / unitLength(volume.getCellSizeY()));
    if (!(x >= 0.0 && y >= 0.0 && x < double(volume.getSizeX()) && y < double(volume.getSizeY())))
        return false;
    column->x = unsigned(x);
    column->y = unsigned(y);
    return true;
}

bool parseColumn(const QString &text, ColumnRequest *column, QString *error)
{
    static const QRegularExpression form(QStringLiteral("^\\s*(\\d{1,9})\\s*,\\s*(\\d{1,9})\\s*$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch()) {
        if (error)
            *error = QStringLiteral("\"%1\" is not a column: give X,Y as two cell numbers, for example 10,20").arg(text);
        return false;
    }
    column->x = match.captured(1).toUInt();
    column->y = match.captured(2).toUInt();
    return true;
}

QStringList columnText(const ColumnStack &stack)
{
    QStringList lines;
    lines << QStringLiteral("Layer stack of column x = %1, y = %2 (top first):").arg(stack.x).arg(stack.y);
    for (auto it = stack.layers.rbegin(); it != stack.layers.rend(); ++it)
        lines << QString::fromUtf8("  %1 (%2): z %3 to %4 \u00b5m, thickness %5 \u00b5m")
                     .arg(it->material)
                     .arg(it->materialId)
                     .arg(number(it->zFrom), number(it->zTo), number(it->thickness));
    for (const ColumnDopant &d : stack.dopants)
        lines << QStringLiteral("  %1: peak %2 cm^-3 at %3 µm below the surface, sheet dose %4 cm^-2")
                     .arg(d.species, QString::number(d.peak, 'g', 4), QString::number(d.peakDepth, 'g', 4),
                          QString::number(d.sheetDose, 'g', 4));
    return lines;
}

QString measurementCsvName(const QString &jsonFile, const QString &what)
{
    QString base = jsonFile;
    if (base.endsWith(QLatin1String(".json"), Qt::CaseInsensitive))
        base.chop(5);
    return base + QLatin1Char('-') + what + QStringLiteral(".csv");
}

bool buildMeasurements(TotalVolume &volume, const std::vector<ColumnRequest> &columns, const QString &jsonFile,
                       MeasurementFiles *files, QString *error)
{
    std::vector<ColumnStack> stacks;
    for (const ColumnRequest &c : columns) {
        ColumnStack stack;
        if (!measureColumn(volume, c.x, c.y, &stack, error))
            return false;
        stacks.push_back(stack);
    }
    uint64_t empty = 0;
    const std::vector<MaterialTally> tallies = measureMaterials(volume, &empty);
    const TopSurface surface = measureTopSurface(volume);
    const Util::Vector3D origin = volume.getPosition();

    QJsonObject top;
    top.insert(QStringLiteral("format"), QStringLiteral("torvane-measurements"));
    top.insert(QStringLiteral("version"), 1);
    QJsonObject v;
    v.insert(QStringLiteral("size"), triple(volume.getSizeX(), volume.getSizeY(), volume.getSizeZ()));
    v.insert(QStringLiteral("cell"),
             triple(cellMicrometres(volume, 0), cellMicrometres(volume, 1), cellMicrometres(volume, 2)));
    v.insert(QStringLiteral("origin"), triple(micrometres(volume, origin.x), micrometres(volume, origin.y),
                                               micrometres(volume, origin.z)));
    v.insert(QStringLiteral("units"), QString::fromUtf8("\u00b5m"));
    v.insert(QStringLiteral("unit_length"), volume.getUnitLength());
    v.insert(QStringLiteral("cells"), double(volume.getCellCount()));
    v.insert(QStringLiteral("empty_cells"), double(empty));
    v.insert(QStringLiteral("cell_volume"), cellVolume(volume));
    top.insert(QStringLiteral("volume"), v);

    QString materialsCsv = QStringLiteral("id,name,cells,volume\n");
    QJsonArray materials;
    for (const MaterialTally &t : tallies) {
        QJsonObject m;
        m.insert(QStringLiteral("id"), double(t.id));
        m.insert(QStringLiteral("name"), t.name);
        m.insert(QStringLiteral("cells"), double(t.cells));
        m.insert(QStringLiteral("volume"), t.volume);
        materials.append(m);
        materialsCsv += QStringLiteral("%1,%2,%3,%4\n").arg(t.id).arg(csvField(t.name)).arg(t.cells).arg(number(t.volume));
    }
    top.insert(QStringLiteral("materials"), materials);

    QString columnsCsv = QStringLiteral("x,y,material_id,material,z_from,z_to,thickness\n");
    QString dopantsCsv = QStringLiteral("x,y,species,peak_concentration,peak_depth,peak_cell,sheet_dose\n");
    bool anyDopant = false;
    QJsonArray columnArray;
    for (const ColumnStack &stack : stacks) {
        QJsonObject c;
        c.insert(QStringLiteral("x"), double(stack.x));
        c.insert(QStringLiteral("y"), double(stack.y));
        if (!stack.dopants.empty()) {
            QJsonArray dopants;
            for (const ColumnDopant &d : stack.dopants) {
                QJsonObject o;
                o.insert(QStringLiteral("species"), d.species);
                o.insert(QStringLiteral("peak_concentration"), d.peak);
                o.insert(QStringLiteral("peak_depth"), d.peakDepth);
                o.insert(QStringLiteral("peak_cell"), double(d.peakCell));
                o.insert(QStringLiteral("sheet_dose"), d.sheetDose);
                dopants.append(o);
                dopantsCsv += QStringLiteral("%1,%2,%3,%4,%5,%6,%7\n")
                                  .arg(stack.x)
                                  .arg(stack.y)
                                  .arg(d.species, QString::number(d.peak, 'g', 7), QString::number(d.peakDepth, 'g', 7))
                                  .arg(d.peakCell)
                                  .arg(QString::number(d.sheetDose, 'g', 7));
            }
            c.insert(QStringLiteral("dopants"), dopants);
            anyDopant = true;
        }
        QJsonArray layers;
        for (const ColumnLayer &l : stack.layers) {
            QJsonObject layer;
            layer.insert(QStringLiteral("material_id"), double(l.materialId));
            layer.insert(QStringLiteral("material"), l.material);
            layer.insert(QStringLiteral("z_from"), l.zFrom);
            layer.insert(QStringLiteral("z_to"), l.zTo);
            layer.insert(QStringLiteral("thickness"), l.thickness);
            layer.insert(QStringLiteral("cells"), double(l.toCell - l.fromCell));
            layers.append(layer);
            columnsCsv += QStringLiteral("%1,%2,%3,%4,%5,%6,%7\n")
                              .arg(stack.x)
                              .arg(stack.y)
                              .arg(l.materialId)
                              .arg(csvField(l.material), number(l.zFrom), number(l.zTo), number(l.thickness));
        }
        c.insert(QStringLiteral("layers"), layers);
        columnArray.append(c);
    }
    top.insert(QStringLiteral("columns"), columnArray);

    const QString surfaceName = measurementCsvName(jsonFile, QStringLiteral("top-surface"));
    QJsonObject s;
    s.insert(QStringLiteral("min"), surface.min);
    s.insert(QStringLiteral("max"), surface.max);
    s.insert(QStringLiteral("mean"), surface.mean);
    s.insert(QStringLiteral("empty_columns"), double(surface.emptyColumns));
    s.insert(QStringLiteral("csv"), QFileInfo(surfaceName).fileName());
    top.insert(QStringLiteral("top_surface"), s);

    QByteArray surfaceCsv("x,y,top_cell,height\n");
    surfaceCsv.reserve(int(std::min<size_t>(size_t(surface.topCell.size()) * 24, 1u << 30)));
    for (unsigned x = 0; x < surface.sizeX; ++x)
        for (unsigned y = 0; y < surface.sizeY; ++y) {
            const size_t c = size_t(x) * surface.sizeY + y;
            surfaceCsv += QByteArray::number(x) + ',' + QByteArray::number(y) + ',' +
                          QByteArray::number(surface.topCell[c]) + ',';
            if (surface.topCell[c] >= 0)
                surfaceCsv += QByteArray::number(surface.height[c], 'g', 10);
            surfaceCsv += '\n';
        }

    files->json = QJsonDocument(top).toJson(QJsonDocument::Indented);
    files->materialsCsv = materialsCsv.toUtf8();
    files->columnsCsv = stacks.empty() ? QByteArray() : columnsCsv.toUtf8();
    files->dopantsCsv = anyDopant ? dopantsCsv.toUtf8() : QByteArray();
    files->topSurfaceCsv = surfaceCsv;
    return true;
}

bool writeMeasurements(TotalVolume &volume, const std::vector<ColumnRequest> &columns, const QString &jsonFile,
                       QString *error, QStringList *written)
{
    if (!checkWritable(jsonFile, error))
        return false;
    MeasurementFiles files;
    if (!buildMeasurements(volume, columns, jsonFile, &files, error))
        return false;
    QList<QPair<QString, QByteArray>> out;
    out << qMakePair(jsonFile, files.json)
        << qMakePair(measurementCsvName(jsonFile, QStringLiteral("materials")), files.materialsCsv)
        << qMakePair(measurementCsvName(jsonFile, QStringLiteral("top-surface")), files.topSurfaceCsv);
    if (!files.columnsCsv.isEmpty())
        out << qMakePair(measurementCsvName(jsonFile, QStringLiteral("columns")), files.columnsCsv);
    if (!files.dopantsCsv.isEmpty())
        out << qMakePair(measurementCsvName(jsonFile, QStringLiteral("dopants")), files.dopantsCsv);
    if (!saveFiles(out, error))
        return false;
    if (written)
        for (const auto &f : out)
            *written << f.first;
    return true;
}

} // namespace Analysis
} // namespace Model
