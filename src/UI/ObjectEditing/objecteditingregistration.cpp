#include "Core/Operations/ObjectEditing/changetotalvolumevisualizationoptions.h"
#include "Core/Operations/ObjectEditing/copyobject.h"
#include "Core/Operations/ObjectEditing/deleteobject.h"
#include "Core/Operations/ObjectEditing/moveobject.h"
#include "UI/ObjectEditing/changetotalvolumeviewoptionsobserver.h"
#include "UI/operationfactory.h"

namespace Ui {

using Core::Operations::Operation;
using Core::Operations::Workspace;

void registerObjectEditingOperations(OperationFactory::Table &table)
{
    table.insert(Core::Operations::CopyObject::TypeNumber, [](Workspace *workspace, QWidget *) {
        return boost::shared_ptr<Operation>(new Core::Operations::CopyObject(workspace));
    });
    table.insert(Core::Operations::DeleteObject::TypeNumber, [](Workspace *workspace, QWidget *) {
        return boost::shared_ptr<Operation>(new Core::Operations::DeleteObject(workspace));
    });
    table.insert(Core::Operations::ChangeTotalVolumeVisualizationOptions::TypeNumber,
                 [](Workspace *workspace, QWidget *parent) {
                     const boost::shared_ptr<Core::Operations::ChangeTotalVolumeVisualizationOptions> op(
                         new Core::Operations::ChangeTotalVolumeVisualizationOptions(workspace));
                     op->setObserver(boost::shared_ptr<Util::IObserver>(
                         new Observers::ChangeTotalVolumeViewOptionsObserver(op, parent)));
                     return boost::shared_ptr<Operation>(op);
                 });
    table.insert(Core::Operations::MoveObject::TypeNumber, [](Workspace *workspace, QWidget *) {
        return boost::shared_ptr<Operation>(new Core::Operations::MoveObject(workspace));
    });
    // 24 (the batch run's volume selection) is registered with the batch-run dialog.
}

} // namespace Ui
