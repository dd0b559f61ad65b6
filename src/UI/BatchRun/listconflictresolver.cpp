#include "listconflictresolver.h"

#include "batchrunprompts.h"

#include "Core/Operations/Document/materialreconciler.h"
#include "UI/Document/materialconflictdialog.h"

namespace Ui {

bool ListConflictResolver::resolve(const Model::Materials::Material &existing, const Model::Materials::Material &loaded,
                                   Core::Operations::ConflictChoice &choice, unsigned &alternateId)
{
    MaterialConflictDialog dialog(existing, loaded, m_parent);
    if (m_prompts.exec(&dialog) != QDialog::Accepted)
        return false;
    choice = dialog.choice();
    alternateId = dialog.alternateMaterialId();
    return true;
}

} // namespace Ui
