#pragma once

#include "dialogobserver.h"

#include "Core/Operations/DistanceCounting/anisotropicfilmetchingoperation.h"
#include "UI/Operations/anisotropicetchingdialog.h"

namespace Ui {
namespace Observers {

// Opens the anisotropic etching options for its operation.
class AnisotropicEtchingObserver : public DialogObserver<Core::Operations::AnisotropicFilmEtchingOperation, Operations::AnisotropicEtchingDialog>
{
public:
    using DialogObserver::DialogObserver;
};

} // namespace Observers
} // namespace Ui
