#pragma once

#include "parametervalue.h"

#include "Core/Operations/processoperation.h"

namespace Core {
namespace Operations {

// Physical vapour deposition (factory 31, runs as operation 13). It reports as
// "Isotropic Deposition" and shares that step's undo key; the snapshot serials
// are unique per key, so the two steps' undo records never mix.
class SimplePhysicalVaporDepositionOperation : public ProcessOperation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 31;
    static const unsigned MaterialProcessId = 4;

    explicit SimplePhysicalVaporDepositionOperation(Workspace *workspace);

    void setThickness(float thickness) { m_thickness.setNonNegative(thickness); }
    void setHorizontalRatio(float ratio) { m_ratio.setNonNegative(ratio); }
    // 1 top, 2 bottom, 3 both sides; any other value leaves the choice missing.
    void setDepositOn(int mode);
    void setMaterialId(unsigned id) { m_material.set(id); }

protected:
    bool parametersComplete() const override
    {
        return m_thickness.isGiven() && m_ratio.isGiven() && m_depositOn.isGiven() && m_material.isGiven();
    }
    void runEngine(Model::Automaton::TotalVolume &volume) override;
    bool changesSilicon() const override { return m_material.value() == 1; }

private:
    ParameterValue<float> m_thickness{10};
    ParameterValue<float> m_ratio{0.5f};
    ParameterValue<int> m_depositOn{1};
    ParameterValue<unsigned> m_material;
};

} // namespace Operations
} // namespace Core
