#pragma once

#include "isotropicfilmdeposition.h"

namespace Core {
namespace Operations {

// Deposition in which a horizontal step counts 1/ratio of its length: ratio 1
// is isotropic, ratio 0 grows the film only vertically. The isotropic
// automaton on horizontally scaled cell sizes.
class AnisotropicFilmDeposition : public IsotropicFilmDeposition
{
public:
    AnisotropicFilmDeposition(Model::Automaton::TotalVolume &volume, uint32_t material, float thickness,
                              float horizontalRatio);

protected:
    // Scales the horizontal cell sizes by 1/ratio, or makes one horizontal step exceed distance when ratio <= 0.
    void scaleHorizontally(float ratio, float distance);
};

} // namespace Operations
} // namespace Core
