#include "simplesioxidationoperation.h"

#include "simplesioxidation.h"

namespace Core {
namespace Operations {

SimpleSiOxidationOperation::SimpleSiOxidationOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Simple Si Oxidation"), FactoryNumber,
                       QStringLiteral("SimpleSiOxidation"))
{
}

double SimpleSiOxidationOperation::thicknessMicrons() const
{
    if (m_thickness.isGiven())
        return m_thickness.value();
    return SimpleSiOxidation::dealGroveThickness(m_time.value(), m_temperature.value(), m_pressure.value());
}

void SimpleSiOxidationOperation::runEngine(Model::Automaton::TotalVolume &volume)
{
    SimpleSiOxidation oxidation(volume, MaterialSet::fromProcess(OxidizableProcessId),
                                m_conversion.isGiven() ? m_conversion.value() : 1.0);
    if (m_thickness.isGiven())
        oxidation.oxidize(m_thickness.value());
    else
        oxidation.oxidizeFor(m_time.value(), m_temperature.value(), m_pressure.value());
}

} // namespace Operations
} // namespace Core
