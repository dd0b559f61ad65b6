#pragma once

#include "parametervalue.h"

#include "Core/Operations/processoperation.h"

namespace Core {
namespace Operations {

// "Ion Implantation" (factory 3). Keeps no undo entry.
class IonImplantationOperation : public ProcessOperation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 3;
    // The materials ions enter come from catalogue process 13; the dialog offers those of process 15.
    static const unsigned ImplantableProcessId = 13;
    static const unsigned MaterialProcessId = 15;

    explicit IonImplantationOperation(Workspace *workspace);

    void setImplantationDepth(float depth) { m_depth.setNonNegative(depth); }
    void setVerticalSpread(float spread) { m_spread.setNonNegative(spread); }
    void setAnnealingDistance(float distance) { m_annealing.setNonNegative(distance); }
    void setDopedMaterialId(unsigned id) { m_material.set(id); }

protected:
    bool parametersComplete() const override
    {
        return m_material.isGiven() && m_depth.isGiven() && m_spread.isGiven() && m_annealing.isGiven();
    }
    void runEngine(Model::Automaton::TotalVolume &volume) override;
    bool changesSilicon() const override { return true; }
    bool isUndoable() const override { return false; }
    QString canceledMessage() const override { return QStringLiteral(": Operation Canceled!"); }

private:
    ParameterValue<float> m_depth{50};
    ParameterValue<float> m_spread{20};
    ParameterValue<float> m_annealing{10};
    ParameterValue<unsigned> m_material;
};

} // namespace Operations
} // namespace Core
