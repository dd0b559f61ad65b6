#pragma once

#include "abstractdistancecountingautomatonnofinalize.h"

#include <QMutex>

#include <vector>

namespace Core {
namespace Operations {

// Plating: a film grows from the cells of one conducting material only,
// through empty cells the electrolyte reaches; every other material shields it.
class Electrodeposition : public AbstractDistanceCountingAutomatonNoFinalize
{
public:
    Electrodeposition(Model::Automaton::TotalVolume &volume, uint32_t depositedMaterial, uint32_t conductingMaterial,
                      float thickness);

    int iterationCount() const;
    void simulate();

    void run(int iterations) override;
    void initializeSlab(unsigned first, unsigned last, unsigned slab) override;
    void initializeCell(uint32_t cell, unsigned slab) override;
    MaterialSet bandMaterials() const override { return MaterialSet{0}; }
    void updateCell(uint32_t cell, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                    unsigned slab) override;

    // Per cell of the volume (cell index order): 1 for an empty cell joined to a
    // face of the volume through empty cells, 0 for every other cell. An empty
    // cell without such a path lies in a sealed void the electrolyte cannot fill.
    static std::vector<uint8_t> openEmptyCells(const Model::Automaton::Voxel *cells, unsigned sizeX, unsigned sizeY,
                                               unsigned sizeZ);

private:
    uint32_t m_material;
    uint32_t m_conductor;
    float m_distance;
    float m_distanceSq;
    // Found once per run, by the first slab to initialize, while the cells are locked.
    QMutex m_openLock;
    bool m_openFound = false;
    std::vector<uint8_t> m_open;
};

} // namespace Operations
} // namespace Core
