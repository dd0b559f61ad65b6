#pragma once

#include "abstractdistancecountingautomatonnofinalize.h"

namespace Core {
namespace Operations {

// Plating: a film grows from the cells of one conducting material only,
// through empty cells; every other material shields it.
class Electrodeposition : public AbstractDistanceCountingAutomatonNoFinalize
{
public:
    Electrodeposition(Model::Automaton::TotalVolume &volume, uint32_t depositedMaterial, uint32_t conductingMaterial,
                      float thickness);

    int iterationCount() const;
    void simulate();

    void initializeCell(uint32_t cell, unsigned slab) override;
    void updateCell(uint32_t cell, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                    unsigned slab) override;

private:
    uint32_t m_material;
    uint32_t m_conductor;
    float m_distance;
    float m_distanceSq;
};

} // namespace Operations
} // namespace Core
