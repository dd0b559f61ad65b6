#include "gridspacingdialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QVBoxLayout>

namespace Ui {

GridSpacingDialog::GridSpacingDialog(double spacing, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("GridSpacingDialog"));
    setWindowTitle(QStringLiteral("Set Grid Spacing"));
    m_spacing = new QDoubleSpinBox(this);
    m_spacing->setObjectName(QStringLiteral("dblSpacing"));
    m_spacing->setDecimals(3);
    // A spacing of zero would draw no grid at all; the view also refuses it.
    m_spacing->setRange(0.01, 1e6);
    m_spacing->setValue(spacing);
    QFormLayout *form = new QFormLayout;
    form->addRow(QStringLiteral("Spacing"), m_spacing);
    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    QVBoxLayout *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

double GridSpacingDialog::spacing() const { return m_spacing->value(); }

} // namespace Ui
