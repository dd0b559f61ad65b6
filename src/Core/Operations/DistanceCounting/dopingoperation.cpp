#include "dopingoperation.h"

#include "simpledoping.h"

namespace Core {
namespace Operations {

DopingOperation::DopingOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Doping"), FactoryNumber, QStringLiteral("Doping"))
{
}

void DopingOperation::runEngine(Model::Automaton::TotalVolume &volume)
{
    SimpleDoping(volume, m_material.value(), m_depth.value(), MaterialSet::fromProcess(MaterialProcessId)).simulate();
}

} // namespace Operations
} // namespace Core
