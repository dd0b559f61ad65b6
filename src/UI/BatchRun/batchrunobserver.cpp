#include "batchrunobserver.h"

#include "runprocessesdialog.h"

#include "Core/Operations/ObjectEditing/selectvolumesoperation.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/mainwindow.h"

namespace Ui {
namespace Observers {

BatchRunObserver::BatchRunObserver(const boost::shared_ptr<Core::Operations::SelectVolumesOperation> &operation,
                                   Core::Operations::Workspace *workspace, QWidget *parent)
    : m_operation(operation), m_workspace(workspace), m_parent(parent)
{
}

void BatchRunObserver::notify()
{
    const boost::shared_ptr<Core::Operations::SelectVolumesOperation> operation = m_operation.lock();
    if (!operation || !m_workspace)
        return;
    MainWindow *window = qobject_cast<MainWindow *>(m_parent.data());
    RunProcessesDialog dialog(m_workspace, window ? window->view() : nullptr, operation->getVolume(), m_parent);
    dialog.exec();
}

} // namespace Observers
} // namespace Ui
