#pragma once

#include "abstractdistancecountingautomatonnofinalize.h"

namespace Core {
namespace Operations {

// Etching in which a horizontal step counts 1/ratio of its length; other
// materials are masks and stay.
class AnisotropicFilmEtching : public AbstractDistanceCountingAutomatonNoFinalize
{
public:
    AnisotropicFilmEtching(Model::Automaton::TotalVolume &volume, uint32_t material, float depth,
                           float horizontalRatio);

    // The deposition count (not the etching one) on the scaled cell sizes.
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
