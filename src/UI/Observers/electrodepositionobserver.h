#pragma once

#include "dialogobserver.h"

#include "Core/Operations/DistanceCounting/electrodepositionoperation.h"
#include "UI/Operations/electrodepositiondialog.h"

namespace Ui {
namespace Observers {

// Opens the electroplating options for its operation.
class ElectrodepositionObserver : public DialogObserver<Core::Operations::ElectrodepositionOperation, Operations::ElectrodepositionDialog>
{
public:
    using DialogObserver::DialogObserver;
};

} // namespace Observers
} // namespace Ui
