#include "electrodepositionoperation.h"

#include "electrodeposition.h"

namespace Core {
namespace Operations {

ElectrodepositionOperation::ElectrodepositionOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Electroplating"), FactoryNumber, QStringLiteral("Electroplating"))
{
}

void ElectrodepositionOperation::runEngine(Model::Automaton::TotalVolume &volume)
{
    Electrodeposition(volume, m_deposited.value(), m_conductor.value(), m_thickness.value()).simulate();
}

} // namespace Operations
} // namespace Core
