#include "processoperation.h"
#include "Core/Operations/cellvolumestep.h"
#include "Core/Operations/stoppablework.h"

#include "Model/Automaton/totalvolume.h"
#include "workspace.h"

#include <QElapsedTimer>
#include <QtDebug>

#include <cstdio>
#include <exception>

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;

ProcessOperation::ProcessOperation(Workspace *workspace, const QString &name, int typeNumber,
                                   const QString &snapshotKey)
    : ObjectOperation(name, typeNumber), m_workspace(workspace), m_snapshot(snapshotKey, workspace)
{
}

ProcessOperation::~ProcessOperation() = default;

void ProcessOperation::say(const QString &text) { m_workspace->console().write(getName() + text); }

QString ProcessOperation::canceledMessage() const { return QStringLiteral(": Operation canceled."); }

void ProcessOperation::proceed()
{
    if (m_ready || m_done)
        return;
    selectVolume();
}

void ProcessOperation::takeVolume(const boost::shared_ptr<TotalVolume> &volume)
{
    m_volume = volume;
    m_workspace->selection().setSelectionMode(false);
    say(QStringLiteral(": Cell volume selected."));
    m_ready = true;
    if (m_dialogObserver)
        m_dialogObserver->notify();
}

void ProcessOperation::selectVolume()
{
    runCellVolumeStep(*m_workspace, *this,
                      [this](const boost::shared_ptr<TotalVolume> &volume) { takeVolume(volume); });
}

void ProcessOperation::cancel()
{
    say(canceledMessage());
    m_workspace->console().reset();
    m_workspace->endOperation();
}

void ProcessOperation::finish()
{
    if (m_done)
        return;
    if (!m_ready || !m_volume || !parametersComplete()) {
        cancel();
        return;
    }
    m_done = true;
    TotalVolume &volume = *m_volume;

    if (isUndoable() && !m_snapshot.saveBefore(volume))
        say(QStringLiteral(": The cell state could not be saved; this step cannot be undone."));

    QElapsedTimer timer;
    timer.start();
    bool stopped = false;
    try {
        // Without an undo snapshot a stopped step has its materials put back from a copy.
        stopped = runStoppable(*m_workspace, getName(), [this, &volume]() { runEngine(volume); },
                               m_snapshot.hasBefore() ? boost::shared_ptr<TotalVolume>() : m_volume);
    } catch (const std::exception &error) {
        // Typically memory running out mid-run: put back the cells as they were
        // and end without an undo entry rather than keep a half-done step.
        qWarning() << Q_FUNC_INFO << error.what();
        const bool restored = m_snapshot.hasBefore() && m_snapshot.undoRestore(volume);
        say(restored ? QStringLiteral(": The simulation failed; the cells were restored.")
                     : QStringLiteral(": The simulation failed; the cells may be incomplete."));
        m_workspace->requestRedraw();
        m_workspace->endOperation();
        return;
    }
    if (stopped) {
        // Cancel: the cells go back to what they were, as an undo would put them, and nothing is recorded.
        bool restored = true;
        if (m_snapshot.hasBefore())
            restored = m_snapshot.undoRestore(volume);
        else
            volume.getPainter().regenerate();
        say(restored ? stoppedText()
                     : QStringLiteral(": Stopped; the saved cell state could not be read, so the cells may be incomplete."));
        if (changesSilicon())
            m_workspace->setLatticeStale(volume.getId(), true);
        m_workspace->requestRedraw();
        cancel();
        return;
    }
    std::printf("Time to simulate %s: %lld ms\n", qPrintable(getName()), static_cast<long long>(timer.elapsed()));

    timer.restart();
    volume.getPainter().regenerate();
    std::printf("Time to update surface: %lld ms\n", static_cast<long long>(timer.elapsed()));
    std::fflush(stdout);

    if (changesSilicon())
        m_workspace->setLatticeStale(volume.getId(), true);
    if (m_snapshot.hasBefore())
        m_snapshot.saveAfter(volume);

    m_workspace->requestRedraw();
    say(QStringLiteral(": Operation finished."));
    if (isUndoable())
        m_workspace->completeOperation();
    else
        m_workspace->endOperation();
}

int ProcessOperation::undo()
{
    if (!m_volume)
        return UndoDropped;
    if (!m_snapshot.hasBefore()) {
        // Without the saved state there is nothing to go back to; drop the entry rather than pretend.
        say(QStringLiteral(": This step cannot be undone: its cell state was not saved."));
        return UndoDropped;
    }
    if (!m_snapshot.undoRestore(*m_volume))
        say(QStringLiteral(": The saved cell state could not be read; the cells were left unchanged."));
    if (changesSilicon())
        m_workspace->setLatticeStale(m_volume->getId(), true);
    m_workspace->requestRedraw();
    return Undone;
}

void ProcessOperation::redo()
{
    if (!m_volume)
        return;
    if (!m_snapshot.hasAfter() || !m_snapshot.redoRestore(*m_volume))
        say(QStringLiteral(": The saved cell state could not be read; the cells were left unchanged."));
    if (changesSilicon())
        m_workspace->setLatticeStale(m_volume->getId(), true);
    m_workspace->requestRedraw();
}

} // namespace Operations
} // namespace Core
