#include "operationhistory.h"

#include "operation.h"
#include "workspace.h"

namespace Core {
namespace Operations {

namespace {
void notifyAll(const QList<boost::shared_ptr<Util::IObserver>> &observers)
{
    const QList<boost::shared_ptr<Util::IObserver>> copy = observers;
    for (const boost::shared_ptr<Util::IObserver> &observer : copy)
        observer->notify();
}
} // namespace

OperationHistory::OperationHistory(Workspace *workspace) : m_workspace(workspace) {}

void OperationHistory::cancelCurrent()
{
    if (!m_workspace)
        return;
    const boost::shared_ptr<Operation> current = m_workspace->currentOperation();
    if (current)
        current->cancel();
}

void OperationHistory::push(const boost::shared_ptr<ObjectOperation> &operation)
{
    if (!operation)
        return;
    m_undoStack.push_back(operation);
    m_redoStack.clear();
    notifyUndo();
    notifyRedo();
}

bool OperationHistory::undo()
{
    if (m_undoStack.empty()) {
        notifyUndo();
        return false;
    }
    const boost::shared_ptr<ObjectOperation> entry = m_undoStack.back();
    m_undoStack.pop_back();
    cancelCurrent();
    const int result = entry->undo();
    if (result == ObjectOperation::UndoRefused) {
        m_undoStack.push_back(entry);
    } else if (result == ObjectOperation::Undone) {
        m_redoStack.push_back(entry);
        notifyRedo();
    }
    dropRemovedFromSelection();
    notifyUndo();
    return true;
}

bool OperationHistory::redo()
{
    if (m_redoStack.empty()) {
        notifyRedo();
        return false;
    }
    const boost::shared_ptr<ObjectOperation> entry = m_redoStack.back();
    m_redoStack.pop_back();
    cancelCurrent();
    entry->redo();
    dropRemovedFromSelection();
    m_undoStack.push_back(entry);
    notifyUndo();
    notifyRedo();
    return true;
}

void OperationHistory::dropRemovedFromSelection()
{
    // An undone creation or a redone deletion takes objects out of the document; a
    // selection still naming them would let the next operation act on ghosts.
    if (m_workspace)
        m_workspace->selection().dropMissing();
}

void OperationHistory::dropRedo()
{
    if (m_redoStack.empty())
        return;
    m_redoStack.clear();
    notifyRedo();
}

void OperationHistory::clear()
{
    m_redoStack.clear();
    m_undoStack.clear();
    notifyRedo();
    notifyUndo();
}

QString OperationHistory::undoName() const { return m_undoStack.empty() ? QString() : m_undoStack.back()->getName(); }

QString OperationHistory::redoName() const { return m_redoStack.empty() ? QString() : m_redoStack.back()->getName(); }

boost::shared_ptr<ObjectOperation> OperationHistory::undoTop() const
{
    return m_undoStack.empty() ? boost::shared_ptr<ObjectOperation>() : m_undoStack.back();
}

boost::shared_ptr<ObjectOperation> OperationHistory::redoTop() const
{
    return m_redoStack.empty() ? boost::shared_ptr<ObjectOperation>() : m_redoStack.back();
}

void OperationHistory::addUndoObserver(const boost::shared_ptr<Util::IObserver> &observer)
{
    if (observer)
        m_undoObservers.append(observer);
}

void OperationHistory::addRedoObserver(const boost::shared_ptr<Util::IObserver> &observer)
{
    if (observer)
        m_redoObservers.append(observer);
}

void OperationHistory::notifyUndo() { notifyAll(m_undoObservers); }

void OperationHistory::notifyRedo() { notifyAll(m_redoObservers); }

} // namespace Operations
} // namespace Core
