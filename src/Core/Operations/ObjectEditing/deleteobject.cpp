#include "deleteobject.h"

#include "Core/Operations/workspace.h"
#include "Model/object.h"

namespace Core {
namespace Operations {

DeleteObject::DeleteObject(Workspace *workspace)
    : ObjectOperation(QStringLiteral("Delete Objects"), TypeNumber), m_workspace(workspace)
{
}

void DeleteObject::proceed()
{
    if (m_done)
        return;
    const QList<boost::shared_ptr<Model::Object>> selected = m_workspace->viewPicks().getSelected();
    if (!selected.isEmpty()) {
        m_objects = selected;
        m_workspace->selection().clear();
        m_workspace->selection().setSelectionMode(false);
        m_done = true;
        finish();
        return;
    }
    m_workspace->console().write(QStringLiteral("Delete: Select the objects to be deleted and press Return/Enter"));
    m_workspace->console().waitForEnter(this);
    m_workspace->selection().setSelectionMode(true);
}

void DeleteObject::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_done) {
        for (const boost::shared_ptr<Model::Object> &object : m_objects)
            m_workspace->document().removeObject(object);
        m_workspace->requestRedraw();
        m_workspace->console().write(QStringLiteral("Delete: objects deleted."));
        m_workspace->completeOperation();
        return;
    }
    m_workspace->requestRedraw();
    m_workspace->console().reset();
    m_workspace->console().write(QStringLiteral("Delete: Operation canceled, no selected objects."));
    m_workspace->endOperation();
}

void DeleteObject::cancel()
{
    m_workspace->requestRedraw();
    m_workspace->console().reset();
    m_workspace->console().write(QStringLiteral("Delete: Operation canceled."));
    m_workspace->endOperation();
}

int DeleteObject::undo()
{
    for (const boost::shared_ptr<Model::Object> &object : m_objects)
        m_workspace->document().addObject(object);
    m_workspace->requestRedraw();
    return Undone;
}

void DeleteObject::redo()
{
    for (const boost::shared_ptr<Model::Object> &object : m_objects)
        m_workspace->document().removeObject(object);
    m_workspace->requestRedraw();
}

} // namespace Operations
} // namespace Core
