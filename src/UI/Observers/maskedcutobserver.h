#pragma once

#include "dialogobserver.h"

#include "Core/Operations/Photolithography/maskedcutcellvolumeoperation.h"
#include "UI/Operations/maskedcutoptionsdialog.h"

namespace Ui {
namespace Observers {

// Opens the masked cut options; an applied mask shows on the volume at once.
class MaskedCutObserver
    : public DialogObserver<Core::Operations::MaskedCutCellVolumeOperation, Operations::MaskedCutOptionsDialog>
{
public:
    MaskedCutObserver(const boost::shared_ptr<Core::Operations::MaskedCutCellVolumeOperation> &operation,
                      QWidget *parent)
        : DialogObserver(operation, parent), m_preview(operation)
    {
    }

protected:
    Operations::MaskedCutOptionsDialog *makeDialog(QWidget *parent) const override
    {
        return new Operations::MaskedCutOptionsDialog(m_preview.lock().get(), parent);
    }

private:
    boost::weak_ptr<Core::Operations::MaskedCutCellVolumeOperation> m_preview;
};

} // namespace Observers
} // namespace Ui
