#include "ionimplantationoperation.h"

#include "ionimplantation.h"

namespace Core {
namespace Operations {

IonImplantationOperation::IonImplantationOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Ion Implantation"), FactoryNumber, QStringLiteral("IonImplantation"))
{
}

void IonImplantationOperation::runEngine(Model::Automaton::TotalVolume &volume)
{
    IonImplantation(volume, m_material.value(), m_depth.value(), m_spread.value(), m_annealing.value(),
                    MaterialSet::fromProcess(ImplantableProcessId))
        .simulate();
}

} // namespace Operations
} // namespace Core
