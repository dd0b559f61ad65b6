#pragma once

#include "dialogobserver.h"

#include "Core/Operations/CutGlue/extractfilm.h"
#include "UI/Operations/extractfilmdialog.h"

namespace Ui {
namespace Observers {

// Opens the film choice for its extraction.
class ExtractFilmObserver : public DialogObserver<Core::Operations::ExtractFilm, Operations::ExtractFilmDialog>
{
public:
    using DialogObserver::DialogObserver;
};

} // namespace Observers
} // namespace Ui
