#include "mooreneighborhoodetchingoperation.h"

#include "mooreneighborhoodetching.h"

namespace Core {
namespace Operations {

MooreNeighborhoodEtchingOperation::MooreNeighborhoodEtchingOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Moore film deposition"), FactoryNumber,
                       QStringLiteral("MooreFilmDep"))
{
}

void MooreNeighborhoodEtchingOperation::runEngine(Model::Automaton::TotalVolume &volume)
{
    MooreNeighborhoodEtching(volume, m_material.value()).run(m_cells.value());
}

} // namespace Operations
} // namespace Core
