#pragma once

#include "abstractdistancecountingautomatonnofinalize.h"

namespace Core {
namespace Operations {

// Grows a film of one material, of a given thickness, on every non-empty surface.
class IsotropicFilmDeposition : public AbstractDistanceCountingAutomatonNoFinalize
{
public:
    IsotropicFilmDeposition(Model::Automaton::TotalVolume &volume, uint32_t material, float thickness);

    int iterationCount() const;
    // Runs with iterationCount().
    void simulate();

    void initializeCell(uint32_t cell, unsigned slab) override;
    bool skipsUniformCells() const override { return true; }
    // Only empty cells take a distance and the film.
    MaterialSet bandMaterials() const override { return MaterialSet{0}; }
    void updateCell(uint32_t cell, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                    unsigned slab) override;

protected:
    uint32_t m_material;
    float m_distance;
    float m_distanceSq;
};

} // namespace Operations
} // namespace Core
