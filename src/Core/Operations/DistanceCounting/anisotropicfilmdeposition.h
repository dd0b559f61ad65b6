#pragma once

#include "abstractdistancecountingautomatonnofinalize.h"

namespace Core {
namespace Operations {

// Deposition in which a horizontal step counts 1/ratio of its length: ratio 1
// is isotropic, ratio 0 grows the film only vertically.
class AnisotropicFilmDeposition : public AbstractDistanceCountingAutomatonNoFinalize
{
public:
    AnisotropicFilmDeposition(Model::Automaton::TotalVolume &volume, uint32_t material, float thickness,
                              float horizontalRatio);

    // The deposition count on the scaled cell sizes.
    int iterationCount() const;
    void simulate();

    void initializeCell(uint32_t cell, unsigned slab) override;
    void updateCell(uint32_t cell, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                    unsigned slab) override;

protected:
    // Scales the horizontal cell sizes by 1/ratio, or makes one horizontal step exceed distance when ratio <= 0.
    void scaleHorizontally(float ratio, float distance);

    uint32_t m_material;
    float m_distance;
    float m_distanceSq;
};

} // namespace Operations
} // namespace Core
