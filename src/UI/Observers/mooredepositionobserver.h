#pragma once

#include "dialogobserver.h"

#include "Core/Operations/Moore/mooreneighborhooddepositionoperation.h"
#include "UI/Operations/mooreoptionsdialog.h"

namespace Ui {
namespace Observers {

// Opens the Moore options asking for the film thickness.
class MooreDepositionObserver
    : public DialogObserver<Core::Operations::MooreNeighborhoodDepositionOperation, Operations::MooreOptionsDialog>
{
public:
    using DialogObserver::DialogObserver;

protected:
    Operations::MooreOptionsDialog *makeDialog(QWidget *parent) const override
    {
        Operations::MooreOptionsDialog *dialog = new Operations::MooreOptionsDialog(parent);
        dialog->setValueLabel(QStringLiteral("Film Thickness"));
        return dialog;
    }
};

} // namespace Observers
} // namespace Ui
