#pragma once

#include "Core/Operations/processoperation.h"

namespace Core {
namespace Operations {

// "Remove Cuts" (factory 35): shows every cell again. Not undoable.
class RemoveCutsFromVolumeOperation : public ProcessOperation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 35;

    explicit RemoveCutsFromVolumeOperation(Workspace *workspace);

public Q_SLOTS:
    void finish() override;

protected:
    bool parametersComplete() const override { return true; }
    void runEngine(Model::Automaton::TotalVolume &volume);
    QString canceledMessage() const override { return QStringLiteral(": Operation Canceled!"); }

private:
    bool m_done = false;
};

} // namespace Operations
} // namespace Core
