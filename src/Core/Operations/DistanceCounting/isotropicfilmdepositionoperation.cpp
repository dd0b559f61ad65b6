#include "isotropicfilmdepositionoperation.h"

#include "isotropicfilmdeposition.h"

namespace Core {
namespace Operations {

IsotropicFilmDepositionOperation::IsotropicFilmDepositionOperation(Workspace *workspace, int factoryNumber)
    : ProcessOperation(workspace,
                       factoryNumber == CvdFactoryNumber ? QStringLiteral("CVD") : QStringLiteral("Isotropic Deposition"),
                       FactoryNumber, QStringLiteral("IsotropicDeposition")),
      m_materialProcessId(factoryNumber == CvdFactoryNumber ? 3 : 18)
{
}

void IsotropicFilmDepositionOperation::runEngine(Model::Automaton::TotalVolume &volume)
{
    IsotropicFilmDeposition(volume, m_material.value(), m_thickness.value()).simulate();
}

} // namespace Operations
} // namespace Core
