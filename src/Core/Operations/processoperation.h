#pragma once

#include "cellsnapshot.h"
#include "operation.h"

#include "Util/iobserver.h"

#include <boost/shared_ptr.hpp>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

class Workspace;

// The frame every undoable process step shares: pick the cell volume, let the
// dialog observer fill the parameters, snapshot the cells, run the engine,
// rebuild the surface, report, and undo or redo through the snapshot.
// A process step adds its parameters, parametersComplete() and runEngine().
class ProcessOperation : public ObjectOperation
{
    Q_OBJECT
public:
    // snapshotKey: one word naming the step, e.g. "IsotropicDeposition".
    ProcessOperation(Workspace *workspace, const QString &name, int typeNumber, const QString &snapshotKey);
    ~ProcessOperation() override;

    void setDialogObserver(const boost::shared_ptr<Util::IObserver> &observer) { m_dialogObserver = observer; }
    boost::shared_ptr<Model::Automaton::TotalVolume> getVolume() const { return m_volume; }
    bool isReady() const { return m_ready; }
    const CellSnapshot &snapshot() const { return m_snapshot; }

public Q_SLOTS:
    void proceed() override;
    void cancel() override;
    void finish() override;
    int undo() override;
    void redo() override;

protected:
    // True when every parameter the engine needs has been given.
    virtual bool parametersComplete() const = 0;
    // The simulation itself, on the volume, with the cells unlocked on entry.
    virtual void runEngine(Model::Automaton::TotalVolume &volume) = 0;
    // True when the step may change silicon, so the atomistic lattice must be rebuilt.
    virtual bool changesSilicon() const { return false; }
    // ": Operation canceled." for most steps; a few say it their own way.
    virtual QString canceledMessage() const;
    // False for the few steps that keep no undo entry: no snapshot is written and
    // the step ends without going onto the undo stack.
    virtual bool isUndoable() const { return true; }

    Workspace *workspace() const { return m_workspace; }
    // The shared volume-selecting step; finish() runs when a volume was taken.
    void selectVolume();
    // Writes name + text to the console.
    void say(const QString &text);

private:
    void takeVolume(const boost::shared_ptr<Model::Automaton::TotalVolume> &volume);

    Workspace *m_workspace;
    boost::shared_ptr<Model::Automaton::TotalVolume> m_volume;
    boost::shared_ptr<Util::IObserver> m_dialogObserver;
    CellSnapshot m_snapshot;
    bool m_ready = false;
    bool m_done = false;
};

} // namespace Operations
} // namespace Core
