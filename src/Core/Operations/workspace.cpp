#include "workspace.h"

#include "ioperationfactory.h"
#include "iusermessages.h"
#include "operation.h"

#include "Model/Automaton/totalvolume.h"

namespace Core {
namespace Operations {

Workspace::Workspace(const boost::shared_ptr<IOperationFactory> &factory, const QString &scratchDirectory)
    : m_history(this), m_selection(&m_document, &m_viewPicks), m_persistence(scratchDirectory), m_factory(factory)
{
    m_viewPicks.setDocument(&m_document);
}

Workspace::~Workspace()
{
    // Operations on the stacks refer back to this workspace; drop them first.
    m_current.reset();
    m_retired.reset();

}

void Workspace::activateOperation(int typeNumber)
{
    if (m_current) {
        const boost::shared_ptr<Operation> previous = m_current;
        previous->cancel();
    }
    boost::shared_ptr<Operation> next;
    if (m_factory)
        next = m_factory->create(typeNumber);
    startOperation(next);
}

void Workspace::startOperation(const boost::shared_ptr<Operation> &operation)
{
    retireCurrent();
    m_retired.reset();
    m_current = operation;
    if (m_current) {
        const boost::shared_ptr<Operation> keep = m_current;
        keep->proceed();
    }
}

void Workspace::retireCurrent()
{
    if (m_current)
        m_retired = m_current;
    m_current.reset();
}

void Workspace::endOperation()
{
    retireCurrent();
    m_selection.clear();
    requestRedraw();
}

void Workspace::completeOperation()
{
    const boost::shared_ptr<ObjectOperation> undoable = boost::dynamic_pointer_cast<ObjectOperation>(m_current);
    if (undoable)
        m_history.push(undoable);
    endOperation();
}

void Workspace::requestRedraw()
{
    const QList<boost::shared_ptr<Util::IObserver>> observers = m_updateObservers;
    for (const boost::shared_ptr<Util::IObserver> &observer : observers)
        observer->notify();
}

void Workspace::recolorVolumes()
{
    for (const boost::shared_ptr<Model::Object> &object : m_document.getObjects()) {
        const boost::shared_ptr<Model::Automaton::TotalVolume> volume =
            boost::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object);
        if (volume)
            volume->getPainter().recolor();
    }
}

void Workspace::reportError(const QString &title, const QString &text)
{
    if (m_userMessages)
        m_userMessages->showError(title, text);
    else
        m_console.write(title + QStringLiteral(": ") + text);
}

void Workspace::addUpdateObserver(const boost::shared_ptr<Util::IObserver> &observer)
{
    if (observer)
        m_updateObservers.append(observer);
}

void Workspace::removeUpdateObserver(const boost::shared_ptr<Util::IObserver> &observer)
{
    m_updateObservers.removeAll(observer);
}

} // namespace Operations
} // namespace Core
