#pragma once

#include "parametervalue.h"

#include "Core/Operations/processoperation.h"

namespace Core {
namespace Operations {

// "Electroplating" (factory 15). Never plates silicon, so the lattice stays valid.
class ElectrodepositionOperation : public ProcessOperation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 15;

    explicit ElectrodepositionOperation(Workspace *workspace);

    void setFilmThickness(float thickness) { m_thickness.setNonNegative(thickness); }
    void setDepositedMaterialId(unsigned id) { m_deposited.set(id); }
    void setConductingMaterialId(unsigned id) { m_conductor.set(id); }

protected:
    bool parametersComplete() const override
    {
        return m_thickness.isGiven() && m_deposited.isGiven() && m_conductor.isGiven();
    }
    void runEngine(Model::Automaton::TotalVolume &volume) override;

private:
    ParameterValue<float> m_thickness{10};
    ParameterValue<unsigned> m_deposited;
    ParameterValue<unsigned> m_conductor;
};

} // namespace Operations
} // namespace Core
