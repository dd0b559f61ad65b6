#include "planarizationoperation.h"

#include "planarization.h"

namespace Core {
namespace Operations {

PlanarizationOperation::PlanarizationOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Planarization"), FactoryNumber, QStringLiteral("Planarization"))
{
}

void PlanarizationOperation::runEngine(Model::Automaton::TotalVolume &volume)
{
    Planarization(volume, m_maximum.value(), m_minimum.value()).run();
}

} // namespace Operations
} // namespace Core
