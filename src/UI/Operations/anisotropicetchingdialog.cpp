#include "anisotropicetchingdialog.h"

#include "dialogfields.h"
#include "materialcombobox.h"

#include "Core/Operations/DistanceCounting/anisotropicfilmetchingoperation.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

AnisotropicEtchingDialog::AnisotropicEtchingDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AnisotropicEtchingBaseDialog"));
    setWindowTitle(QStringLiteral("Dialog"));
    resize(300, 300);
    QVBoxLayout *layout = new QVBoxLayout(this);
    QGridLayout *grid = new QGridLayout;
    m_material = DialogFields::materialBox(this, QStringLiteral("cbxMaterial"),
                                           Core::Operations::AnisotropicFilmEtchingOperation::MaterialProcessId);
    m_ratio = DialogFields::doubleSpinBox(this, QStringLiteral("dblHorizontalRatio"), 3, 0, 1e9, 0.5);
    m_depth = DialogFields::doubleSpinBox(this, QStringLiteral("dblEtchDepth"), 2, 0, 1e9, 10, QStringLiteral(" units"));
    DialogFields::addRow(grid, this, QStringLiteral("lblMaterial"), QStringLiteral("Material"), m_material);
    DialogFields::addRow(grid, this, QStringLiteral("lblHorizontalRatio"), QStringLiteral("Horizontal ratio"), m_ratio);
    DialogFields::addRow(grid, this, QStringLiteral("lblEtchDepth"), QStringLiteral("Etch Depth"), m_depth);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addWidget(DialogFields::okCancel(this));
}

void AnisotropicEtchingDialog::fillFrom(const QVariantMap &parameters)
{
    DialogFields::setValue(m_depth, parameters, QStringLiteral("Etch Depth"));
    DialogFields::setValue(m_ratio, parameters, QStringLiteral("Horizontal to Vertical Ratio"));
    DialogFields::selectMaterial(m_material, parameters, QStringLiteral("Material"));
}

float AnisotropicEtchingDialog::etchDepth() const { return float(m_depth->value()); }

float AnisotropicEtchingDialog::horizontalRatio() const { return float(m_ratio->value()); }

unsigned AnisotropicEtchingDialog::materialId() const { return MaterialComboBox::selectedId(m_material); }

void AnisotropicEtchingDialog::applyTo(Core::Operations::AnisotropicFilmEtchingOperation &operation) const
{
    operation.setEtchDepth(etchDepth());
    operation.setHorizontalRatio(horizontalRatio());
    if (m_material->currentIndex() >= 0)
        operation.setMaterialId(materialId());
}

} // namespace Operations
} // namespace Ui
