#include "Core/Operations/WetEtching/atomisticsiwetetchingoperation.h"
#include "Core/Operations/WetEtching/continouswetetchoperation.h"
#include "UI/Observers/atomicsibcaetchobserver.h"
#include "UI/Observers/ccawetetchingobserver.h"
#include "UI/operationfactory.h"

namespace Ui {

void registerWetEtchingOperations(OperationFactory::Table &table)
{
    using namespace Core::Operations;
    table.insert(28, dialogOperationCreator<AtomisticSiWetEtchingOperation, Observers::AtomicSiBCAEtchObserver>());
    table.insert(29, dialogOperationCreator<ContinousWetEtchOperation, Observers::CCAWetEtchingObserver>());
}

} // namespace Ui
