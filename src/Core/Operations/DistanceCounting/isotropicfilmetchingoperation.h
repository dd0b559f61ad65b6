#pragma once

#include "parametervalue.h"

#include "Core/Operations/processoperation.h"

namespace Core {
namespace Operations {

// "Isotropic Etching" (factory 14).
class IsotropicFilmEtchingOperation : public ProcessOperation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 14;
    static const unsigned MaterialProcessId = 10;

    explicit IsotropicFilmEtchingOperation(Workspace *workspace);

    void setDepth(float depth) { m_depth.setNonNegative(depth); }
    void setMaterialId(unsigned id) { m_material.set(id); }

protected:
    bool parametersComplete() const override { return m_depth.isGiven() && m_material.isGiven(); }
    void runEngine(Model::Automaton::TotalVolume &volume) override;
    bool changesSilicon() const override { return m_material.value() == 1; }

private:
    ParameterValue<float> m_depth{10};
    ParameterValue<unsigned> m_material;
};

} // namespace Operations
} // namespace Core
