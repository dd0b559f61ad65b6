#pragma once

// The option dialogs of the program's process steps. Each is its step's
// definition shown by StepOptionsDialog: fields, labels, ranges, defaults,
// units, title and size all come from the definition.

#include "stepoptionsdialog.h"

#include "Core/Steps/processdata.h"
#include "Core/Steps/stepregistry.h"

namespace Ui {
namespace Operations {

// One named dialog per step; Type is the step's process-list type.
template <int Type>
class ListStepDialog : public StepOptionsDialog
{
public:
    explicit ListStepDialog(QWidget *parent = nullptr)
        : StepOptionsDialog(*Core::Steps::StepRegistry::instance().ofType(Type), parent)
    {
    }
};

using Core::Steps::ProcessData;

// "Isotropic Deposition" and, with the CVD materials, "CVD": one form.
class IsotropicDepositionDialog : public StepOptionsDialog
{
public:
    explicit IsotropicDepositionDialog(bool cvd = false, QWidget *parent = nullptr)
        : StepOptionsDialog(*Core::Steps::StepRegistry::instance().ofType(cvd ? ProcessData::Cvd
                                                                             : ProcessData::IsotropicDeposition),
                            parent)
    {
    }
};

typedef ListStepDialog<ProcessData::IsotropicEtching> IsotropicEtchingDialog;
typedef ListStepDialog<ProcessData::AnisotropicDeposition> AnisotropicDepositionDialog;
typedef ListStepDialog<ProcessData::AnisotropicEtching> AnisotropicEtchingDialog;
typedef ListStepDialog<ProcessData::Pvd> PVDOptionsDialog;
typedef ListStepDialog<ProcessData::Electroplating> ElectrodepositionDialog;
typedef ListStepDialog<ProcessData::Doping> DopingOptionsDialog;
typedef ListStepDialog<ProcessData::IonImplantation> IonImplantationOptionsDialog;
typedef ListStepDialog<ProcessData::SiOxidation> SimpleOxidationOptionsDialog;
typedef ListStepDialog<ProcessData::MooreDeposition> MooreDepositionDialog;
typedef ListStepDialog<ProcessData::MooreEtching> MooreEtchingDialog;
typedef ListStepDialog<ProcessData::Planarization> PlanarizationOptionsDialog;
typedef ListStepDialog<ProcessData::SpinCoating> SpinCoatingOptionsDialog;
typedef ListStepDialog<ProcessData::SimpleRie> SimpleRIEDialog;
typedef ListStepDialog<ProcessData::SiWetEtching> BCAEtchingDialog;

} // namespace Operations
} // namespace Ui
