#include "simplephysicalvapordepositionoperation.h"

#include "simplephysicalvapordeposition.h"

namespace Core {
namespace Operations {

SimplePhysicalVaporDepositionOperation::SimplePhysicalVaporDepositionOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Isotropic Deposition"), 13, QStringLiteral("IsotropicDeposition"))
{
}

void SimplePhysicalVaporDepositionOperation::setDepositOn(int mode)
{
    if (mode >= SimplePhysicalVaporDeposition::Top && mode <= SimplePhysicalVaporDeposition::BothSides)
        m_depositOn.set(mode);
    else
        m_depositOn = ParameterValue<int>(1);
}

void SimplePhysicalVaporDepositionOperation::runEngine(Model::Automaton::TotalVolume &volume)
{
    SimplePhysicalVaporDeposition(volume, m_material.value(), m_thickness.value(), m_ratio.value(), m_depositOn.value())
        .simulate();
}

} // namespace Operations
} // namespace Core
