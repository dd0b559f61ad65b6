#pragma once

#include "anisotropicfilmdeposition.h"

namespace Core {
namespace Operations {

// Anisotropic deposition that grows only from surfaces facing up, down or both.
class SimplePhysicalVaporDeposition : public AnisotropicFilmDeposition
{
public:
    enum DepositOn { Top = 1, Bottom = 2, BothSides = 3 };

    SimplePhysicalVaporDeposition(Model::Automaton::TotalVolume &volume, uint32_t material, float thickness,
                                  float horizontalRatio, int depositOn);

    void initializeCell(uint32_t cell, unsigned slab) override;

private:
    int m_depositOn;
};

} // namespace Operations
} // namespace Core
