#pragma once

#include "dialogobserver.h"

#include "Core/Operations/WetEtching/continouswetetchoperation.h"
#include "UI/Operations/bcaetchingdialog.h"

namespace Ui {
namespace Observers {

// Opens the wet etching options for a continuous etch.
class CCAWetEtchingObserver
    : public DialogObserver<Core::Operations::ContinousWetEtchOperation, Operations::BCAEtchingDialog>
{
public:
    using DialogObserver::DialogObserver;
};

} // namespace Observers
} // namespace Ui
