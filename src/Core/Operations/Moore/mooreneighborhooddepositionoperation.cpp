#include "mooreneighborhooddepositionoperation.h"

#include "mooreneighborhooddeposition.h"

namespace Core {
namespace Operations {

MooreNeighborhoodDepositionOperation::MooreNeighborhoodDepositionOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Moore film deposition"), FactoryNumber,
                       QStringLiteral("MooreFilmDep"))
{
}

void MooreNeighborhoodDepositionOperation::runEngine(Model::Automaton::TotalVolume &volume)
{
    MooreNeighborhoodDeposition(volume, m_material.value()).run(m_cells.value());
}

} // namespace Operations
} // namespace Core
