#include "moveobject.h"

#include "Core/Operations/workspace.h"
#include "Model/object.h"

namespace Core {
namespace Operations {

MoveObject::MoveObject(Workspace *workspace) : PlaceObjectsOperation(workspace, QStringLiteral("Move Objects"), TypeNumber)
{
}

QString MoveObject::selectPrompt() const
{
    return QStringLiteral(": Select the object(s) to be moved and press Enter/Return");
}

boost::shared_ptr<Model::Object> MoveObject::take(const boost::shared_ptr<Model::Object> &selected) { return selected; }

void MoveObject::cancel()
{
    if (m_step == Apply)
        return;
    m_workspace->console().reset();
    clearTemporary();
    m_displacement = Util::Vector3D(0.0, 0.0, 0.0);
    say(QStringLiteral(": Operation canceled"));
    m_workspace->requestRedraw();
}

void MoveObject::apply()
{
    clearTemporary();
    translateAll(1.0);
    m_workspace->selection().clear();
    m_workspace->console().reset();
    say(QStringLiteral(": Object(s) moved"));
    m_workspace->completeOperation();
    m_workspace->requestRedraw();
}

void MoveObject::translateAll(double sign)
{
    const Util::Vector3D offset(sign * m_displacement.x, sign * m_displacement.y, sign * m_displacement.z);
    for (const boost::shared_ptr<Model::Object> &object : m_objects)
        object->translate(offset);
}

int MoveObject::undo()
{
    translateAll(-1.0);
    m_workspace->requestRedraw();
    return Undone;
}

void MoveObject::redo()
{
    translateAll(1.0);
    m_workspace->requestRedraw();
}

} // namespace Operations
} // namespace Core
