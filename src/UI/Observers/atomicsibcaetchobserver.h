#pragma once

#include "dialogobserver.h"

#include "Core/Operations/WetEtching/atomisticsiwetetchingoperation.h"
#include "UI/Operations/bcaetchingdialog.h"

namespace Ui {
namespace Observers {

// Opens the wet etching options for a bond-counting etch.
class AtomicSiBCAEtchObserver
    : public DialogObserver<Core::Operations::AtomisticSiWetEtchingOperation, Operations::BCAEtchingDialog>
{
public:
    using DialogObserver::DialogObserver;
};

} // namespace Observers
} // namespace Ui
