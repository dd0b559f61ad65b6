#include "batchrunobserver.h"

#include "Core/Operations/ObjectEditing/selectvolumesoperation.h"
#include "UI/operationfactory.h"

namespace Ui {

void registerBatchRunOperations(OperationFactory::Table &table)
{
    table.insert(Core::Operations::SelectVolumesOperation::TypeNumber,
                 [](Core::Operations::Workspace *workspace, QWidget *parent) {
                     const boost::shared_ptr<Core::Operations::SelectVolumesOperation> op(
                         new Core::Operations::SelectVolumesOperation(workspace));
                     op->setObserver(
                         boost::shared_ptr<Util::IObserver>(new Observers::BatchRunObserver(op, workspace, parent)));
                     return boost::shared_ptr<Core::Operations::Operation>(op);
                 });
}

} // namespace Ui
