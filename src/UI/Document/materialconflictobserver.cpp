#include "materialconflictobserver.h"

#include "Core/Operations/Document/documentsession.h"
#include "Core/Operations/Document/materialreconciler.h"
#include "materialconflictdialog.h"

namespace Ui {
namespace Observers {

MaterialConflictObserver::MaterialConflictObserver(QWidget *parent) : m_parent(parent) {}

void MaterialConflictObserver::notify()
{
    const Core::Operations::MaterialConflict conflict =
        Core::Operations::DocumentSession::instance().pendingConflict();
    MaterialConflictDialog dialog(conflict.existing, conflict.loaded, m_parent);
    if (dialog.exec() == QDialog::Accepted)
        Core::Operations::MaterialReconciler::settleConflict(dialog.choice(), dialog.alternateMaterialId());
}

} // namespace Observers
} // namespace Ui
