#pragma once

#include "Core/Operations/DistanceCounting/parametervalue.h"
#include "Core/Operations/processoperation.h"

namespace Core {
namespace Operations {

// "Simple RIE" (factory 30). Not undoable.
class SimpleReactiveIonEtchingOperation : public ProcessOperation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 30;

    explicit SimpleReactiveIonEtchingOperation(Workspace *workspace);

    void setMaterialId(unsigned id) { m_material.set(id); }
    // Used as a whole number of layers; a negative or non-finite depth is refused.
    void setEtchDepth(float depth) { m_depth.setNonNegative(depth); }
    // Each sets or clears its own bit of the direction flags.
    void setEtchFromTop(bool on);
    void setEtchFromBelow(bool on);
    void setDirections(unsigned flags) { m_directions = flags & 3u; }
    unsigned directions() const { return m_directions; }
    // The depth as the number of layers the engine steps.
    unsigned layers() const;

protected:
    bool parametersComplete() const override { return m_material.isGiven() && m_depth.isGiven(); }
    void runEngine(Model::Automaton::TotalVolume &volume) override;
    bool changesSilicon() const override { return m_material.value() == 1; }
    bool isUndoable() const override { return false; }

private:
    ParameterValue<unsigned> m_material;
    ParameterValue<float> m_depth{1};
    unsigned m_directions = 1; // from the top, as the dialog starts
};

} // namespace Operations
} // namespace Core
