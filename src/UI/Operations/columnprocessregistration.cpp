#include "UI/operationfactory.h"

#include "Core/Operations/ColumnProcesses/planarizationoperation.h"
#include "Core/Operations/ColumnProcesses/simplereactiveionetchingoperation.h"
#include "Core/Operations/ColumnProcesses/spincoatingoperation.h"
#include "Core/Operations/Moore/mooreneighborhooddepositionoperation.h"
#include "Core/Operations/Moore/mooreneighborhoodetchingoperation.h"
#include "Core/Operations/Photolithography/maskedcutcellvolumeoperation.h"
#include "Core/Operations/Photolithography/photolithographyoperation.h"
#include "Core/Operations/Photolithography/removecutsfromvolumeoperation.h"
#include "UI/Observers/maskedcutobserver.h"
#include "UI/Observers/mooredepositionobserver.h"
#include "UI/Observers/mooreetchingobserver.h"
#include "UI/Observers/photolithographyobserver.h"
#include "UI/Observers/planarizationobserver.h"
#include "UI/Observers/simplerieobserver.h"
#include "UI/Observers/spincoatingobserver.h"

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
    table.insert(MooreNeighborhoodDepositionOperation::FactoryNumber,
                 withObserver<MooreNeighborhoodDepositionOperation, Observers::MooreDepositionObserver>());
    table.insert(MooreNeighborhoodEtchingOperation::FactoryNumber,
                 withObserver<MooreNeighborhoodEtchingOperation, Observers::MooreEtchingObserver>());
    table.insert(PhotolithographyOperation::FactoryNumber,
                 withObserver<PhotolithographyOperation, Observers::PhotolithographyObserver>());
    table.insert(PlanarizationOperation::FactoryNumber,
                 withObserver<PlanarizationOperation, Observers::PlanarizationObserver>());
    table.insert(SpinCoatingOperation::FactoryNumber,
                 withObserver<SpinCoatingOperation, Observers::SpinCoatingObserver>());
    table.insert(SimpleReactiveIonEtchingOperation::FactoryNumber,
                 withObserver<SimpleReactiveIonEtchingOperation, Observers::SimpleRIEObserver>());
    table.insert(MaskedCutCellVolumeOperation::FactoryNumber,
                 withObserver<MaskedCutCellVolumeOperation, Observers::MaskedCutObserver>());
    // Removing cuts asks nothing.
    table.insert(RemoveCutsFromVolumeOperation::FactoryNumber, [](Workspace *workspace, QWidget *) {
        return boost::shared_ptr<Operation>(new RemoveCutsFromVolumeOperation(workspace));
    });
}

} // namespace Ui
