#include "atomisticetchoperation.h"
#include "Core/Operations/cellvolumestep.h"
#include "Core/Operations/WetEtching/atomisticwetetchengine.h"
#include "Core/Operations/stoppablework.h"

#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"

#include <QElapsedTimer>

#include <cmath>
#include <cstdio>
#include <new>

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;

AtomisticEtchOperation::AtomisticEtchOperation(Workspace *workspace, const QString &name, int typeNumber)
    : Operation(name, typeNumber), m_workspace(workspace)
{
}

AtomisticEtchOperation::~AtomisticEtchOperation() = default;

void AtomisticEtchOperation::say(const QString &text) { m_workspace->console().write(getName() + text); }

void AtomisticEtchOperation::setDepth(double depth)
{
    if (!std::isfinite(depth) || depth < 0.0)
        return;
    m_depth = depth;
    m_ready = true;
}

void AtomisticEtchOperation::proceed()
{
    if (m_volumeTaken || m_done)
        return;
    selectVolume();
}

void AtomisticEtchOperation::takeVolume(const boost::shared_ptr<TotalVolume> &volume)
{
    m_volume = volume;
    m_volumeTaken = true;
    m_workspace->selection().setSelectionMode(false);
    say(QStringLiteral(": Cell volume selected."));
    if (m_dialogObserver)
        m_dialogObserver->notify();
}

void AtomisticEtchOperation::selectVolume()
{
    runCellVolumeStep(*m_workspace, *this,
                      [this](const boost::shared_ptr<TotalVolume> &volume) { takeVolume(volume); });
}

void AtomisticEtchOperation::cancel()
{
    if (m_done)
        return;
    m_done = true;
    endCanceled();
}

void AtomisticEtchOperation::endCanceled()
{
    say(QStringLiteral(": Operation canceled."));
    m_workspace->console().reset();
    m_workspace->endOperation();
}

void AtomisticEtchOperation::finish()
{
    if (m_done)
        return;
    if (!m_volumeTaken || !m_volume || !m_ready) {
        cancel();
        return;
    }
    m_done = true;
    TotalVolume &volume = *m_volume;
    const int id = volume.getId();

    QElapsedTimer timer;
    timer.start();
    if (m_workspace->isLatticeStale(id) || !volume.getLattice()) {
        QString error;
        if (!volume.createLattice(&error, AtomisticWetEtchEngine::latticeReach(m_depth))) {
            // The volume is left as it was; the next etch tries again.
            m_workspace->setLatticeStale(id, true);
            say(QStringLiteral(": ") + error);
            endCanceled();
            return;
        }
    }
    bool stopped = false;
    try {
        // The etch keeps no undo entry; a stopped one has its materials put back from a copy.
        stopped = runStoppable(*m_workspace, getName(), [this, &volume]() { runEtcher(volume, m_depth); }, m_volume);
    } catch (const std::bad_alloc &) {
        // The etch stopped part-way; the cells hold what was done, the lattice is rebuilt next time.
        m_workspace->setLatticeStale(id, true);
        say(QStringLiteral(": Not enough memory to finish the etch."));
        volume.getPainter().regenerate();
        endCanceled();
        return;
    }
    if (stopped) {
        // The lattice's atoms were etched in part; it is built again from the restored cells.
        m_workspace->setLatticeStale(id, true);
        volume.getPainter().regenerate();
        m_workspace->requestRedraw();
        say(stoppedText());
        endCanceled();
        return;
    }
    std::printf("Time to simulate %s: %lld ms\n", qPrintable(getName()), static_cast<long long>(timer.elapsed()));

    timer.restart();
    volume.getPainter().regenerate();
    std::printf("Time to update surface: %lld ms\n", static_cast<long long>(timer.elapsed()));
    std::fflush(stdout);

    m_workspace->setLatticeStale(id, false);
    m_workspace->requestRedraw();
    say(QStringLiteral(": Operation finished."));
    m_workspace->completeOperation();
}

} // namespace Operations
} // namespace Core
