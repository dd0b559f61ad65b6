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

// What the STL files hold of each material.
enum class StlSurface {
    Cells, // the cells' own faces: a staircase, enclosing exactly the material's cells
    Smooth // a smooth surface through them (smoothSurface in smoothsurface.h)
};
// "cells" or "smooth" (any case); false with a sentence for anything else.
bool parseStlSurface(const QString &text, StlSurface *surface, QString *error);
QString stlSurfaceName(StlSurface surface);

// Writes one binary STL per material present: the outer surface of that
// material's cells, every cell face it shares with another material, with
// empty cells or with the outside of the volume, as two triangles turned
// outward (counter-clockwise seen from outside), in the volume's units and
// position. Every surface is closed: each triangle edge is met by the same
// number of triangles running each way, so the enclosed volume is exactly
// the material's cells. (Two cells that touch only along an edge share that
// edge between four triangles; STL has no other way to say it.)
// All files are written or none; written gets their names.
// With StlSurface::Smooth each file holds instead the smooth surface of the
// material's cells: closed, every edge in exactly two triangles, turned
// outward, rounded over about a cell at corners and staircases.
bool writeStl(Automaton::TotalVolume &volume, const QString &prefix, QString *error, QStringList *written = nullptr,
              StlSurface surface = StlSurface::Cells);

} // namespace Analysis
} // namespace Model
