#pragma once

#include "abstractdistancecountingautomatonnofinalize.h"

namespace Core {
namespace Operations {

// Removes one material to a given depth from every surface exposed to empty
// cells; other materials are masks and stay.
class IsotropicFilmEtching : public AbstractDistanceCountingAutomatonNoFinalize
{
public:
    IsotropicFilmEtching(Model::Automaton::TotalVolume &volume, uint32_t material, float depth);

    int iterationCount() const;
    void simulate();

    void initializeCell(uint32_t cell, unsigned slab) override;
    bool skipsUniformCells() const override { return true; }
    MaterialSet bandMaterials() const override { return MaterialSet{m_material}; }
    void updateCell(uint32_t cell, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                    unsigned slab) override;

private:
    uint32_t m_material;
    float m_distance;
    float m_distanceSq;
};

} // namespace Operations
} // namespace Core
