#include "exportdataobserver.h"

#include "UI/Operations/exportdatadialog.h"

namespace Ui {
namespace Observers {

bool ExportDataObserver::chooseExport(const QStringList &fieldNames, QString *fileName, QString *fieldName)
{
    Operations::ExportDataDialog dialog(fieldNames, m_parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    *fileName = dialog.fileName();
    *fieldName = dialog.fieldName();
    return true;
}

} // namespace Observers
} // namespace Ui
