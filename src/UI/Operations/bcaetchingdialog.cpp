#include "bcaetchingdialog.h"

#include "dialogfields.h"

#include "Core/Operations/WetEtching/atomisticetchoperation.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

BCAEtchingDialog::BCAEtchingDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("BCAEtchingForm"));
    setWindowTitle(QStringLiteral("Wet Etching Options"));
    QVBoxLayout *layout = new QVBoxLayout(this);
    QGridLayout *grid = new QGridLayout;
    // The step is one (100) layer-to-layer distance in the plane, sqrt(2)/4.
    m_depth = DialogFields::doubleSpinBox(this, QStringLiteral("dblEtchDepth"), 4, 0, 1e9, 10, QStringLiteral(" units"),
                                          0.353552);
    DialogFields::addRow(grid, this, QStringLiteral("lblEtchDepth"), QStringLiteral("Etch Depth"), m_depth);
    layout->addLayout(grid);
    QLabel *explanation = new QLabel(QStringLiteral("Set the depth of the etching. This is how far down the (100) "
                                                    "plane on the surface will be etched."),
                                     this);
    explanation->setObjectName(QStringLiteral("lblExplanation"));
    explanation->setWordWrap(true);
    layout->addWidget(explanation);
    layout->addWidget(DialogFields::okCancel(this));
}

void BCAEtchingDialog::fillFrom(const QVariantMap &parameters)
{
    DialogFields::setValue(m_depth, parameters, QStringLiteral("Depth"));
}

double BCAEtchingDialog::depth() const { return m_depth->value(); }

void BCAEtchingDialog::applyTo(Core::Operations::AtomisticEtchOperation &operation) const
{
    operation.setDepth(depth());
}

} // namespace Operations
} // namespace Ui
