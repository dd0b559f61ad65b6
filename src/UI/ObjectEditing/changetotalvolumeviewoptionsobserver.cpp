#include "changetotalvolumeviewoptionsobserver.h"

#include "Core/Operations/ObjectEditing/changetotalvolumevisualizationoptions.h"
#include "changevolumevisualizationdialog.h"

namespace Ui {
namespace Observers {

ChangeTotalVolumeViewOptionsObserver::ChangeTotalVolumeViewOptionsObserver(
    const boost::shared_ptr<Core::Operations::ChangeTotalVolumeVisualizationOptions> &operation, QWidget *parent)
    : m_operation(operation), m_parent(parent)
{
}

void ChangeTotalVolumeViewOptionsObserver::notify()
{
    const boost::shared_ptr<Core::Operations::ChangeTotalVolumeVisualizationOptions> operation = m_operation.lock();
    if (!operation)
        return;
    Operations::ChangeVolumeVisualizationDialog dialog(m_parent);
    dialog.fillFrom(operation->currentOptions());
    if (dialog.exec() == QDialog::Accepted)
        dialog.applyTo(*operation);
}

} // namespace Observers
} // namespace Ui
