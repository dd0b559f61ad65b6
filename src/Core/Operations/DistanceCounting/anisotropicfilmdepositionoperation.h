#pragma once

#include "parametervalue.h"

#include "Core/Operations/processoperation.h"

namespace Core {
namespace Operations {

// "Anisotropic Deposition" (factory 27, runs as operation 13).
class AnisotropicFilmDepositionOperation : public ProcessOperation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 27;
    static const unsigned MaterialProcessId = 16;

    explicit AnisotropicFilmDepositionOperation(Workspace *workspace);

    void setFilmThickness(float thickness) { m_thickness.setNonNegative(thickness); }
    void setHorizontalRatio(float ratio) { m_ratio.setNonNegative(ratio); }
    void setMaterialId(unsigned id) { m_material.set(id); }

protected:
    bool parametersComplete() const override
    {
        return m_thickness.isGiven() && m_ratio.isGiven() && m_material.isGiven();
    }
    void runEngine(Model::Automaton::TotalVolume &volume) override;
    bool changesSilicon() const override { return m_material.value() == 1; }

private:
    ParameterValue<float> m_thickness{10};
    ParameterValue<float> m_ratio{0.5f};
    ParameterValue<unsigned> m_material;
};

} // namespace Operations
} // namespace Core
