#include "anisotropicfilmdepositionoperation.h"

#include "anisotropicfilmdeposition.h"

namespace Core {
namespace Operations {

AnisotropicFilmDepositionOperation::AnisotropicFilmDepositionOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Anisotropic Deposition"), 13, QStringLiteral("AnisotropicDeposition"))
{
}

void AnisotropicFilmDepositionOperation::runEngine(Model::Automaton::TotalVolume &volume)
{
    AnisotropicFilmDeposition(volume, m_material.value(), m_thickness.value(), m_ratio.value()).simulate();
}

} // namespace Operations
} // namespace Core
