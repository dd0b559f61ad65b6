#pragma once

#include "Util/iobserver.h"

#include <QObject>

namespace Ui {
namespace Observers {

// One instance watches the undo stack, another the redo stack.
class UndoRedoObserver : public QObject, public Util::IObserver
{
    Q_OBJECT
public:
    using QObject::QObject;
    void notify() override;
Q_SIGNALS:
    void stackChanged();
};

} // namespace Observers
} // namespace Ui
