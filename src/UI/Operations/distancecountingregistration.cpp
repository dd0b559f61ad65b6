#include "Core/Operations/DistanceCounting/anisotropicfilmdepositionoperation.h"
#include "Core/Operations/DistanceCounting/anisotropicfilmetchingoperation.h"
#include "Core/Operations/DistanceCounting/dopingoperation.h"
#include "Core/Operations/DistanceCounting/electrodepositionoperation.h"
#include "Core/Operations/DistanceCounting/ionimplantationoperation.h"
#include "Core/Operations/DistanceCounting/isotropicfilmdepositionoperation.h"
#include "Core/Operations/DistanceCounting/isotropicfilmetchingoperation.h"
#include "Core/Operations/DistanceCounting/simplephysicalvapordepositionoperation.h"
#include "Core/Operations/DistanceCounting/simplesioxidationoperation.h"
#include "UI/Observers/anisotropicdepositionobserver.h"
#include "UI/Observers/anisotropicetchingobserver.h"
#include "UI/Observers/dopingoptionsobserver.h"
#include "UI/Observers/electrodepositionobserver.h"
#include "UI/Observers/ionimplantationoptionsobserver.h"
#include "UI/Observers/isotropicfilmdepositionobserver.h"
#include "UI/Observers/isotropicfilmetchingobserver.h"
#include "UI/Observers/pvdobserver.h"
#include "UI/Observers/sioxidationobserver.h"
#include "UI/operationfactory.h"

namespace Ui {

using namespace Core::Operations;

namespace {

// "Isotropic Deposition" (13) and "CVD" (33) are one class offering different catalogue materials.
OperationFactory::Creator isotropicDeposition(int number)
{
    return [number](Workspace *workspace, QWidget *parent) {
        const boost::shared_ptr<IsotropicFilmDepositionOperation> op(new IsotropicFilmDepositionOperation(workspace, number));
        op->setDialogObserver(boost::shared_ptr<Util::IObserver>(
            new Observers::IsotropicFilmDepositionObserver(op, parent, op->materialProcessId())));
        return boost::shared_ptr<Operation>(op);
    };
}

} // namespace

void registerDistanceCountingOperations(OperationFactory::Table &table)
{
    table.insert(3, dialogOperationCreator<IonImplantationOperation, Observers::IonImplantationOptionsObserver>());
    table.insert(13, isotropicDeposition(13));
    table.insert(14, dialogOperationCreator<IsotropicFilmEtchingOperation, Observers::IsotropicFilmEtchingObserver>());
    table.insert(15, dialogOperationCreator<ElectrodepositionOperation, Observers::ElectrodepositionObserver>());
    table.insert(17, dialogOperationCreator<DopingOperation, Observers::DopingOptionsObserver>());
    table.insert(26, dialogOperationCreator<SimpleSiOxidationOperation, Observers::SiOxidationObserver>());
    table.insert(27, dialogOperationCreator<AnisotropicFilmDepositionOperation, Observers::AnisotropicDepositionObserver>());
    table.insert(31, dialogOperationCreator<SimplePhysicalVaporDepositionOperation, Observers::PVDObserver>());
    table.insert(32, dialogOperationCreator<AnisotropicFilmEtchingOperation, Observers::AnisotropicEtchingObserver>());
    table.insert(33, isotropicDeposition(33));
}

} // namespace Ui
