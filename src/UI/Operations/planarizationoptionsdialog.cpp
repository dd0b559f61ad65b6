#include "planarizationoptionsdialog.h"

#include "cellspinbox.h"
#include "dialogfields.h"

#include "Core/Operations/ColumnProcesses/planarizationoperation.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QVBoxLayout>

#include <algorithm>

namespace Ui {
namespace Operations {

PlanarizationOptionsDialog::PlanarizationOptionsDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PlanarizationOptionsBaseDialog"));
    setWindowTitle(QStringLiteral("Planarization Options"));
    resize(400, 190);
    QVBoxLayout *layout = new QVBoxLayout(this);
    QGridLayout *grid = new QGridLayout;
    m_minimum = cellSpinBox(this, QStringLiteral("sbxMinimumHeight"), 0, 999999999, 0, QStringLiteral(" cells"));
    m_minimum->setToolTip(QStringLiteral("All cells below this height will be removed."));
    m_maximum = cellSpinBox(this, QStringLiteral("sbxMaximumHeight"), 0, 999999999, 0, QStringLiteral(" cells"));
    m_maximum->setToolTip(QStringLiteral("All cells above this height will be removed."));
    DialogFields::addRow(grid, this, QStringLiteral("lblMinimumHeight"), QStringLiteral("Minimum Height"), m_minimum);
    DialogFields::addRow(grid, this, QStringLiteral("lblMaximumHeight"), QStringLiteral("Maximum Height"), m_maximum);
    layout->addLayout(grid);
    layout->addWidget(DialogFields::okCancel(this));
    connect(m_maximum, QOverload<int>::of(&QSpinBox::valueChanged), this,
            &PlanarizationOptionsDialog::updateMinimumLimits);
}

void PlanarizationOptionsDialog::updateMinimumLimits(int maximumHeight)
{
    m_minimum->setMaximum(std::max(0, maximumHeight));
}

void PlanarizationOptionsDialog::setVolumeHeight(unsigned sizeZ)
{
    const int top = int(std::min(sizeZ, 999999999u));
    m_maximum->setMaximum(top);
    m_maximum->setValue(top);
    m_minimum->setMaximum(top);
    updateMinimumLimits(m_maximum->value());
}

void PlanarizationOptionsDialog::fillFrom(const QVariantMap &parameters)
{
    setCellValue(m_maximum, parameters.value(QStringLiteral("Maximum Height")));
    setCellValue(m_minimum, parameters.value(QStringLiteral("Minimum Height")));
}

unsigned PlanarizationOptionsDialog::maximumHeight() const { return unsigned(m_maximum->value()); }

unsigned PlanarizationOptionsDialog::minimumHeight() const { return unsigned(m_minimum->value()); }

void PlanarizationOptionsDialog::applyTo(Core::Operations::PlanarizationOperation &operation) const
{
    operation.setMaximumHeight(maximumHeight());
    operation.setMinimumHeight(minimumHeight());
}

} // namespace Operations
} // namespace Ui
