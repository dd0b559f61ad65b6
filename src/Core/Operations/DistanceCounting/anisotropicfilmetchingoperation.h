#pragma once

#include "parametervalue.h"

#include "Core/Operations/processoperation.h"

namespace Core {
namespace Operations {

// "Anisotropic Etching" (factory 32, runs as operation 13).
class AnisotropicFilmEtchingOperation : public ProcessOperation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 32;
    static const unsigned MaterialProcessId = 17;

    explicit AnisotropicFilmEtchingOperation(Workspace *workspace);

    void setEtchDepth(float depth) { m_depth.setNonNegative(depth); }
    void setHorizontalRatio(float ratio) { m_ratio.setNonNegative(ratio); }
    void setMaterialId(unsigned id) { m_material.set(id); }

protected:
    bool parametersComplete() const override
    {
        return m_depth.isGiven() && m_ratio.isGiven() && m_material.isGiven();
    }
    void runEngine(Model::Automaton::TotalVolume &volume) override;
    bool changesSilicon() const override { return m_material.value() == 1; }

private:
    ParameterValue<float> m_depth{10};
    ParameterValue<float> m_ratio{0.5f};
    ParameterValue<unsigned> m_material;
};

} // namespace Operations
} // namespace Core
