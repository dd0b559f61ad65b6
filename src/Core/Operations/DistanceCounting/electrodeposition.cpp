#include "electrodeposition.h"

#include "Model/Automaton/voxel.h"

#include <QMutexLocker>

#include <algorithm>

namespace Core {
namespace Operations {

using Model::Automaton::Voxel;

Electrodeposition::Electrodeposition(Model::Automaton::TotalVolume &volume, uint32_t depositedMaterial,
                                     uint32_t conductingMaterial, float thickness)
    : AbstractDistanceCountingAutomatonNoFinalize(volume),
      m_material(depositedMaterial),
      m_conductor(conductingMaterial),
      m_distance(thickness),
      m_distanceSq(thickness * thickness)
{
    m_propagatingMaterials = MaterialSet{0, depositedMaterial};
    const float d = thickness;
    setScratchDefaults({0, {d, d, d}}, MaterialSet{conductingMaterial}, {1, {0, 0, 0}}, {1, {d, d, d}});
}

int Electrodeposition::iterationCount() const { return depositionIterations(m_distance, minCellSize()); }

void Electrodeposition::simulate() { run(iterationCount()); }

void Electrodeposition::run(int iterations)
{
    m_openFound = false;
    AbstractDistanceCountingAutomatonNoFinalize::run(iterations);
    m_open = std::vector<uint8_t>();
}

namespace {

// A run of empty cells in one z column: [first, last).
struct EmptyRun
{
    uint32_t first, last;
};

} // namespace

std::vector<uint8_t> Electrodeposition::openEmptyCells(const Voxel *cells, unsigned sizeX, unsigned sizeY,
                                                       unsigned sizeZ)
{
    // The flood runs over z runs of empty cells rather than over cells: a
    // column holds few runs, so the walk is about as long as the volume is wide.
    const size_t columns = size_t(sizeX) * sizeY;
    std::vector<EmptyRun> runs;
    std::vector<size_t> start(columns + 1, 0);
    for (size_t c = 0; c < columns; ++c) {
        start[c] = runs.size();
        const Voxel *column = cells + c * sizeZ;
        for (uint32_t z = 0; z < sizeZ;) {
            if (column[z].material != 0) {
                ++z;
                continue;
            }
            const uint32_t first = z;
            while (z < sizeZ && column[z].material == 0)
                ++z;
            runs.push_back({first, z});
        }
    }
    start[columns] = runs.size();

    std::vector<uint8_t> reached(runs.size(), 0);
    std::vector<size_t> todo;
    const auto reach = [&](size_t r) {
        if (!reached[r]) {
            reached[r] = 1;
            todo.push_back(r);
        }
    };
    // The electrolyte comes in through the faces of the volume.
    for (unsigned x = 0; x < sizeX; ++x)
        for (unsigned y = 0; y < sizeY; ++y) {
            const size_t c = size_t(x) * sizeY + y;
            const bool side = x == 0 || x + 1 == sizeX || y == 0 || y + 1 == sizeY;
            for (size_t r = start[c]; r < start[c + 1]; ++r)
                if (side || runs[r].first == 0 || runs[r].last == sizeZ)
                    reach(r);
        }
    // A run joins the runs of the four neighbour columns that overlap it in z.
    const auto joinColumn = [&](size_t c, const EmptyRun &run) {
        const auto begin = runs.begin() + std::ptrdiff_t(start[c]), end = runs.begin() + std::ptrdiff_t(start[c + 1]);
        auto it = std::lower_bound(begin, end, run.first,
                                   [](const EmptyRun &other, uint32_t z) { return other.last <= z; });
        for (; it != end && it->first < run.last; ++it)
            reach(size_t(it - runs.begin()));
    };
    while (!todo.empty()) {
        const size_t r = todo.back();
        todo.pop_back();
        const size_t c = size_t(std::upper_bound(start.begin(), start.end(), r) - start.begin()) - 1;
        const unsigned x = unsigned(c / sizeY), y = unsigned(c % sizeY);
        const EmptyRun run = runs[r];
        if (x > 0)
            joinColumn(c - sizeY, run);
        if (x + 1 < sizeX)
            joinColumn(c + sizeY, run);
        if (y > 0)
            joinColumn(c - 1, run);
        if (y + 1 < sizeY)
            joinColumn(c + 1, run);
    }

    std::vector<uint8_t> open(columns * sizeZ, 0);
    for (size_t c = 0; c < columns; ++c)
        for (size_t r = start[c]; r < start[c + 1]; ++r)
            if (reached[r])
                std::fill(open.begin() + std::ptrdiff_t(c * sizeZ + runs[r].first),
                          open.begin() + std::ptrdiff_t(c * sizeZ + runs[r].last), uint8_t(1));
    return open;
}

void Electrodeposition::initializeSlab(unsigned first, unsigned last, unsigned slab)
{
    {
        // Whether a void is sealed depends on the whole volume, not on one slab.
        QMutexLocker locker(&m_openLock);
        if (!m_openFound) {
            m_open = openEmptyCells(m_cells, m_sizeX, m_sizeY, m_sizeZ);
            m_openFound = true;
        }
    }
    AbstractDistanceCountingAutomatonNoFinalize::initializeSlab(first, last, slab);
}

void Electrodeposition::initializeCell(uint32_t index, unsigned slab)
{
    const Voxel &voxel = cell(index);
    if (voxel.material != 0) {
        if (voxel.material == m_conductor)
            setScratch(index, 1, 0, 0, 0);
        else
            setScratch(index, 1, m_distance, m_distance, m_distance);
        return;
    }
    if (!m_open[index]) {
        // A sealed void: no electrolyte, no film, and no distance passes through it.
        setScratch(index, 1, m_distance, m_distance, m_distance);
        return;
    }
    setScratch(index, 0, m_distance, m_distance, m_distance);
    // The electrolyte reaches an empty cell through a neighbour that is not the
    // conductor: a cell the conductor closes in on every side inside the volume
    // stays empty. Of the others, only those touching the conductor can find a
    // distance in the first step, as every other neighbour holds (T, T, T);
    // entering the rest would only cost time.
    const uint32_t conductor = m_conductor;
    bool touches = false, reached = false;
    anyNeighbour(index, slab, [conductor, &touches, &reached](const Voxel &n) {
        (n.material == conductor ? touches : reached) = true;
        return touches && reached;
    });
    if (touches && reached)
        addToFront(index, slab);
}

void Electrodeposition::updateCell(uint32_t index, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                                   unsigned slab)
{
    const Voxel &voxel = cell(index);
    if (flagOf(index))
        return;
    relaxInto(index, voxel.material != 0 ? voxel.material : m_material, m_distanceSq, m_steps, first, last, newFront,
              slab);
}

} // namespace Operations
} // namespace Core
