#pragma once

#include "dialogobserver.h"

#include "Core/Operations/DistanceCounting/dopingoperation.h"
#include "UI/Operations/dopingoptionsdialog.h"

namespace Ui {
namespace Observers {

// Opens the doping options for its operation.
class DopingOptionsObserver : public DialogObserver<Core::Operations::DopingOperation, Operations::DopingOptionsDialog>
{
public:
    using DialogObserver::DialogObserver;
};

} // namespace Observers
} // namespace Ui
