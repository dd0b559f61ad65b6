#pragma once

#include "dialogobserver.h"

#include "Core/Operations/DistanceCounting/simplesioxidationoperation.h"
#include "UI/Operations/simpleoxidationoptionsdialog.h"

namespace Ui {
namespace Observers {

// Opens the oxidation options for its operation.
class SiOxidationObserver : public DialogObserver<Core::Operations::SimpleSiOxidationOperation, Operations::SimpleOxidationOptionsDialog>
{
public:
    using DialogObserver::DialogObserver;
};

} // namespace Observers
} // namespace Ui
