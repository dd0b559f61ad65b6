#pragma once

#include "Core/Operations/DistanceCounting/parametervalue.h"
#include "Core/Operations/processoperation.h"

namespace Core {
namespace Operations {

// "Planarization" (factory 22). Not undoable.
class PlanarizationOperation : public ProcessOperation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 22;

    explicit PlanarizationOperation(Workspace *workspace);

    void setMaximumHeight(unsigned cells) { m_maximum.set(cells); }
    void setMinimumHeight(unsigned cells) { m_minimum.set(cells); }

protected:
    bool parametersComplete() const override { return m_maximum.isGiven() && m_minimum.isGiven(); }
    void runEngine(Model::Automaton::TotalVolume &volume) override;
    // It removes whatever lies outside the heights, silicon included.
    bool changesSilicon() const override { return true; }
    QString canceledMessage() const override { return QStringLiteral(": Operation canceled!"); }
    bool isUndoable() const override { return false; }

private:
    ParameterValue<unsigned> m_maximum;
    ParameterValue<unsigned> m_minimum;
};

} // namespace Operations
} // namespace Core
