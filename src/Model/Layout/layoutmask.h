#pragma once

#include "gdsiilibrary.h"

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace Model {
namespace Layout {

// Which shapes make the mask and where the layout lies over the volume.
struct MaskPlacement
{
    std::string structure; // empty: the first top structure
    int layer = 0;
    int datatype = -1; // -1: any datatype
    // The layout position (µm) under the volume's x-y origin corner.
    double originX = 0.0;
    double originY = 0.0;
    // Layout µm per unit of the volume's cell sizes.
    double scale = 1.0;
};

// The volume's x-y cell grid.
struct MaskGrid
{
    unsigned sizeX = 0;
    unsigned sizeY = 0;
    double cellSizeX = 1.0;
    double cellSizeY = 1.0;
};

// What one rasterisation may spend: flattened vertices kept over the volume
// (16 bytes each), element placements visited, and reference nesting.
struct LayoutLimits
{
    size_t maxVertices = size_t(8) * 1024 * 1024;
    uint64_t maxPlacements = uint64_t(50) * 1000 * 1000;
    unsigned maxDepth = 256;
};

// Flattens the placement's structure (references with their reflection,
// magnification, rotation and translation; arrays cell by cell) and marks a
// cell opaque when its centre lies inside the union of the chosen layer's
// boundaries, boxes and paths. bits gets sizeX * sizeY entries, bit
// x * sizeY + y: the layout of an image mask of width sizeX and height sizeY.
// False with a sentence in error, bits untouched, for an unknown structure or
// layer, a missing referenced structure, a reference cycle, nesting or arrays
// beyond the limits, coordinates beyond 32 bits, or shapes that miss the grid.
// Runs its columns on the slab runner; must not be called from a pool task.
bool rasterizeLayout(const GdsiiLibrary &library, const MaskPlacement &placement, const MaskGrid &grid,
                     std::vector<bool> &bits, QString &error, const LayoutLimits &limits = LayoutLimits());

// Reads the file and rasterises it: the one call for front ends.
bool rasterizeLayoutFile(const QString &fileName, const MaskPlacement &placement, const MaskGrid &grid,
                         std::vector<bool> &bits, QString &error, const LayoutLimits &limits = LayoutLimits());

// "L/D", or "L" for any datatype: how layers are named to people and in lists.
QString layerName(int layer, int datatype);
// Reads "L/D" or "L" (datatype -1); false when the text is neither.
bool parseLayerName(const QString &text, int &layer, int &datatype);

} // namespace Layout
} // namespace Model
