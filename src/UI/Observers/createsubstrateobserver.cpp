#include "createsubstrateobserver.h"

#include "Core/Operations/CreateSubstrate/createsubstrateoperation.h"
#include "UI/Operations/createsubstratedialog.h"

namespace Ui {
namespace Observers {

CreateSubstrateObserver::CreateSubstrateObserver(
    const boost::shared_ptr<Core::Operations::CreateSubstrateOperation> &operation, QWidget *parent)
    : m_operation(operation), m_parent(parent)
{
}

void CreateSubstrateObserver::notify()
{
    const boost::shared_ptr<Core::Operations::CreateSubstrateOperation> operation = m_operation.lock();
    if (!operation)
        return;
    Operations::CreateSubstrateDialog dialog(m_parent);
    if (dialog.exec() == QDialog::Accepted)
        dialog.applyTo(*operation);
}

} // namespace Observers
} // namespace Ui
