#pragma once

#include "dialogobserver.h"

#include "Core/Operations/ColumnProcesses/planarizationoperation.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/Operations/planarizationoptionsdialog.h"

namespace Ui {
namespace Observers {

// Opens the planarization options, bounded by the selected volume's height.
class PlanarizationObserver
    : public DialogObserver<Core::Operations::PlanarizationOperation, Operations::PlanarizationOptionsDialog>
{
public:
    PlanarizationObserver(const boost::shared_ptr<Core::Operations::PlanarizationOperation> &operation,
                          QWidget *parent)
        : DialogObserver(operation, parent), m_operation(operation)
    {
    }

protected:
    Operations::PlanarizationOptionsDialog *makeDialog(QWidget *parent) const override
    {
        Operations::PlanarizationOptionsDialog *dialog = new Operations::PlanarizationOptionsDialog(parent);
        const boost::shared_ptr<Core::Operations::PlanarizationOperation> operation = m_operation.lock();
        if (operation && operation->getVolume())
            dialog->setVolumeHeight(operation->getVolume()->getSizeZ());
        return dialog;
    }

private:
    boost::weak_ptr<Core::Operations::PlanarizationOperation> m_operation;
};

} // namespace Observers
} // namespace Ui
