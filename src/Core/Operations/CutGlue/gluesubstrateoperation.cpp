#include "gluesubstrateoperation.h"

#include "volumepick.h"

#include <QElapsedTimer>

#include <cstdio>

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;

GlueSubstrateOperation::GlueSubstrateOperation(Workspace *workspace)
    : ObjectOperation(QStringLiteral("Glue Volumes"), FactoryNumber), m_workspace(workspace)
{
}

GlueSubstrateOperation::~GlueSubstrateOperation() = default;

void GlueSubstrateOperation::say(const QString &text) { m_workspace->console().write(getName() + text); }

SubstrateGluer::Layout GlueSubstrateOperation::defaults()
{
    if (!m_layoutKnown && m_base && m_top) {
        m_layout = SubstrateGluer::layout(*m_base, *m_top);
        m_layoutKnown = true;
    }
    return m_layout;
}

void GlueSubstrateOperation::setFinalSize(unsigned sizeX, unsigned sizeY, unsigned sizeZ)
{
    m_sizeX = sizeX;
    m_sizeY = sizeY;
    m_sizeZ = sizeZ;
    m_sizeGiven = true;
}

void GlueSubstrateOperation::setDisplacement(unsigned dx, unsigned dy)
{
    m_dx = dx;
    m_dy = dy;
}

void GlueSubstrateOperation::proceed()
{
    if (m_step == ChooseBase) {
        const boost::shared_ptr<TotalVolume> base = firstPickedVolume(*m_workspace);
        if (!base) {
            say(QStringLiteral(": select the base cell volume and press Enter/Return."));
            m_workspace->console().waitForEnter(this);
            m_workspace->selection().setSelectionMode(true);
            return;
        }
        m_base = base;
        say(QStringLiteral(": base cell volume selected. Select top cell volume and press enter"));
        say(QStringLiteral(": select the top cell volume and press Enter/Return."));
        m_step = ChooseTop;
        m_workspace->selection().clear();
        m_workspace->requestRedraw();
        m_workspace->console().waitForEnter(this);
        m_workspace->selection().setSelectionMode(true);
        return;
    }
    if (m_step == ChooseTop) {
        const boost::shared_ptr<TotalVolume> top = firstPickedVolume(*m_workspace, m_base.get());
        const QString refusal = top ? SubstrateGluer::checkPair(*m_base, *top) : QString();
        if (!top || !refusal.isEmpty()) {
            if (!refusal.isEmpty()) {
                say(QStringLiteral(": ") + refusal);
                m_workspace->selection().clear(); // or the refused top would be picked again
            }
            say(QStringLiteral(": select the top cell volume and press Enter/Return."));
            m_workspace->console().waitForEnter(this);
            m_workspace->selection().setSelectionMode(true);
            return;
        }
        m_top = top;
        say(QStringLiteral(": top cell volume selected."));
        m_step = BothChosen;
        m_workspace->selection().setSelectionMode(false);
        if (m_dialogObserver)
            m_dialogObserver->notify();
        finish();
    }
}

void GlueSubstrateOperation::cancel()
{
    if (m_ended)
        return;
    m_ended = true;
    m_workspace->console().reset();
    m_workspace->endOperation();
}

void GlueSubstrateOperation::finish()
{
    if (m_ended)
        return;
    // Without two different volumes and an accepted size there is nothing to glue.
    if (m_step != BothChosen || !m_base || !m_top || m_base == m_top || !m_sizeGiven) {
        cancel();
        return;
    }
    const SubstrateGluer::Layout layout = defaults();
    QElapsedTimer timer;
    timer.start();
    QString error;
    m_glued = SubstrateGluer::glue(*m_base, *m_top, layout, m_sizeX, m_sizeY, m_sizeZ, m_dx, m_dy, m_invert, &error);
    if (!m_glued) {
        say(QStringLiteral(": ") + error);
        cancel();
        return;
    }
    std::printf("Time to simulate %s: %lld ms\n", qPrintable(getName()), static_cast<long long>(timer.elapsed()));
    std::fflush(stdout);
    m_glued->getPainter().regenerate();
    m_step = Done;
    m_ended = true;
    m_workspace->document().addObject(m_glued);
    m_workspace->document().removeObject(m_base);
    m_workspace->document().removeObject(m_top);
    m_workspace->requestRedraw();
    m_workspace->completeOperation();
}

int GlueSubstrateOperation::undo()
{
    if (!m_glued)
        return UndoDropped;
    m_workspace->document().removeObject(m_glued);
    m_workspace->document().addObject(m_base);
    m_workspace->document().addObject(m_top);
    m_workspace->requestRedraw();
    return Undone;
}

void GlueSubstrateOperation::redo()
{
    if (!m_glued)
        return;
    m_workspace->document().addObject(m_glued);
    m_workspace->document().removeObject(m_base);
    m_workspace->document().removeObject(m_top);
    m_workspace->requestRedraw();
}

} // namespace Operations
} // namespace Core
