#pragma once

#include "slabfronts.h"

#include "Model/Automaton/voxel.h"

#include <cstdint>
#include <vector>

namespace Core {
namespace Operations {

// The 26 cells around a cell (every offset in {-1, 0, +1}^3 but the cell
// itself), visited in lexicographic order: dx slowest, dz fastest.
// Neighbours outside the volume are skipped.
class MooreNeighborhood
{
public:
    MooreNeighborhood(unsigned sizeX, unsigned sizeY, unsigned sizeZ)
        : m_sizeX(sizeX), m_sizeY(sizeY), m_sizeZ(sizeZ), m_layer(sizeY * sizeZ)
    {
    }

    template <class F>
    void forEachNeighbour(uint32_t cell, F f) const
    {
        const unsigned x = cell / m_layer;
        const unsigned rest = cell - x * m_layer;
        const unsigned y = rest / m_sizeZ;
        const unsigned z = rest - y * m_sizeZ;
        const int x0 = x > 0 ? -1 : 0, x1 = x + 1 < m_sizeX ? 1 : 0;
        const int y0 = y > 0 ? -1 : 0, y1 = y + 1 < m_sizeY ? 1 : 0;
        const int z0 = z > 0 ? -1 : 0, z1 = z + 1 < m_sizeZ ? 1 : 0;
        for (int dx = x0; dx <= x1; ++dx)
            for (int dy = y0; dy <= y1; ++dy) {
                const int64_t row = int64_t(cell) + int64_t(dx) * m_layer + int64_t(dy) * m_sizeZ;
                for (int dz = z0; dz <= z1; ++dz)
                    if (dx | dy | dz)
                        f(uint32_t(row + dz));
            }
    }

    // Initialize pass of a slab: every cell of [first, last) that passes
    // isCandidate and has a Moore neighbour that passes isSource joins the
    // front, in increasing index. No cell may pass both tests. The neighbour
    // test is a separable 3 x 3 x 3 dilation of the source cells, nine
    // byte reads per cell instead of twenty-six voxel reads.
    template <class Candidate, class Source>
    void initializeFront(const Model::Automaton::Voxel *cells, unsigned first, unsigned last, SlabFronts &fronts,
                         unsigned slab, Candidate isCandidate, Source isSource) const
    {
        const size_t layer = m_layer;
        std::vector<uint8_t> previous(layer, 0), current(layer), next(layer, 0), rows(layer), columns(layer);
        auto load = [&](unsigned x, std::vector<uint8_t> &out) {
            const Model::Automaton::Voxel *base = cells + size_t(x) * layer;
            for (size_t i = 0; i < layer; ++i)
                out[i] = isSource(base[i]) ? 1 : 0;
        };
        if (first > 0)
            load(first - 1, previous);
        load(first, current);
        for (unsigned x = first; x < last; ++x) {
            if (x + 1 < m_sizeX)
                load(x + 1, next);
            else
                std::fill(next.begin(), next.end(), 0);
            for (size_t i = 0; i < layer; ++i)
                rows[i] = previous[i] | current[i] | next[i];
            for (unsigned y = 0; y < m_sizeY; ++y) {
                const uint8_t *mid = &rows[size_t(y) * m_sizeZ];
                const uint8_t *below = y > 0 ? mid - m_sizeZ : mid;
                const uint8_t *above = y + 1 < m_sizeY ? mid + m_sizeZ : mid;
                uint8_t *out = &columns[size_t(y) * m_sizeZ];
                for (unsigned z = 0; z < m_sizeZ; ++z)
                    out[z] = below[z] | mid[z] | above[z];
            }
            const uint32_t base = uint32_t(size_t(x) * layer);
            for (unsigned y = 0; y < m_sizeY; ++y) {
                const uint8_t *column = &columns[size_t(y) * m_sizeZ];
                const uint32_t start = base + y * m_sizeZ;
                for (unsigned z = 0; z < m_sizeZ; ++z) {
                    const bool near = column[z] | (z > 0 ? column[z - 1] : 0) | (z + 1 < m_sizeZ ? column[z + 1] : 0);
                    if (near && isCandidate(cells[start + z]))
                        fronts.addToFront(slab, start + z);
                }
            }
            previous.swap(current);
            current.swap(next);
        }
    }

private:
    unsigned m_sizeX, m_sizeY, m_sizeZ;
    uint32_t m_layer;
};

} // namespace Operations
} // namespace Core
