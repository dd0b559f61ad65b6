#include "spincoatingoperation.h"

#include "spincoating.h"

namespace Core {
namespace Operations {

SpinCoatingOperation::SpinCoatingOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Spin Coating"), FactoryNumber, QStringLiteral("SpinCoating"))
{
}

void SpinCoatingOperation::runEngine(Model::Automaton::TotalVolume &volume)
{
    SpinCoating(volume, m_material.value(), m_height.value()).run();
}

} // namespace Operations
} // namespace Core
