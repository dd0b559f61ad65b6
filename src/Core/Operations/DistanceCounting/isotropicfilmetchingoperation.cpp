#include "isotropicfilmetchingoperation.h"

#include "isotropicfilmetching.h"

namespace Core {
namespace Operations {

IsotropicFilmEtchingOperation::IsotropicFilmEtchingOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Isotropic Etching"), FactoryNumber, QStringLiteral("IsotropicEtching"))
{
}

void IsotropicFilmEtchingOperation::runEngine(Model::Automaton::TotalVolume &volume)
{
    IsotropicFilmEtching(volume, m_material.value(), m_depth.value()).simulate();
}

} // namespace Operations
} // namespace Core
