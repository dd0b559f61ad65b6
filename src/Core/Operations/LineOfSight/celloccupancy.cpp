#include "celloccupancy.h"

#include "Model/Automaton/voxel.h"
#include "Util/slabrunner.h"

#include <algorithm>

namespace Core {
namespace Operations {

CellOccupancy::CellOccupancy(unsigned sizeX, unsigned sizeY, unsigned sizeZ)
    : m_sizeX(sizeX), m_sizeY(sizeY), m_sizeZ(sizeZ), m_words((sizeZ + 63) / 64),
      m_bits(size_t(sizeX) * sizeY * ((sizeZ + 63) / 64), 0)
{
}

CellOccupancy CellOccupancy::of(const Model::Automaton::Voxel *cells, unsigned sizeX, unsigned sizeY, unsigned sizeZ)
{
    CellOccupancy occupancy(sizeX, sizeY, sizeZ);
    const Util::SlabPlan plan =
        Util::planSlabs(0, sizeX, Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount, 2);
    Util::runSlabs(plan, [&](const Util::SlabRange &range, unsigned) {
        for (unsigned x = range.first; x < range.last; ++x)
            for (unsigned y = 0; y < sizeY; ++y) {
                const size_t column = size_t(x) * sizeY + y;
                const Model::Automaton::Voxel *cell = cells + column * sizeZ;
                uint64_t *words = occupancy.m_bits.data() + column * occupancy.m_words;
                for (unsigned z = 0; z < sizeZ; ++z)
                    if (cell[z].material != 0)
                        words[z >> 6] |= uint64_t(1) << (z & 63);
            }
    });
    return occupancy;
}

unsigned CellOccupancy::top() const
{
    unsigned highest = 0;
    const size_t columns = columnCount();
    for (size_t c = 0; c < columns; ++c) {
        const uint64_t *words = column(c);
        for (unsigned w = m_words; w-- > 0;)
            if (words[w]) {
                const unsigned z = w * 64 + 63 - unsigned(__builtin_clzll(words[w]));
                highest = std::max(highest, z + 1);
                break;
            }
        if (highest == m_sizeZ)
            break;
    }
    return highest;
}

bool CellOccupancy::topLayerFull() const
{
    if (m_sizeZ == 0)
        return false;
    const unsigned z = m_sizeZ - 1;
    const size_t columns = columnCount();
    for (size_t c = 0; c < columns; ++c)
        if (!solid(c, z))
            return false;
    return columns > 0;
}

CellOccupancy CellOccupancy::flipped() const
{
    CellOccupancy copy(m_sizeX, m_sizeY, m_sizeZ);
    const size_t columns = columnCount();
    for (size_t c = 0; c < columns; ++c)
        for (unsigned z = 0; z < m_sizeZ; ++z)
            if (solid(c, z))
                copy.set(c, m_sizeZ - 1 - z, true);
    return copy;
}

} // namespace Operations
} // namespace Core
