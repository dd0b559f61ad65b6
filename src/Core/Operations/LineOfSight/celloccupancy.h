#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {
struct Voxel;
}
} // namespace Model

namespace Core {
namespace Operations {

// Which cells of a volume are solid, one bit per cell, 64 cells of a column
// to a word. The particle tracer asks it at every cell it crosses: a bit per
// cell keeps the part of the volume a ray walks through in cache, where the
// cell records themselves would not fit. Columns are numbered x * sizeY + y,
// as in the cell array, so a cell's index is column * sizeZ + z.
class CellOccupancy
{
public:
    CellOccupancy() = default;
    CellOccupancy(unsigned sizeX, unsigned sizeY, unsigned sizeZ);

    // A cell is solid when it holds a material (any id but 0). Reads the
    // columns on the slab runner.
    static CellOccupancy of(const Model::Automaton::Voxel *cells, unsigned sizeX, unsigned sizeY, unsigned sizeZ);

    unsigned sizeX() const { return m_sizeX; }
    unsigned sizeY() const { return m_sizeY; }
    unsigned sizeZ() const { return m_sizeZ; }
    size_t columnCount() const { return size_t(m_sizeX) * m_sizeY; }
    unsigned wordsPerColumn() const { return m_words; }

    bool solid(size_t column, unsigned z) const
    {
        return (m_bits[column * m_words + (z >> 6)] >> (z & 63)) & 1u;
    }
    bool solid(unsigned x, unsigned y, unsigned z) const { return solid(size_t(x) * m_sizeY + y, z); }
    void set(size_t column, unsigned z, bool solid)
    {
        uint64_t &word = m_bits[column * m_words + (z >> 6)];
        const uint64_t bit = uint64_t(1) << (z & 63);
        word = solid ? (word | bit) : (word & ~bit);
    }
    // The words of one column, lowest z first; bits above sizeZ are 0.
    const uint64_t *column(size_t column) const { return m_bits.data() + column * m_words; }

    // One above the highest solid cell of the volume; 0 when no cell is solid.
    unsigned top() const;
    // Whether every cell of the top layer (z = sizeZ - 1) is solid.
    bool topLayerFull() const;
    // The volume upside down: cell (x, y, z) of the copy is cell (x, y, sizeZ - 1 - z).
    CellOccupancy flipped() const;

private:
    unsigned m_sizeX = 0, m_sizeY = 0, m_sizeZ = 0;
    unsigned m_words = 0;
    std::vector<uint64_t> m_bits;
};

} // namespace Operations
} // namespace Core
