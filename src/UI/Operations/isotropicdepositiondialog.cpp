#include "isotropicdepositiondialog.h"

#include "dialogfields.h"
#include "materialcombobox.h"

#include "Core/Operations/DistanceCounting/isotropicfilmdepositionoperation.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

IsotropicDepositionDialog::IsotropicDepositionDialog(unsigned processId, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("IsotropicDepositionForm"));
    setWindowTitle(QStringLiteral("Isotropic Film Deposition"));
    resize(279, 150);
    QVBoxLayout *layout = new QVBoxLayout(this);
    QGridLayout *grid = new QGridLayout;
    m_material = DialogFields::materialBox(this, QStringLiteral("cbxMaterial"), processId);
    m_thickness = DialogFields::doubleSpinBox(this, QStringLiteral("dblFilmThickness"), 2, 0, 1e9, 10,
                                              QStringLiteral(" units"));
    DialogFields::addRow(grid, this, QStringLiteral("lblMaterial"), QStringLiteral("Material"), m_material);
    DialogFields::addRow(grid, this, QStringLiteral("lblFilmThickness"), QStringLiteral("Film thickness"), m_thickness);
    layout->addLayout(grid);
    layout->addWidget(DialogFields::okCancel(this));
}

IsotropicDepositionDialog::IsotropicDepositionDialog(QWidget *parent) : IsotropicDepositionDialog(18, parent) {}

void IsotropicDepositionDialog::fillFrom(const QVariantMap &parameters)
{
    DialogFields::setValue(m_thickness, parameters, QStringLiteral("Film Thickness"));
    DialogFields::selectMaterial(m_material, parameters, QStringLiteral("Material"));
}

float IsotropicDepositionDialog::filmThickness() const { return float(m_thickness->value()); }

unsigned IsotropicDepositionDialog::materialId() const { return MaterialComboBox::selectedId(m_material); }

void IsotropicDepositionDialog::applyTo(Core::Operations::IsotropicFilmDepositionOperation &operation) const
{
    operation.setFilmThickness(filmThickness());
    // An empty list offers no material: the step then cancels instead of depositing "nothing".
    if (m_material->currentIndex() >= 0)
        operation.setMaterialId(materialId());
}

} // namespace Operations
} // namespace Ui
