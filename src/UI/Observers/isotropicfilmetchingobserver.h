#pragma once

#include "dialogobserver.h"

#include "Core/Operations/DistanceCounting/isotropicfilmetchingoperation.h"
#include "UI/Operations/isotropicetchingdialog.h"

namespace Ui {
namespace Observers {

// Opens the isotropic etching options for its operation.
class IsotropicFilmEtchingObserver : public DialogObserver<Core::Operations::IsotropicFilmEtchingOperation, Operations::IsotropicEtchingDialog>
{
public:
    using DialogObserver::DialogObserver;
};

} // namespace Observers
} // namespace Ui
