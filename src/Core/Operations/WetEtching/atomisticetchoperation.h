#pragma once

#include "Core/Operations/operation.h"
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

// The frame both atomistic wet etches share. They are not undoable: they
// change the lattice's atoms in place, which a cell snapshot cannot restore.
// Steps: pick the cell volume, let the dialog observer give the depth, build
// the lattice when the workspace says it is stale, run the etcher, redraw,
// report, and mark the lattice current.
class AtomisticEtchOperation : public Operation
{
    Q_OBJECT
public:
    AtomisticEtchOperation(Workspace *workspace, const QString &name, int typeNumber);
    ~AtomisticEtchOperation() override;

    void setDialogObserver(const boost::shared_ptr<Util::IObserver> &observer) { m_dialogObserver = observer; }
    boost::shared_ptr<Model::Automaton::TotalVolume> getVolume() const { return m_volume; }

    // Etch depth in world units; giving it makes the operation ready.
    void setDepth(double depth);
    double getDepth() const { return m_depth; }
    bool isReady() const { return m_ready; }

public Q_SLOTS:
    void proceed() override;
    void cancel() override;
    void finish() override;

protected:
    // The etch itself on a volume that holds a current lattice, cells unlocked on entry.
    virtual void runEtcher(Model::Automaton::TotalVolume &volume, double depth) = 0;

    Workspace *workspace() const { return m_workspace; }
    void say(const QString &text);

private:
    void selectVolume();
    // Says the step was canceled and ends it without an undo entry.
    void endCanceled();
    void takeVolume(const boost::shared_ptr<Model::Automaton::TotalVolume> &volume);

    Workspace *m_workspace;
    boost::shared_ptr<Model::Automaton::TotalVolume> m_volume;
    boost::shared_ptr<Util::IObserver> m_dialogObserver;
    double m_depth = 10.0;
    bool m_volumeTaken = false;
    bool m_ready = false;
    bool m_done = false;
};

} // namespace Operations
} // namespace Core
