#include "UI/operationfactory.h"

#include "Core/Operations/Photolithography/maskedcutcellvolumeoperation.h"
#include "Core/Operations/Photolithography/removecutsfromvolumeoperation.h"
#include "UI/Observers/maskedcutobserver.h"

namespace Ui {

namespace {

using Core::Operations::Operation;
using Core::Operations::Workspace;

// Builds the operation and gives it its dialog observer.
template <class Op, class Observer>
OperationFactory::Creator withObserver()
{
    return [](Workspace *workspace, QWidget *parent) {
        const boost::shared_ptr<Op> op(new Op(workspace));
        op->setDialogObserver(boost::shared_ptr<Util::IObserver>(new Observer(op, parent)));
        return boost::shared_ptr<Operation>(op);
    };
}

} // namespace

void registerColumnProcessOperations(OperationFactory::Table &table)
{
    using namespace Core::Operations;
    table.insert(MaskedCutCellVolumeOperation::FactoryNumber,
                 withObserver<MaskedCutCellVolumeOperation, Observers::MaskedCutObserver>());
    // Removing cuts asks nothing.
    table.insert(RemoveCutsFromVolumeOperation::FactoryNumber, [](Workspace *workspace, QWidget *) {
        return boost::shared_ptr<Operation>(new RemoveCutsFromVolumeOperation(workspace));
    });
}

} // namespace Ui
