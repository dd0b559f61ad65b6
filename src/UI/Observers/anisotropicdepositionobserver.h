#pragma once

#include "dialogobserver.h"

#include "Core/Operations/DistanceCounting/anisotropicfilmdepositionoperation.h"
#include "UI/Operations/anisotropicdepositiondialog.h"

namespace Ui {
namespace Observers {

// Opens the anisotropic deposition options for its operation.
class AnisotropicDepositionObserver : public DialogObserver<Core::Operations::AnisotropicFilmDepositionOperation, Operations::AnisotropicDepositionDialog>
{
public:
    using DialogObserver::DialogObserver;
};

} // namespace Observers
} // namespace Ui
