#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

namespace Model {
namespace Automaton {
class TotalVolume;
}

namespace Analysis {

// PREFIX-<material id>.stl
QString stlFileName(const QString &prefix, uint32_t materialId);

// Writes one binary STL per material present: the outer surface of that
// material's cells, every cell face it shares with another material, with
// empty cells or with the outside of the volume, as two triangles turned
// outward (counter-clockwise seen from outside), in the volume's units and
// position. Every surface is closed: each triangle edge is met by the same
// number of triangles running each way, so the enclosed volume is exactly
// the material's cells. (Two cells that touch only along an edge share that
// edge between four triangles; STL has no other way to say it.)
// All files are written or none; written gets their names.
bool writeStl(Automaton::TotalVolume &volume, const QString &prefix, QString *error, QStringList *written = nullptr);

} // namespace Analysis
} // namespace Model
