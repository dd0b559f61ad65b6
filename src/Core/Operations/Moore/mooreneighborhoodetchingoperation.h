#pragma once

#include "Core/Operations/DistanceCounting/parametervalue.h"
#include "Core/Operations/processoperation.h"

namespace Core {
namespace Operations {

// Moore etching (factory 19). It reports under the same name and undo key as
// the deposition; its undo records still never mix with the deposition's,
// because the snapshot numbers records per key, not per class.
class MooreNeighborhoodEtchingOperation : public ProcessOperation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 19;

    explicit MooreNeighborhoodEtchingOperation(Workspace *workspace);

    void setMaterialId(unsigned id) { m_material.set(id); }
    void setDepth(unsigned cells) { m_cells.set(cells); }

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
