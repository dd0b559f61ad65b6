#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
}

namespace Analysis {

// Figures measured on a cell volume. Lengths are in micrometres (the volume's
// cell sizes and position times its unit length), volumes in cubic
// micrometres. The names
// of the JSON and CSV fields are read by other tools: docs/MEASUREMENTS.md
// lists them; change them only together with that page.

struct MaterialTally
{
    uint32_t id = 0;
    QString name;
    uint64_t cells = 0;
    double volume = 0.0; // cells times one cell's volume
};

// One run of equal cells in a vertical column, bottom to top. Empty runs
// (material 0) are kept so gaps under a released beam show.
struct ColumnLayer
{
    uint32_t materialId = 0;
    QString material;
    unsigned fromCell = 0; // first cell of the run
    unsigned toCell = 0;   // one past its last cell
    double zFrom = 0.0;    // bottom of the run
    double zTo = 0.0;      // top of the run
    double thickness = 0.0;
};

// One dopant species along a column, from the volume's dopant fields.
struct ColumnDopant
{
    QString species;          // "B", "P", "As", "Sb"
    double peak = 0.0;        // the highest concentration in the column, cm^-3
    unsigned peakCell = 0;    // its z cell (the lowest of equal highs)
    double peakDepth = 0.0;   // from the top of the column's highest solid cell to the peak cell's centre, µm
    double sheetDose = 0.0;   // the concentration integrated over the column, cm^-2
};

struct ColumnStack
{
    unsigned x = 0;
    unsigned y = 0;
    std::vector<ColumnLayer> layers;
    std::vector<ColumnDopant> dopants; // every species the volume holds a field of, in species order
};

// The highest non-empty cell of every (x, y) column.
struct TopSurface
{
    unsigned sizeX = 0;
    unsigned sizeY = 0;
    std::vector<int> topCell; // x * sizeY + y; -1 for a column with no material
    std::vector<double> height; // top of that cell, or the volume's bottom for an empty column
    unsigned emptyColumns = 0;
    double min = 0.0, max = 0.0, mean = 0.0; // over the columns holding material
};

struct ColumnRequest
{
    unsigned x = 0;
    unsigned y = 0;
};

// Each of these takes the volume's cell lock for its reading.

// Every material present (never the empty cells), by ascending id.
std::vector<MaterialTally> measureMaterials(Automaton::TotalVolume &volume, uint64_t *emptyCells = nullptr);
// False with a sentence when (x, y) lies outside the volume.
bool measureColumn(Automaton::TotalVolume &volume, unsigned x, unsigned y, ColumnStack *stack, QString *error);
TopSurface measureTopSurface(Automaton::TotalVolume &volume);

// The cell column under a point in scene coordinates (a picked surface
// point, say). False when the point lies beside the volume.
bool columnAtPoint(const Automaton::TotalVolume &volume, double px, double py, ColumnRequest *column);

// "x,y": two whole numbers. False with a sentence otherwise.
bool parseColumn(const QString &text, ColumnRequest *column, QString *error);
// The stack as console lines: a heading and one line per layer, top first.
QStringList columnText(const ColumnStack &stack);

// The measurement files of one volume.
struct MeasurementFiles
{
    QByteArray json;
    QByteArray materialsCsv;
    QByteArray columnsCsv; // empty when no columns were asked for
    QByteArray dopantsCsv; // empty unless columns were asked for and the volume holds dopants
    QByteArray topSurfaceCsv;
};

// The CSV files beside FILE.json: FILE-materials.csv, FILE-columns.csv,
// FILE-dopants.csv and FILE-top-surface.csv (".json" dropped first when the name ends with it).
QString measurementCsvName(const QString &jsonFile, const QString &what);

// Builds the files without writing them. False when a column lies outside.
bool buildMeasurements(Automaton::TotalVolume &volume, const std::vector<ColumnRequest> &columns,
                       const QString &jsonFile, MeasurementFiles *files, QString *error);
// Writes FILE.json and its CSV files, all or none. written gets the names.
bool writeMeasurements(Automaton::TotalVolume &volume, const std::vector<ColumnRequest> &columns,
                       const QString &jsonFile, QString *error, QStringList *written = nullptr);

} // namespace Analysis
} // namespace Model
