#include "anisotropicfilmdeposition.h"

namespace Core {
namespace Operations {

AnisotropicFilmDeposition::AnisotropicFilmDeposition(Model::Automaton::TotalVolume &volume, uint32_t material,
                                                     float thickness, float horizontalRatio)
    : IsotropicFilmDeposition(volume, material, thickness)
{
    scaleHorizontally(horizontalRatio, thickness);
}

void AnisotropicFilmDeposition::scaleHorizontally(float ratio, float distance)
{
    if (ratio > 0)
        setCellSizes(m_cx / ratio, m_cy / ratio, m_cz);
    else
        setCellSizes(2 * distance, 2 * distance, m_cz);
}

} // namespace Operations
} // namespace Core
