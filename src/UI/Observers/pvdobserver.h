#pragma once

#include "dialogobserver.h"

#include "Core/Operations/DistanceCounting/simplephysicalvapordepositionoperation.h"
#include "UI/Operations/pvdoptionsdialog.h"

namespace Ui {
namespace Observers {

// Opens the physical vapour deposition options for its operation.
class PVDObserver : public DialogObserver<Core::Operations::SimplePhysicalVaporDepositionOperation, Operations::PVDOptionsDialog>
{
public:
    using DialogObserver::DialogObserver;
};

} // namespace Observers
} // namespace Ui
