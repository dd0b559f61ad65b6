#pragma once

#include "Util/iobserver.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace Ui {
namespace Observers {

// Shows the material conflict dialog for the pending conflict and passes an
// accepted answer on; a cancelled dialog leaves the conflict unsettled.
class MaterialConflictObserver : public QObject, public Util::IObserver
{
    Q_OBJECT
public:
    explicit MaterialConflictObserver(QWidget *parent);
    void notify() override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace Observers
} // namespace Ui
