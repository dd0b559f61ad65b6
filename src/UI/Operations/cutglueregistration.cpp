#include "UI/operationfactory.h"

#include "Core/Operations/CutGlue/cutcellvolumeoperation.h"
#include "Core/Operations/CutGlue/extractfilm.h"
#include "Core/Operations/CutGlue/gluesubstrateoperation.h"
#include "Core/Operations/ExportData/exportdataoperation.h"
#include "UI/Observers/cutcellvolumeobserver.h"
#include "UI/Observers/exportdataobserver.h"
#include "UI/Observers/extractfilmobserver.h"
#include "UI/Observers/gluesubstrateobserver.h"

namespace Ui {

using namespace Core::Operations;

namespace {

// An operation with its dialog observer; the observer holds the operation weakly.
template <class Op, class Observer>
OperationFactory::Creator withDialog()
{
    return [](Workspace *workspace, QWidget *parent) {
        const boost::shared_ptr<Op> op(new Op(workspace));
        op->setDialogObserver(boost::shared_ptr<Util::IObserver>(new Observer(op, parent)));
        return boost::shared_ptr<Operation>(op);
    };
}

} // namespace

void registerCutGlueDopingExportOperations(OperationFactory::Table &table)
{
    table.insert(ExtractFilm::FactoryNumber, withDialog<ExtractFilm, Observers::ExtractFilmObserver>());
    table.insert(GlueSubstrateOperation::FactoryNumber,
                 withDialog<GlueSubstrateOperation, Observers::GlueSubstrateObserver>());
    table.insert(CutCellVolumeOperation::FactoryNumber,
                 withDialog<CutCellVolumeOperation, Observers::CutCellVolumeObserver>());
    table.insert(ExportDataOperation::FactoryNumber, [](Workspace *workspace, QWidget *parent) {
        const boost::shared_ptr<ExportDataOperation> op(new ExportDataOperation(workspace));
        op->setChoices(boost::shared_ptr<IExportChoices>(new Observers::ExportDataObserver(parent)));
        return boost::shared_ptr<Operation>(op);
    });
}

} // namespace Ui
