#include "oxidedepth.h"

#include "simplesioxidation.h"

#include "Model/Automaton/totalvolume.h"

#include <cmath>

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::Voxel;

namespace {

const uint32_t Oxide = SimpleSiOxidation::OxideMaterial;
// Oxide not reached from the measured side: far beyond any volume, yet squares stay finite in float.
const float Far = 1e15f;

} // namespace

OxideDepth::OxideDepth(Model::Automaton::TotalVolume &volume, const MaterialSet &oxidizable, Side side)
    : AbstractDistanceCountingAutomatonBase(volume),
      m_oxidizable(oxidizable),
      m_side(side),
      m_sources(getSlabCount()),
      m_entries(getSlabCount())
{
    m_propagatingMaterials = MaterialSet{Oxide};
    setScratchDefaults({1, {Far, Far, Far}}, MaterialSet{Oxide}, {0, {Far, Far, Far}}, {1, {Far, Far, Far}});
    for (unsigned d = 0; d < 6; ++d)
        for (unsigned a = 0; a < 3; ++a)
            m_absoluteSteps[d][a] = std::fabs(m_steps[d][a]);
}

bool OxideDepth::volumeHoldsOxide(Model::Automaton::TotalVolume &volume)
{
    CellLock lock(volume);
    const Voxel *cells = lock.cells();
    const uint64_t count = volume.getCellCount();
    for (uint64_t i = 0; i < count; ++i)
        if (cells[i].material == Oxide)
            return true;
    return false;
}

std::vector<OxideDepth::Entry> OxideDepth::measure()
{
    // No path through the oxide is longer than walking the volume's edges.
    const double longest = double(m_sizeX) * m_cx + double(m_sizeY) * m_cy + double(m_sizeZ) * m_cz;
    run(toIterations(std::ceil(longest * DistanceFactor / double(minCellSize()))));
    std::vector<Entry> all;
    for (std::vector<Entry> &slab : m_entries) {
        all.insert(all.end(), slab.begin(), slab.end());
        slab = std::vector<Entry>();
    }
    return all;
}

bool OxideDepth::isSource(uint32_t material) const
{
    return m_side == AtSilicon ? material == 0 : material != Oxide && m_oxidizable.contains(material);
}

bool OxideDepth::isTarget(uint32_t index, unsigned slab) const
{
    const uint32_t material = cell(index).material;
    if (m_side == AtSurface)
        return material == 0 && anyNeighbour(index, slab, [](const Voxel &n) { return n.material == Oxide; });
    return material != Oxide && m_oxidizable.contains(material) &&
           !anyNeighbour(index, slab, [](const Voxel &n) { return n.material == 0; }) &&
           anyNeighbour(index, slab, [](const Voxel &n) { return n.material == Oxide; });
}

void OxideDepth::initializeCell(uint32_t index, unsigned slab)
{
    if (cell(index).material != Oxide) {
        setScratch(index, 1, Far, Far, Far);
        return;
    }
    // An oxide cell on the measured side is a source half a cell deep, through its nearest face there.
    const unsigned mask = neighbourMask(index, slab);
    float best = Far;
    int direction = -1;
    for (unsigned d = 0; d < 6; ++d) {
        if (!(mask & (1u << d)) || !isSource(cell(neighbour(index, d)).material))
            continue;
        const float half = 0.5f * m_absoluteSteps[d][componentOf(d)];
        if (half < best) {
            best = half;
            direction = int(d);
        }
    }
    if (direction < 0) {
        setScratch(index, 0, Far, Far, Far);
        return;
    }
    float v[3] = {0, 0, 0};
    v[componentOf(unsigned(direction))] = best;
    setScratch(index, 1, v[0], v[1], v[2]);
    m_sources[slab].push_back(index);
}

void OxideDepth::linkSlab(unsigned first, unsigned last, unsigned slab)
{
    std::vector<uint32_t> front;
    routeNeighbours(m_sources[slab], first, last, front, slab,
                    [this](uint32_t n) { return cell(n).material == Oxide && !flagOf(n); });
    for (uint32_t index : front)
        addToFront(index, slab);
    m_sources[slab].clear();
}

void OxideDepth::updateCell(uint32_t index, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                            unsigned slab)
{
    if (flagOf(index))
        return;
    relaxInto(index, Oxide, Far * Far, m_absoluteSteps, first, last, newFront, slab);
}

// Only reads: every distance is final once the front has run dry.
void OxideDepth::finalizeCell(uint32_t index, unsigned slab)
{
    if (!isTarget(index, slab))
        return;
    const unsigned mask = neighbourMask(index, slab);
    float best = Far;
    int direction = -1;
    for (unsigned d = 0; d < 6; ++d) {
        if (!(mask & (1u << d)))
            continue;
        const uint32_t n = neighbour(index, d);
        const float *nv = vectorOf(n);
        if (cell(n).material != Oxide || lengthSquared(nv) >= 0.25f * Far * Far)
            continue;
        float v[3] = {nv[0], nv[1], nv[2]};
        const unsigned c = componentOf(d);
        v[c] += 0.5f * m_absoluteSteps[d][c];
        // The face of the oxide moves out where silicon lies beneath it, not
        // where the nearest silicon lies off to the side (oxide on a mask).
        if (m_side == AtSurface && lengthSquared(v) - v[c] * v[c] > v[c] * v[c])
            continue;
        const float depth = std::sqrt(lengthSquared(v));
        if (depth < best) {
            best = depth;
            direction = int(d);
        }
    }
    if (direction >= 0)
        m_entries[slab].push_back({index, best, uint8_t(direction)});
}

} // namespace Operations
} // namespace Core
