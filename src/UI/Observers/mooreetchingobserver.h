#pragma once

#include "dialogobserver.h"

#include "Core/Operations/Moore/mooreneighborhoodetchingoperation.h"
#include "UI/Operations/mooreoptionsdialog.h"

namespace Ui {
namespace Observers {

// Opens the Moore options asking for the etch depth.
class MooreEtchingObserver
    : public DialogObserver<Core::Operations::MooreNeighborhoodEtchingOperation, Operations::MooreOptionsDialog>
{
public:
    using DialogObserver::DialogObserver;

protected:
    Operations::MooreOptionsDialog *makeDialog(QWidget *parent) const override
    {
        Operations::MooreOptionsDialog *dialog = new Operations::MooreOptionsDialog(parent);
        dialog->setValueLabel(QStringLiteral("Etch Depth"));
        return dialog;
    }
};

} // namespace Observers
} // namespace Ui
