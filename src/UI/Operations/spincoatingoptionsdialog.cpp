#include "spincoatingoptionsdialog.h"

#include "cellspinbox.h"
#include "dialogfields.h"
#include "materialcombobox.h"

#include "Core/Operations/ColumnProcesses/spincoatingoperation.h"

#include <QDialogButtonBox>
#include <QComboBox>
#include <QGridLayout>
#include <QVBoxLayout>

#include <algorithm>

namespace Ui {
namespace Operations {

SpinCoatingOptionsDialog::SpinCoatingOptionsDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SpinCoatingOptionsBaseDialog"));
    setWindowTitle(QStringLiteral("Pour Material Options"));
    resize(207, 190);
    QVBoxLayout *layout = new QVBoxLayout(this);
    QGridLayout *grid = new QGridLayout;
    m_material = DialogFields::materialBox(this, QStringLiteral("cbxMaterial"), 0);
    m_height = cellSpinBox(this, QStringLiteral("sbxHeight"), 0, 999999999, 0, QStringLiteral(" cells"));
    DialogFields::addRow(grid, this, QStringLiteral("lblMaterial"), QStringLiteral("Material"), m_material);
    DialogFields::addRow(grid, this, QStringLiteral("lblHeight"), QStringLiteral("Deposition Height"), m_height);
    layout->addLayout(grid);
    layout->addWidget(DialogFields::okCancel(this));
}

void SpinCoatingOptionsDialog::setVolumeHeight(unsigned sizeZ) { m_height->setMaximum(int(std::min(sizeZ, 999999999u))); }

void SpinCoatingOptionsDialog::fillFrom(const QVariantMap &parameters)
{
    setCellValue(m_height, parameters.value(QStringLiteral("Maximum Height")));
    DialogFields::selectMaterial(m_material, parameters, QStringLiteral("Material"));
}

unsigned SpinCoatingOptionsDialog::materialId() const { return MaterialComboBox::selectedId(m_material); }

unsigned SpinCoatingOptionsDialog::height() const { return unsigned(m_height->value()); }

void SpinCoatingOptionsDialog::applyTo(Core::Operations::SpinCoatingOperation &operation) const
{
    if (m_material->currentIndex() >= 0)
        operation.setMaterialId(materialId());
    operation.setHeight(height());
}

} // namespace Operations
} // namespace Ui
