#include "cutcellvolumeoperation.h"

#include "volumepick.h"

#include <algorithm>

namespace Core {
namespace Operations {

using Model::Geometry::DrawRange;

CutCellVolumeOperation::CutCellVolumeOperation(Workspace *workspace)
    : Operation(QStringLiteral("Change Cut Planes"), TypeNumber), m_workspace(workspace)
{
}

CutCellVolumeOperation::~CutCellVolumeOperation() = default;

void CutCellVolumeOperation::say(const QString &text) { m_workspace->console().write(getName() + text); }

DrawRange CutCellVolumeOperation::fullLimits() const
{
    DrawRange r;
    if (m_volume) {
        r.x1 = m_volume->getSizeX();
        r.y1 = m_volume->getSizeY();
        r.z1 = m_volume->getSizeZ();
    }
    return r;
}

DrawRange CutCellVolumeOperation::currentLimits() const
{
    if (!m_volume)
        return DrawRange();
    const DrawRange r = m_volume->getPainter().getDrawRange();
    return r.isEmpty() ? fullLimits() : r.clampedTo(m_volume->getSizeX(), m_volume->getSizeY(), m_volume->getSizeZ());
}

void CutCellVolumeOperation::applyLimits(const DrawRange &limits)
{
    if (!m_volume)
        return;
    const unsigned sizes[3] = {m_volume->getSizeX(), m_volume->getSizeY(), m_volume->getSizeZ()};
    unsigned lower[3] = {limits.x0, limits.y0, limits.z0};
    unsigned upper[3] = {limits.x1, limits.y1, limits.z1};
    for (int a = 0; a < 3; ++a) {
        upper[a] = std::min(upper[a], sizes[a]);
        lower[a] = std::min(lower[a], sizes[a] - 1);
        if (upper[a] <= lower[a])
            upper[a] = lower[a] + 1;
    }
    DrawRange r;
    r.x0 = lower[0];
    r.y0 = lower[1];
    r.z0 = lower[2];
    r.x1 = upper[0];
    r.y1 = upper[1];
    r.z1 = upper[2];
    m_volume->getPainter().setDrawRange(r);
    m_volume->getPainter().regenerate();
    m_surfaceRebuilt = true;
    m_workspace->requestRedraw();
}

void CutCellVolumeOperation::setLimits(const DrawRange &limits)
{
    applyLimits(limits);
    m_limitsSet = bool(m_volume);
}

void CutCellVolumeOperation::proceed()
{
    if (m_done || m_volume)
        return;
    boost::shared_ptr<Model::Automaton::TotalVolume> volume = firstPickedVolume(*m_workspace);
    if (volume) {
        m_workspace->selection().clear();
        m_workspace->requestRedraw();
    } else {
        volume = onlyVolume(*m_workspace);
        if (!volume && m_workspace->document().getObjects().size() != 1) {
            say(QStringLiteral(": Select a cell volume and press Enter/Return."));
            m_workspace->console().waitForEnter(this);
            m_workspace->selection().setSelectionMode(true);
            return;
        }
    }
    if (volume) {
        m_volume = volume;
        m_workspace->selection().setSelectionMode(false);
        say(QStringLiteral(": Cell volume selected."));
        m_surfaceRebuilt = false;
        if (m_dialogObserver)
            m_dialogObserver->notify();
    }
    finish();
}

void CutCellVolumeOperation::cancel()
{
    if (m_done)
        return;
    m_done = true;
    say(QStringLiteral(": Operation Canceled!"));
    m_workspace->console().reset();
    m_workspace->endOperation();
}

void CutCellVolumeOperation::finish()
{
    if (m_done)
        return;
    if (!m_volume || !m_limitsSet) {
        cancel();
        return;
    }
    m_done = true;
    if (!m_surfaceRebuilt) {
        m_volume->getPainter().regenerate();
        m_workspace->requestRedraw();
    }
    say(QStringLiteral(": Cut planes changed."));
    m_workspace->endOperation();
}

} // namespace Operations
} // namespace Core
