#pragma once

#include "Core/Operations/DistanceCounting/parametervalue.h"
#include "Core/Operations/processoperation.h"

namespace Core {
namespace Operations {

// "Moore film deposition" (factory 18): a film a whole number of cells thick.
class MooreNeighborhoodDepositionOperation : public ProcessOperation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 18;

    explicit MooreNeighborhoodDepositionOperation(Workspace *workspace);

    void setMaterialId(unsigned id) { m_material.set(id); }
    void setThickness(unsigned cells) { m_cells.set(cells); }

protected:
    bool parametersComplete() const override { return m_material.isGiven() && m_cells.isGiven(); }
    void runEngine(Model::Automaton::TotalVolume &volume) override;
    bool changesSilicon() const override { return m_material.value() == 1; }

private:
    ParameterValue<unsigned> m_material;
    ParameterValue<unsigned> m_cells{1};
};

} // namespace Operations
} // namespace Core
