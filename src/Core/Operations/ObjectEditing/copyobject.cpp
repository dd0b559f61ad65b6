#include "copyobject.h"

#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/object.h"

namespace Core {
namespace Operations {

CopyObject::CopyObject(Workspace *workspace) : PlaceObjectsOperation(workspace, QStringLiteral("Copy Objects"), TypeNumber)
{
}

QString CopyObject::selectPrompt() const { return QStringLiteral(": Select the object(s) to be copied and press Enter"); }

boost::shared_ptr<Model::Object> CopyObject::take(const boost::shared_ptr<Model::Object> &selected)
{
    boost::shared_ptr<Model::Object> copy(selected->clone());
    if (!copy)
        return copy;
    // A copy looks like its original: same cut range and view.
    const boost::shared_ptr<Model::Automaton::TotalVolume> source =
        boost::dynamic_pointer_cast<Model::Automaton::TotalVolume>(selected);
    const boost::shared_ptr<Model::Automaton::TotalVolume> volume =
        boost::dynamic_pointer_cast<Model::Automaton::TotalVolume>(copy);
    if (source && volume) {
        volume->getPainter().setDrawRange(source->getPainter().getDrawRange());
        volume->getPainter().setOptions(source->getPainter().getOptions());
    }
    return copy;
}

void CopyObject::cancel()
{
    m_workspace->console().reset();
    if (m_step != Apply) {
        // The copies were never placed; let them go.
        m_objects.clear();
        m_workspace->requestRedraw();
    }
    say(QStringLiteral(": Operation canceled"));
}

void CopyObject::apply()
{
    for (const boost::shared_ptr<Model::Object> &copy : m_objects) {
        copy->setTemporary(false);
        copy->setDisplacement(Util::Vector3D(0.0, 0.0, 0.0));
        copy->translate(m_displacement);
        m_workspace->document().addObject(copy);
    }
    m_workspace->selection().clear();
    m_workspace->console().reset();
    say(QStringLiteral(": Object(s) copied"));
    m_workspace->completeOperation();
    m_workspace->requestRedraw();
}

int CopyObject::undo()
{
    for (const boost::shared_ptr<Model::Object> &copy : m_objects)
        m_workspace->document().removeObject(copy);
    m_workspace->requestRedraw();
    return Undone;
}

void CopyObject::redo()
{
    for (const boost::shared_ptr<Model::Object> &copy : m_objects)
        m_workspace->document().addObject(copy);
    m_workspace->requestRedraw();
}

} // namespace Operations
} // namespace Core
