#pragma once

#include "dialogobserver.h"

#include "Core/Operations/Photolithography/photolithographyoperation.h"
#include "UI/Operations/photolithographydialog.h"

namespace Ui {
namespace Observers {

// Opens the photolithography options; masks applied there show on the volume at once.
class PhotolithographyObserver
    : public DialogObserver<Core::Operations::PhotolithographyOperation, Operations::PhotolithographyDialog>
{
public:
    PhotolithographyObserver(const boost::shared_ptr<Core::Operations::PhotolithographyOperation> &operation,
                             QWidget *parent)
        : DialogObserver(operation, parent), m_preview(operation)
    {
    }

protected:
    // Called while notify() holds the operation, so the plain pointer outlives the dialog.
    Operations::PhotolithographyDialog *makeDialog(QWidget *parent) const override
    {
        return new Operations::PhotolithographyDialog(m_preview.lock().get(), parent);
    }

private:
    boost::weak_ptr<Core::Operations::PhotolithographyOperation> m_preview;
};

} // namespace Observers
} // namespace Ui
