#pragma once

#include "dialogobserver.h"

#include "Core/Operations/DistanceCounting/isotropicfilmdepositionoperation.h"
#include "UI/Operations/isotropicdepositiondialog.h"

namespace Ui {
namespace Observers {

// Opens the isotropic deposition options, offering the materials of one catalogue process
// (18 for "Isotropic Deposition", 3 for "CVD").
class IsotropicFilmDepositionObserver
    : public DialogObserver<Core::Operations::IsotropicFilmDepositionOperation, Operations::IsotropicDepositionDialog>
{
public:
    IsotropicFilmDepositionObserver(const boost::shared_ptr<Core::Operations::IsotropicFilmDepositionOperation> &operation,
                                    QWidget *parent, unsigned processId)
        : DialogObserver(operation, parent), m_processId(processId)
    {
    }

protected:
    Operations::IsotropicDepositionDialog *makeDialog(QWidget *parent) const override
    {
        return new Operations::IsotropicDepositionDialog(m_processId, parent);
    }

private:
    unsigned m_processId;
};

} // namespace Observers
} // namespace Ui
