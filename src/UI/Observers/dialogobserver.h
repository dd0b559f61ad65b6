#pragma once

#include "Util/iobserver.h"

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include <QDialog>
#include <QPointer>
#include <QScopedPointer>
#include <QWidget>

namespace Ui {
namespace Observers {

// The shape every process option observer shares: when the operation asks,
// open its dialog; only on OK hand the values to the operation's setters.
// Dialog needs applyTo(Operation &); makeDialog() builds it.
template <class Operation, class Dialog>
class DialogObserver : public Util::IObserver
{
public:
    DialogObserver(const boost::shared_ptr<Operation> &operation, QWidget *parent)
        : m_operation(operation), m_parent(parent)
    {
    }

    void notify() override
    {
        const boost::shared_ptr<Operation> operation = m_operation.lock();
        if (!operation)
            return;
        QScopedPointer<Dialog> dialog(makeDialog(m_parent));
        if (dialog->exec() == QDialog::Accepted)
            dialog->applyTo(*operation);
    }

protected:
    virtual Dialog *makeDialog(QWidget *parent) const { return new Dialog(parent); }

private:
    boost::weak_ptr<Operation> m_operation;
    QPointer<QWidget> m_parent;
};

} // namespace Observers
} // namespace Ui
