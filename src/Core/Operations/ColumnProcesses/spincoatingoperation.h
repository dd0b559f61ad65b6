#pragma once

#include "Core/Operations/DistanceCounting/parametervalue.h"
#include "Core/Operations/processoperation.h"

namespace Core {
namespace Operations {

// "Spin Coating" (factory 23, menu "Pour Material"). Not undoable.
class SpinCoatingOperation : public ProcessOperation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 23;

    explicit SpinCoatingOperation(Workspace *workspace);

    void setMaterialId(unsigned id) { m_material.set(id); }
    void setHeight(unsigned cells) { m_height.set(cells); }

protected:
    bool parametersComplete() const override { return m_material.isGiven() && m_height.isGiven(); }
    void runEngine(Model::Automaton::TotalVolume &volume) override;
    bool changesSilicon() const override { return m_material.value() == 1; }
    bool isUndoable() const override { return false; }

private:
    ParameterValue<unsigned> m_material;
    ParameterValue<unsigned> m_height;
};

} // namespace Operations
} // namespace Core
