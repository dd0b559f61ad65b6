#pragma once

#include "dialogobserver.h"

#include "Core/Operations/DopingOperation/randomwalkdopingoperation.h"
#include "UI/Operations/randomwalkdopingdialog.h"

namespace Ui {
namespace Observers {

// Opens the random-walk doping options for its operation.
class RandomWalkDopingObserver
    : public DialogObserver<Core::Operations::RandomWalkDopingOperation, Operations::RandomWalkDopingDialog>
{
public:
    using DialogObserver::DialogObserver;
};

} // namespace Observers
} // namespace Ui
