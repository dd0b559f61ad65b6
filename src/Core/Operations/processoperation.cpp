#include "processoperation.h"
#include "Core/Operations/cellvolumestep.h"

#include "Core/Steps/stepbuilder.h"
#include "Core/Steps/stepdefinition.h"
#include "Model/Automaton/totalvolume.h"
#include "workspace.h"

#include <QElapsedTimer>
#include <QtDebug>

#include <cstdio>
#include <exception>

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;

void StepUndoRecord::keep(TotalVolume &volume, const Steps::StepDefinition &definition)
{
    m_cells.saveBefore(volume);
    if (definition.changesParticleCounts)
        m_countsBefore = ParticleCountsBackup(volume);
    // Any step on a doped volume may take dopant away with the cells it empties.
    if (definition.changesDopants || volume.hasDopants())
        m_dopantsBefore = DopantsBackup(volume);
}

bool StepUndoRecord::putBack(TotalVolume &volume)
{
    const bool restored = m_cells.hasBefore() && m_cells.undoRestore(volume, false);
    if (m_countsBefore.isKept())
        m_countsBefore.restore(volume);
    m_dopantsBefore.restore(volume);
    return restored;
}

bool StepUndoRecord::saveAfter(TotalVolume &volume)
{
    if (m_countsBefore.isKept())
        m_countsAfter = ParticleCountsBackup(volume);
    if (m_dopantsBefore.isKept())
        m_dopantsAfter = DopantsBackup(volume);
    return m_cells.saveAfter(volume);
}

bool StepUndoRecord::undo(TotalVolume &volume)
{
    const bool restored = m_cells.undoRestore(volume, false);
    if (m_countsBefore.isKept())
        m_countsBefore.restore(volume);
    m_dopantsBefore.restore(volume);
    volume.getPainter().regenerate();
    return restored;
}

bool StepUndoRecord::redo(TotalVolume &volume)
{
    const bool restored = m_cells.hasAfter() && m_cells.redoRestore(volume, false);
    if (m_countsAfter.isKept())
        m_countsAfter.restore(volume);
    m_dopantsAfter.restore(volume);
    volume.getPainter().regenerate();
    return restored;
}

ProcessOperation::ProcessOperation(Workspace *workspace, const QString &name, int typeNumber,
                                   const QString &snapshotKey, const Steps::StepDefinition *definition)
    : ObjectOperation(name, typeNumber), m_workspace(workspace), m_definition(definition),
      m_record(snapshotKey, workspace)
{
}

ProcessOperation::~ProcessOperation() = default;

void ProcessOperation::say(const QString &text) { m_workspace->console().write(getName() + text); }

QString ProcessOperation::canceledMessage() const { return QStringLiteral(": Operation canceled."); }

void ProcessOperation::setValues(const QVariantMap &values)
{
    if (!m_definition)
        return;
    // What the dialog leaves out takes the declared default, as in Python.
    m_step = Steps::makeStep(*m_definition,
                             Steps::withDefaults(*m_definition, values, m_volume ? m_volume->getSizeZ() : 0u));
    m_valuesGiven = true;
}

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
    if (!m_ready || !m_volume || !m_definition || !parametersComplete()) {
        cancel();
        return;
    }
    m_done = true;
    TotalVolume &volume = *m_volume;

    Steps::ProcessRunContext context;
    context.volume = m_volume;
    context.latticeStale = &m_workspace->latticeStaleByVolume();
    context.snapshot = &m_record;
    QElapsedTimer timer;
    timer.start();
    int code = Steps::StepSucceeded;
    const bool stopped = runStoppable(*m_workspace, getName(), [&](const Util::StopToken &stop) {
        context.stop = &stop;
        code = Steps::runProcessStep(*m_definition, m_step, context);
    });
    if (stopped && code == Steps::StepSucceeded) {
        // Cancel came after the engine's last stop point: the step is undone all the same.
        m_record.putBack(volume);
        m_workspace->setLatticeStale(volume.getId(), true);
        code = Steps::StepStopped;
    }
    const qint64 simulated = timer.elapsed();
    afterRun();
    if (code != Steps::StepSucceeded) {
        // Refused, stopped or failed: the executor left or put the cells as they were.
        volume.getPainter().regenerate();
        say(code == Steps::StepStopped ? stoppedText() : QStringLiteral(": ") + context.detail);
        m_workspace->requestRedraw();
        if (context.crashed)
            m_workspace->endOperation();
        else
            cancel();
        return;
    }
    std::printf("Time to simulate %s: %lld ms\n", qPrintable(getName()), static_cast<long long>(simulated));

    timer.restart();
    volume.getPainter().regenerate();
    std::printf("Time to update surface: %lld ms\n", static_cast<long long>(timer.elapsed()));
    std::fflush(stdout);

    // Without the scratch files the record keeps the cells before in memory: undo still works, redo not.
    if (m_record.hasBefore())
        m_record.saveAfter(volume);
    const bool undoable = m_record.hasBefore();
    m_workspace->requestRedraw();
    say(QStringLiteral(": Operation finished."));
    if (undoable) {
        m_workspace->completeOperation();
        return;
    }
    // A step that cannot be undone still outdates whatever Redo would bring back.
    say(QStringLiteral(": The cell state could not be saved; this step cannot be undone."));
    m_workspace->history().dropRedo();
    m_workspace->endOperation();
}

void ProcessOperation::markLatticeAfterRestore()
{
    if (m_definition && (m_definition->lattice == Steps::LatticeEffect::Current ||
                         Steps::outdatesLattice(*m_definition, m_step)))
        m_workspace->setLatticeStale(m_volume->getId(), true);
}

int ProcessOperation::undo()
{
    if (!m_volume)
        return UndoDropped;
    if (!m_record.hasBefore()) {
        // Without the saved state there is nothing to go back to; drop the entry rather than pretend.
        say(QStringLiteral(": This step cannot be undone: its cell state was not saved."));
        return UndoDropped;
    }
    if (!m_record.undo(*m_volume))
        say(QStringLiteral(": The saved cell state could not be read; the cells were left unchanged."));
    markLatticeAfterRestore();
    m_workspace->requestRedraw();
    return Undone;
}

void ProcessOperation::redo()
{
    if (!m_volume)
        return;
    if (!m_record.redo(*m_volume))
        say(QStringLiteral(": The saved cell state could not be read; the cells were left unchanged."));
    markLatticeAfterRestore();
    m_workspace->requestRedraw();
}

} // namespace Operations
} // namespace Core
