#pragma once

#include "dialogobserver.h"

#include "Core/Operations/ColumnProcesses/spincoatingoperation.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/Operations/spincoatingoptionsdialog.h"

namespace Ui {
namespace Observers {

// Opens the pouring options, the height bounded by the selected volume.
class SpinCoatingObserver
    : public DialogObserver<Core::Operations::SpinCoatingOperation, Operations::SpinCoatingOptionsDialog>
{
public:
    SpinCoatingObserver(const boost::shared_ptr<Core::Operations::SpinCoatingOperation> &operation, QWidget *parent)
        : DialogObserver(operation, parent), m_operation(operation)
    {
    }

protected:
    Operations::SpinCoatingOptionsDialog *makeDialog(QWidget *parent) const override
    {
        Operations::SpinCoatingOptionsDialog *dialog = new Operations::SpinCoatingOptionsDialog(parent);
        const boost::shared_ptr<Core::Operations::SpinCoatingOperation> operation = m_operation.lock();
        if (operation && operation->getVolume())
            dialog->setVolumeHeight(operation->getVolume()->getSizeZ());
        return dialog;
    }

private:
    boost::weak_ptr<Core::Operations::SpinCoatingOperation> m_operation;
};

} // namespace Observers
} // namespace Ui
