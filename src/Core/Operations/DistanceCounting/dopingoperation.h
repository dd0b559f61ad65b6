#pragma once

#include "parametervalue.h"

#include "Core/Operations/processoperation.h"

namespace Core {
namespace Operations {

// "Doping" (factory 17): the materials of catalogue process 13 within a depth of the surface.
class DopingOperation : public ProcessOperation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 17;
    static const unsigned MaterialProcessId = 13;

    explicit DopingOperation(Workspace *workspace);

    void setDopingDepth(float depth) { m_depth.setNonNegative(depth); }
    void setDopedMaterialId(unsigned id) { m_material.set(id); }

protected:
    bool parametersComplete() const override { return m_depth.isGiven() && m_material.isGiven(); }
    void runEngine(Model::Automaton::TotalVolume &volume) override;
    bool changesSilicon() const override { return true; }

private:
    ParameterValue<float> m_depth{10};
    ParameterValue<unsigned> m_material;
};

} // namespace Operations
} // namespace Core
