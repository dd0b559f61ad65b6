#include "anisotropicdepositiondialog.h"

#include "dialogfields.h"
#include "materialcombobox.h"

#include "Core/Operations/DistanceCounting/anisotropicfilmdepositionoperation.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

AnisotropicDepositionDialog::AnisotropicDepositionDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AnisotropicDepositionBaseDialog"));
    setWindowTitle(QStringLiteral("PVD Options"));
    resize(320, 300);
    QVBoxLayout *layout = new QVBoxLayout(this);
    QGridLayout *grid = new QGridLayout;
    m_material = DialogFields::materialBox(this, QStringLiteral("cbxMaterial"),
                                           Core::Operations::AnisotropicFilmDepositionOperation::MaterialProcessId);
    m_thickness = DialogFields::doubleSpinBox(this, QStringLiteral("dblFilmThickness"), 2, 0, 1e9, 10,
                                              QStringLiteral(" units"));
    m_ratio = DialogFields::doubleSpinBox(this, QStringLiteral("dblHorizontalRatio"), 3, 0, 1e9, 0.5);
    DialogFields::addRow(grid, this, QStringLiteral("lblMaterial"), QStringLiteral("Material"), m_material);
    DialogFields::addRow(grid, this, QStringLiteral("lblFilmThickness"), QStringLiteral("Film thickness"), m_thickness);
    DialogFields::addRow(grid, this, QStringLiteral("lblHorizontalRatio"), QStringLiteral("Horizontal ratio"), m_ratio);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addWidget(DialogFields::okCancel(this));
}

void AnisotropicDepositionDialog::fillFrom(const QVariantMap &parameters)
{
    DialogFields::setValue(m_thickness, parameters, QStringLiteral("Film Thickness"));
    DialogFields::setValue(m_ratio, parameters, QStringLiteral("Horizontal to Vertical Ratio"));
    DialogFields::selectMaterial(m_material, parameters, QStringLiteral("Material"));
}

float AnisotropicDepositionDialog::filmThickness() const { return float(m_thickness->value()); }

float AnisotropicDepositionDialog::horizontalRatio() const { return float(m_ratio->value()); }

unsigned AnisotropicDepositionDialog::materialId() const { return MaterialComboBox::selectedId(m_material); }

void AnisotropicDepositionDialog::applyTo(Core::Operations::AnisotropicFilmDepositionOperation &operation) const
{
    operation.setFilmThickness(filmThickness());
    operation.setHorizontalRatio(horizontalRatio());
    if (m_material->currentIndex() >= 0)
        operation.setMaterialId(materialId());
}

} // namespace Operations
} // namespace Ui
