#include "mooreoptionsdialog.h"

#include "cellspinbox.h"
#include "dialogfields.h"
#include "materialcombobox.h"

#include "Core/Operations/Moore/mooreneighborhooddepositionoperation.h"
#include "Core/Operations/Moore/mooreneighborhoodetchingoperation.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

MooreOptionsDialog::MooreOptionsDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("MooreOptionsBaseDialog"));
    setWindowTitle(QStringLiteral("Operation Options"));
    resize(369, 223);
    QVBoxLayout *layout = new QVBoxLayout(this);
    QGridLayout *grid = new QGridLayout;
    m_material = DialogFields::materialBox(this, QStringLiteral("cbxFilm"), 0);
    m_cells = cellSpinBox(this, QStringLiteral("sbxValue"), 1, 999999999, 1, QStringLiteral(" cells"));
    DialogFields::addRow(grid, this, QStringLiteral("lblFilm"), QStringLiteral("Select Film"), m_material);
    DialogFields::addRow(grid, this, QStringLiteral("lblValue"), QStringLiteral("Select Value"), m_cells);
    m_valueLabel = findChild<QLabel *>(QStringLiteral("lblValue"));
    layout->addLayout(grid);
    layout->addWidget(DialogFields::okCancel(this));
}

void MooreOptionsDialog::setValueLabel(const QString &text) { m_valueLabel->setText(text); }

void MooreOptionsDialog::fillFrom(const QVariantMap &parameters, const QString &valueName)
{
    setCellValue(m_cells, parameters.value(valueName));
    DialogFields::selectMaterial(m_material, parameters, QStringLiteral("Material"));
}

unsigned MooreOptionsDialog::materialId() const { return MaterialComboBox::selectedId(m_material); }

unsigned MooreOptionsDialog::cells() const { return unsigned(m_cells->value()); }

void MooreOptionsDialog::applyTo(Core::Operations::MooreNeighborhoodDepositionOperation &operation) const
{
    if (m_material->currentIndex() >= 0)
        operation.setMaterialId(materialId());
    operation.setThickness(cells());
}

void MooreOptionsDialog::applyTo(Core::Operations::MooreNeighborhoodEtchingOperation &operation) const
{
    if (m_material->currentIndex() >= 0)
        operation.setMaterialId(materialId());
    operation.setDepth(cells());
}

} // namespace Operations
} // namespace Ui
