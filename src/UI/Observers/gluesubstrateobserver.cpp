#include "gluesubstrateobserver.h"

#include "UI/Operations/gluesubstratedialog.h"

namespace Ui {
namespace Observers {

GlueSubstrateObserver::GlueSubstrateObserver(
    const boost::shared_ptr<Core::Operations::GlueSubstrateOperation> &operation, QWidget *parent)
    : m_operation(operation), m_parent(parent)
{
}

void GlueSubstrateObserver::notify()
{
    const boost::shared_ptr<Core::Operations::GlueSubstrateOperation> operation = m_operation.lock();
    if (!operation)
        return;
    Operations::GlueSubstrateDialog dialog(m_parent);
    dialog.setDefaults(operation->defaults());
    if (dialog.exec() == QDialog::Accepted)
        dialog.applyTo(*operation);
}

} // namespace Observers
} // namespace Ui
