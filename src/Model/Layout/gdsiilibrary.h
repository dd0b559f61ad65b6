#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Model {
namespace Layout {

// A point in database units, as the file stores it.
struct LayoutPoint
{
    int32_t x = 0;
    int32_t y = 0;
};

// A layer and datatype pair; datatype -1 in a request means any datatype.
struct LayerKey
{
    int layer = 0;
    int datatype = 0;
    bool operator<(const LayerKey &o) const { return layer != o.layer ? layer < o.layer : datatype < o.datatype; }
    bool operator==(const LayerKey &o) const { return layer == o.layer && datatype == o.datatype; }
};

// One element of a structure. Texts and nodes carry no area and are not kept.
struct LayoutElement
{
    enum Kind { Boundary, Path, Box, Reference, ArrayReference };
    Kind kind = Boundary;
    LayerKey key; // shapes only
    std::vector<LayoutPoint> points;
    // Paths: 0 flush ends, 1 round ends, 2 ends extended by half the width,
    // 4 ends extended by beginExtension and endExtension.
    int pathType = 0;
    int32_t width = 0;
    int32_t beginExtension = 0;
    int32_t endExtension = 0;
    // References: the structure by name and, once the file is read, by index
    // (-1 when the file does not hold it); reflection about x first, then
    // magnification, rotation by angle degrees counter-clockwise, translation.
    std::string structureName;
    int structure = -1;
    bool reflected = false;
    double magnification = 1.0;
    double angle = 0.0;
    int columns = 1;
    int rows = 1;
};

struct LayoutStructure
{
    std::string name;
    std::vector<LayoutElement> elements;
};

// The contents of a GDSII stream file: its units and its structures with
// their elements, hierarchy intact. Reading checks every record against the
// bytes that remain, so damaged input ends with a message, never a crash.
class GdsiiLibrary
{
public:
    // Files above this size are refused before they are read.
    static const qint64 MaxFileBytes = qint64(512) * 1024 * 1024;

    // False with a sentence in error (and out unchanged) when the bytes are
    // not a readable GDSII stream.
    static bool parse(const char *data, size_t size, GdsiiLibrary &out, QString &error);
    static bool readFile(const QString &fileName, GdsiiLibrary &out, QString &error);

    const std::string &name() const { return m_name; }
    // Metres per database unit and user units per database unit (UNITS).
    double metersPerDatabaseUnit() const { return m_metersPerUnit; }
    double userUnitsPerDatabaseUnit() const { return m_userPerUnit; }
    double micronsPerDatabaseUnit() const { return m_metersPerUnit * 1e6; }

    const std::vector<LayoutStructure> &structures() const { return m_structures; }
    // -1 when the library holds no structure of that name.
    int structureIndex(const std::string &name) const;
    // Structures no other structure references, in file order: the first is
    // the default structure to draw. Empty only when there are no structures.
    std::vector<int> topStructures() const;
    // The layer and datatype pairs the structure draws on, itself or through
    // its references (each structure visited once), sorted.
    std::vector<LayerKey> layers(int structure) const;

private:
    std::string m_name;
    double m_metersPerUnit = 1e-9;
    double m_userPerUnit = 1e-3;
    std::vector<LayoutStructure> m_structures;
};

} // namespace Layout
} // namespace Model
