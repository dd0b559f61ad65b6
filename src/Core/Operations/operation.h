#pragma once

#include <QObject>
#include <QString>

namespace Core {
namespace Operations {

// One user action, driven step by step: proceed (again for every input that
// arrives), then finish or cancel. Lives on the GUI thread.
class Operation : public QObject
{
    Q_OBJECT
public:
    Operation(const QString &name, int typeNumber);
    ~Operation() override;

    QString getName() const { return m_name; }
    int getTypeNumber() const { return m_typeNumber; }

public Q_SLOTS:
    virtual void proceed() = 0;
    virtual void cancel() = 0;
    virtual void finish() = 0;

private:
    QString m_name;
    int m_typeNumber;
};

// An operation that can be undone and redone from what it kept at its first run.
class ObjectOperation : public Operation
{
    Q_OBJECT
public:
    enum UndoResult { UndoRefused = 0, Undone = 1, UndoDropped = -1 };

    using Operation::Operation;

public Q_SLOTS:
    // 1: undone (moves to the redo stack); 0: refused (stays); anything else drops it.
    virtual int undo() = 0;
    virtual void redo() = 0;
};

} // namespace Operations
} // namespace Core
