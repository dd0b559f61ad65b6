#pragma once

#include "Util/iobserver.h"

#include <boost/shared_ptr.hpp>

#include <QList>
#include <QString>

#include <deque>

namespace Core {
namespace Operations {

class ObjectOperation;
class Workspace;

// The undo and redo stacks.
class OperationHistory
{
public:
    explicit OperationHistory(Workspace *workspace);

    void push(const boost::shared_ptr<ObjectOperation> &operation);
    bool undo();
    bool redo();
    void clear();
    // Empties the redo stack only: a change that keeps no undo entry still
    // makes what Redo would bring back stale.
    void dropRedo();
    QString undoName() const;
    QString redoName() const;
    size_t undoCount() const { return m_undoStack.size(); }
    size_t redoCount() const { return m_redoStack.size(); }
    boost::shared_ptr<ObjectOperation> undoTop() const;
    boost::shared_ptr<ObjectOperation> redoTop() const;

    void addUndoObserver(const boost::shared_ptr<Util::IObserver> &observer);
    void addRedoObserver(const boost::shared_ptr<Util::IObserver> &observer);

private:
    void notifyUndo();
    void notifyRedo();
    void dropRemovedFromSelection();
    void cancelCurrent();

    Workspace *m_workspace;
    std::deque<boost::shared_ptr<ObjectOperation>> m_undoStack;
    std::deque<boost::shared_ptr<ObjectOperation>> m_redoStack;
    QList<boost::shared_ptr<Util::IObserver>> m_undoObservers;
    QList<boost::shared_ptr<Util::IObserver>> m_redoObservers;
};

} // namespace Operations
} // namespace Core
