#pragma once

#include "dialogobserver.h"

#include "Core/Operations/ColumnProcesses/simplereactiveionetchingoperation.h"
#include "UI/Operations/simpleriedialog.h"

namespace Ui {
namespace Observers {

// Opens the RIE options; on OK the depth, material and both direction boxes go to the operation.
typedef DialogObserver<Core::Operations::SimpleReactiveIonEtchingOperation, Operations::SimpleRIEDialog>
    SimpleRIEObserver;

} // namespace Observers
} // namespace Ui
