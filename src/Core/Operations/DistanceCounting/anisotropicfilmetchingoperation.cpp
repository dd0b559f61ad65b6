#include "anisotropicfilmetchingoperation.h"

#include "anisotropicfilmetching.h"

namespace Core {
namespace Operations {

AnisotropicFilmEtchingOperation::AnisotropicFilmEtchingOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Anisotropic Etching"), 13, QStringLiteral("AnisotropicEtching"))
{
}

void AnisotropicFilmEtchingOperation::runEngine(Model::Automaton::TotalVolume &volume)
{
    AnisotropicFilmEtching(volume, m_material.value(), m_depth.value(), m_ratio.value()).simulate();
}

} // namespace Operations
} // namespace Core
