#pragma once

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace Core {
namespace Operations {

class CellOccupancy;

// The exposed faces of a cell volume: every face of a solid cell whose
// neighbour across it is empty. Sides along x and y wrap around (the volume
// is one period of a field repeated sideways); the outside above the top
// layer and below the bottom layer counts as empty only where a source sits.
// Faces are ordered by column, then z, then direction, so a run of faces per
// column can be searched.
class SurfaceFaces
{
public:
    // Face directions, the automata's neighbour order.
    enum Direction { MinusZ = 0, PlusZ = 1, MinusY = 2, PlusY = 3, MinusX = 4, PlusX = 5 };

    static const uint64_t MaxFaces = 0xFFFFFFFFu;

    SurfaceFaces() = default;
    // openAbove: the +z faces of the top layer are exposed; openBelow: the -z faces of the bottom layer.
    static SurfaceFaces of(const CellOccupancy &occupancy, bool openAbove, bool openBelow);
    // The number of faces of(occupancy, ...) would hold, without keeping them.
    // of() refuses (std::length_error) more than MaxFaces.
    static uint64_t count(const CellOccupancy &occupancy, bool openAbove, bool openBelow);

    size_t size() const { return m_keys.size(); }
    uint32_t column(size_t face) const { return m_columns[face]; }
    unsigned z(size_t face) const { return m_keys[face] >> 3; }
    unsigned direction(size_t face) const { return m_keys[face] & 7u; }
    // The solid cell the face belongs to.
    uint32_t cell(size_t face) const { return uint32_t(uint64_t(m_columns[face]) * m_sizeZ + z(face)); }
    // The face's index, or -1 when that face is not exposed.
    int64_t find(size_t column, unsigned z, unsigned direction) const
    {
        const uint32_t key = (uint32_t(z) << 3) | direction;
        size_t low = m_columnStart[column], high = m_columnStart[column + 1];
        while (low < high) {
            const size_t middle = (low + high) / 2;
            if (m_keys[middle] < key)
                low = middle + 1;
            else
                high = middle;
        }
        return low < m_columnStart[column + 1] && m_keys[low] == key ? int64_t(low) : -1;
    }
    unsigned sizeZ() const { return m_sizeZ; }
    // The faces of a column with z in [zFirst, zLast], as an index range [first, last).
    std::pair<size_t, size_t> faceRange(size_t column, unsigned zFirst, unsigned zLast) const
    {
        const uint32_t *begin = m_keys.data() + m_columnStart[column], *end = m_keys.data() + m_columnStart[column + 1];
        const uint32_t *first = std::lower_bound(begin, end, uint32_t(zFirst) << 3);
        const uint32_t *last = std::lower_bound(first, end, (uint32_t(zLast) + 1) << 3);
        return {size_t(first - m_keys.data()), size_t(last - m_keys.data())};
    }
    // Each face's value averaged, by area, over the faces whose cells lie
    // within radius cells of its own (sideways across the wrap). On a
    // staircase this shares what the treads receive with the risers, as a
    // smooth slope of the same shape would spread it.
    std::vector<double> averagedNearby(const std::vector<double> &value, unsigned sizeX, unsigned sizeY,
                                       unsigned radius, const double cellSize[3]) const;

    static unsigned axis(unsigned direction) { return direction < 2 ? 2u : direction < 4 ? 1u : 0u; }
    static int sign(unsigned direction) { return (direction & 1u) ? 1 : -1; }

private:
    unsigned m_sizeZ = 0;
    std::vector<uint32_t> m_columns;     // per face
    std::vector<uint32_t> m_keys;        // per face: z * 8 + direction
    std::vector<uint32_t> m_columnStart; // per column, and one past the end
};

} // namespace Operations
} // namespace Core
