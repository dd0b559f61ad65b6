#include "electrodeposition.h"

#include "Model/Automaton/voxel.h"

#include <QMutexLocker>

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
}

int Electrodeposition::iterationCount() const { return depositionIterations(m_distance, minCellSize()); }

void Electrodeposition::simulate() { run(iterationCount()); }

void Electrodeposition::run(int iterations)
{
    m_openFound = false;
    AbstractDistanceCountingAutomatonNoFinalize::run(iterations);
    m_open = std::vector<uint8_t>();
}

std::vector<uint8_t> Electrodeposition::openEmptyCells(const Voxel *cells, unsigned sizeX, unsigned sizeY,
                                                       unsigned sizeZ)
{
    const uint64_t layer = uint64_t(sizeY) * sizeZ, count = layer * sizeX;
    std::vector<uint8_t> open(size_t(count), 0);
    std::vector<uint32_t> todo;
    const auto reach = [&](uint64_t i) {
        if (!open[i] && cells[i].material == 0) {
            open[i] = 1;
            todo.push_back(uint32_t(i));
        }
    };
    // The electrolyte comes in through the faces of the volume.
    for (unsigned x = 0; x < sizeX; ++x)
        for (unsigned y = 0; y < sizeY; ++y) {
            const uint64_t column = x * layer + uint64_t(y) * sizeZ;
            if (x == 0 || x + 1 == sizeX || y == 0 || y + 1 == sizeY) {
                for (unsigned z = 0; z < sizeZ; ++z)
                    reach(column + z);
            } else if (sizeZ > 0) {
                reach(column);
                reach(column + sizeZ - 1);
            }
        }
    while (!todo.empty()) {
        const uint64_t i = todo.back();
        todo.pop_back();
        const unsigned z = unsigned(i % sizeZ), y = unsigned((i / sizeZ) % sizeY), x = unsigned(i / layer);
        if (z > 0)
            reach(i - 1);
        if (z + 1 < sizeZ)
            reach(i + 1);
        if (y > 0)
            reach(i - sizeZ);
        if (y + 1 < sizeY)
            reach(i + sizeZ);
        if (x > 0)
            reach(i - layer);
        if (x + 1 < sizeX)
            reach(i + layer);
    }
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
    Voxel &voxel = cell(index);
    if (voxel.material != 0) {
        voxel.automatonFlag = 1;
        if (voxel.material == m_conductor)
            setVector(voxel, 0, 0, 0);
        else
            setVector(voxel, m_distance, m_distance, m_distance);
        return;
    }
    setVector(voxel, m_distance, m_distance, m_distance);
    if (!m_open[index]) {
        // A sealed void: no electrolyte, no film, and no distance passes through it.
        voxel.automatonFlag = 1;
        return;
    }
    voxel.automatonFlag = 0;
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
    if (voxel.automatonFlag)
        return;
    relaxInto(index, voxel.material != 0 ? voxel.material : m_material, m_distanceSq, m_steps, first, last, newFront,
              slab);
}

} // namespace Operations
} // namespace Core
