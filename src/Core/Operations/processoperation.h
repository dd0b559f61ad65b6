#pragma once

#include "cellsnapshot.h"
#include "operation.h"
#include "stoppablework.h"

#include "Core/Steps/executor.h"
#include "Core/Steps/processdata.h"
#include "Util/iobserver.h"

#include <boost/shared_ptr.hpp>

#include <QVariantMap>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Steps {
struct StepDefinition;
}

namespace Operations {

class Workspace;

// What undo and redo of a process step put back: the cell materials before
// and after the step (in the scene's scratch files) and, for the random walk,
// its particle counts, for the dopant steps the concentrations (in memory). The executor keeps the "before" half as the step starts.
class StepUndoRecord : public Steps::IStepSnapshot
{
public:
    StepUndoRecord(const QString &key, Workspace *workspace) : m_cells(key, workspace) {}

    void keep(Model::Automaton::TotalVolume &volume, const Steps::StepDefinition &definition) override;
    // Off the GUI thread: the surface is rebuilt by the operation afterwards.
    bool putBack(Model::Automaton::TotalVolume &volume) override;

    bool hasBefore() const { return m_cells.hasBefore(); }
    bool saveAfter(Model::Automaton::TotalVolume &volume);
    bool undo(Model::Automaton::TotalVolume &volume);
    bool redo(Model::Automaton::TotalVolume &volume);
    const CellSnapshot &cells() const { return m_cells; }

private:
    CellSnapshot m_cells;
    ParticleCountsBackup m_countsBefore, m_countsAfter;
    DopantsBackup m_dopantsBefore, m_dopantsAfter;
};

// The frame every process step of the program shares: pick the cell volume,
// let the dialog observer give the values, run the step's definition through
// the step executor (which checks the values, keeps the cells and runs the
// engine under the progress dialog's stop), rebuild the surface, report, and
// undo or redo through the record the executor kept. A step operation holds
// only its name, undo key, number and definition; the dialog gives the values.
class ProcessOperation : public ObjectOperation
{
    Q_OBJECT
public:
    // snapshotKey: one word naming the step, e.g. "IsotropicDeposition". The
    // definition may be null for an operation that runs no step (it then
    // overrides finish, undo and redo).
    ProcessOperation(Workspace *workspace, const QString &name, int typeNumber, const QString &snapshotKey,
                     const Steps::StepDefinition *definition = nullptr);
    ~ProcessOperation() override;

    void setDialogObserver(const boost::shared_ptr<Util::IObserver> &observer) { m_dialogObserver = observer; }
    boost::shared_ptr<Model::Automaton::TotalVolume> getVolume() const { return m_volume; }
    bool isReady() const { return m_ready; }
    const CellSnapshot &snapshot() const { return m_record.cells(); }
    const Steps::StepDefinition *definition() const { return m_definition; }

    // The values the dialog was accepted with, by parameter name (a material by
    // its id or name). Replaces any given before.
    virtual void setValues(const QVariantMap &values);
    // The step as it will run (or ran).
    const Steps::ProcessData &step() const { return m_step; }
    bool valuesGiven() const { return m_valuesGiven; }

public Q_SLOTS:
    void proceed() override;
    void cancel() override;
    void finish() override;
    int undo() override;
    void redo() override;

protected:
    // True when the step may run.
    virtual bool parametersComplete() const { return m_valuesGiven; }
    // ": Operation canceled." for most steps; a few say it their own way.
    virtual QString canceledMessage() const;
    // After the engine ran (or was stopped), before the surface is rebuilt.
    virtual void afterRun() {}

    Workspace *workspace() const { return m_workspace; }
    // The shared volume-selecting step; finish() runs when a volume was taken.
    void selectVolume();
    // Writes name + text to the console.
    void say(const QString &text);

private:
    void takeVolume(const boost::shared_ptr<Model::Automaton::TotalVolume> &volume);
    // The lattice goes stale when undo or redo changes cells the step changed.
    void markLatticeAfterRestore();

    Workspace *m_workspace;
    const Steps::StepDefinition *m_definition;
    boost::shared_ptr<Model::Automaton::TotalVolume> m_volume;
    boost::shared_ptr<Util::IObserver> m_dialogObserver;
    StepUndoRecord m_record;
    Steps::ProcessData m_step;
    bool m_valuesGiven = false;
    bool m_ready = false;
    bool m_done = false;
};

} // namespace Operations
} // namespace Core
