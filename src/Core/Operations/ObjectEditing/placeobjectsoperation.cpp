#include "placeobjectsoperation.h"

#include "Core/Operations/workspace.h"
#include "Model/object.h"

namespace Core {
namespace Operations {

PlaceObjectsOperation::PlaceObjectsOperation(Workspace *workspace, const QString &name, int typeNumber)
    : ObjectOperation(name, typeNumber), m_workspace(workspace)
{
}

PlaceObjectsOperation::~PlaceObjectsOperation() = default;

void PlaceObjectsOperation::say(const QString &text) { m_workspace->console().write(prefix() + text); }

void PlaceObjectsOperation::proceed()
{
    if (m_step == WaitingForVector) {
        // Only the console's vector moves us on; clicks in the view do not.
        if (!m_vectorTyped)
            return;
        m_step = Apply;
        finish();
        return;
    }
    if (m_step != WaitingForSelection)
        return;

    const QList<boost::shared_ptr<Model::Object>> selected = m_workspace->viewPicks().getSelected();
    if (selected.isEmpty()) {
        say(selectPrompt());
        m_workspace->console().waitForEnter(this);
        m_workspace->selection().setSelectionMode(true);
        return;
    }
    m_objects.clear();
    for (const boost::shared_ptr<Model::Object> &object : selected) {
        const boost::shared_ptr<Model::Object> placed = take(object);
        if (!placed)
            continue;
        placed->setTemporary(true);
        placed->setDisplacement(m_displacement);
        m_objects.append(placed);
    }
    say(QStringLiteral(": Left click or enter the distance into the console (x, y, z):"));
    m_vectorTyped = false;
    m_workspace->console().requestVector(this, &m_displacement, &m_vectorTyped);
    m_step = WaitingForVector;
    m_workspace->selection().setSelectionMode(false);
    m_workspace->requestRedraw();
}

void PlaceObjectsOperation::finish()
{
    if (m_step != Apply) {
        cancel();
        m_workspace->endOperation();
        return;
    }
    if (m_applied)
        return;
    m_applied = true;
    // The typed vector may carry anything in w; a displacement has none.
    m_displacement = Util::Vector3D(m_displacement.x, m_displacement.y, m_displacement.z);
    apply();
}

void PlaceObjectsOperation::clearTemporary()
{
    for (const boost::shared_ptr<Model::Object> &object : m_objects) {
        object->setTemporary(false);
        object->setDisplacement(Util::Vector3D(0.0, 0.0, 0.0));
    }
}

} // namespace Operations
} // namespace Core
