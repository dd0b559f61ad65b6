#pragma once

#include "abstractdistancecountingautomatonnofinalize.h"

namespace Core {
namespace Operations {

// Turns every dopable cell within a depth of an exposed surface into the doped material.
class SimpleDoping : public AbstractDistanceCountingAutomatonNoFinalize
{
public:
    // dopable: the materials that can be doped (the catalogue's simple doping process).
    SimpleDoping(Model::Automaton::TotalVolume &volume, uint32_t dopedMaterial, float depth,
                 const MaterialSet &dopable);

    int iterationCount() const;
    void simulate();

    void collectNeighbours(uint32_t cell, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                           unsigned slab) override;
    void initializeCell(uint32_t cell, unsigned slab) override;
    bool skipsUniformCells() const override { return true; }
    MaterialSet bandMaterials() const override { return m_dopable; }
    void updateCell(uint32_t cell, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                    unsigned slab) override;

private:
    uint32_t m_material;
    float m_distance;
    float m_distanceSq;
    MaterialSet m_dopable;
};

} // namespace Operations
} // namespace Core
