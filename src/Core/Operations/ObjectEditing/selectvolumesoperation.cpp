#include "selectvolumesoperation.h"

#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;

SelectVolumesOperation::SelectVolumesOperation(Workspace *workspace)
    : Operation(QStringLiteral("Select volumes"), TypeNumber), m_workspace(workspace)
{
}

void SelectVolumesOperation::proceed()
{
    if (m_ready)
        return;
    for (const boost::shared_ptr<Model::Object> &object : m_workspace->viewPicks().getSelected()) {
        const boost::shared_ptr<TotalVolume> volume = boost::dynamic_pointer_cast<TotalVolume>(object);
        if (!volume)
            continue;
        m_volume = volume;
        m_workspace->selection().clear();
        m_workspace->selection().setSelectionMode(false);
        m_workspace->requestRedraw();
        m_workspace->console().write(getName() + QStringLiteral(": Cell volume selected."));
        m_ready = true;
        finish();
        return;
    }
    const QString typed = m_typedText.trimmed();
    if (typed.startsWith(QLatin1Char('n'), Qt::CaseInsensitive)) {
        m_ready = true;
        finish();
        return;
    }
    m_workspace->console().write(getName() + QStringLiteral(": Select a cell volume and press Enter/Return. To start "
                                                            "without a cell volume type N and press Enter/Return."));
    m_workspace->console().requestText(this, &m_typedText);
    m_workspace->console().waitForEnter(this);
    m_workspace->selection().setSelectionMode(true);
}

void SelectVolumesOperation::finish()
{
    if (!m_ready || m_finished)
        return;
    m_finished = true;
    if (m_observer)
        m_observer->notify();
    m_workspace->console().reset();
    m_workspace->completeOperation();
}

void SelectVolumesOperation::cancel()
{
    m_workspace->console().reset();
    m_workspace->endOperation();
}

} // namespace Operations
} // namespace Core
