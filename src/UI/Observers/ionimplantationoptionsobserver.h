#pragma once

#include "dialogobserver.h"

#include "Core/Operations/DistanceCounting/ionimplantationoperation.h"
#include "UI/Operations/ionimplantationoptionsdialog.h"

namespace Ui {
namespace Observers {

// Opens the ion implantation options for its operation.
class IonImplantationOptionsObserver : public DialogObserver<Core::Operations::IonImplantationOperation, Operations::IonImplantationOptionsDialog>
{
public:
    using DialogObserver::DialogObserver;
};

} // namespace Observers
} // namespace Ui
