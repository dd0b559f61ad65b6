#pragma once

// The dialog observers of the program's process steps: when the operation asks
// for its values, open its step's options dialog (with the volume's height
// where a field is bounded by it) and, only on OK, hand the values over.

#include "dialogobserver.h"

#include "Core/Operations/stepoperations.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/Operations/photolithographydialog.h"
#include "UI/Operations/randomwalkdopingdialog.h"
#include "UI/Operations/stepoptionsdialog.h"

namespace Ui {
namespace Observers {

// Any step shown by the dialog built from its definition.
class StepDialogObserver : public Util::IObserver
{
public:
    StepDialogObserver(const boost::shared_ptr<Core::Operations::ProcessOperation> &operation, QWidget *parent)
        : m_operation(operation), m_parent(parent)
    {
    }

    void notify() override
    {
        const boost::shared_ptr<Core::Operations::ProcessOperation> operation = m_operation.lock();
        if (!operation || !operation->definition())
            return;
        Operations::StepOptionsDialog dialog(*operation->definition(), m_parent);
        if (const boost::shared_ptr<Model::Automaton::TotalVolume> volume = operation->getVolume())
            dialog.setVolumeHeight(volume->getSizeZ());
        if (dialog.exec() == QDialog::Accepted)
            dialog.applyTo(*operation);
    }

private:
    boost::weak_ptr<Core::Operations::ProcessOperation> m_operation;
    QPointer<QWidget> m_parent;
};

typedef StepDialogObserver IsotropicFilmDepositionObserver;
typedef StepDialogObserver IsotropicFilmEtchingObserver;
typedef StepDialogObserver ElectrodepositionObserver;
typedef StepDialogObserver DopingOptionsObserver;
typedef StepDialogObserver IonImplantationOptionsObserver;
typedef StepDialogObserver SiOxidationObserver;
typedef StepDialogObserver AnisotropicDepositionObserver;
typedef StepDialogObserver AnisotropicEtchingObserver;
typedef StepDialogObserver PVDObserver;
typedef StepDialogObserver MooreDepositionObserver;
typedef StepDialogObserver MooreEtchingObserver;
typedef StepDialogObserver PlanarizationObserver;
typedef StepDialogObserver SpinCoatingObserver;
typedef StepDialogObserver SimpleRIEObserver;
typedef StepDialogObserver AtomicSiBCAEtchObserver;
typedef StepDialogObserver CCAWetEtchingObserver;

// Random-walk doping's own form, in the units engineers type.
class RandomWalkDopingObserver
    : public DialogObserver<Core::Operations::ProcessOperation, Operations::RandomWalkDopingDialog>
{
public:
    using DialogObserver::DialogObserver;
};

// The photolithography options; masks applied there show on the volume at once.
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
