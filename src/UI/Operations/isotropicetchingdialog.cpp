#include "isotropicetchingdialog.h"

#include "dialogfields.h"
#include "materialcombobox.h"

#include "Core/Operations/DistanceCounting/isotropicfilmetchingoperation.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

IsotropicEtchingDialog::IsotropicEtchingDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("IsotropicEtchingForm"));
    setWindowTitle(QStringLiteral("Isotropic Film Etching"));
    resize(279, 150);
    QVBoxLayout *layout = new QVBoxLayout(this);
    QGridLayout *grid = new QGridLayout;
    m_material = DialogFields::materialBox(this, QStringLiteral("cbxMaterial"),
                                           Core::Operations::IsotropicFilmEtchingOperation::MaterialProcessId);
    m_depth = DialogFields::doubleSpinBox(this, QStringLiteral("dblEtchDepth"), 2, 0, 1e9, 10, QStringLiteral(" units"));
    DialogFields::addRow(grid, this, QStringLiteral("lblMaterial"), QStringLiteral("Material"), m_material);
    DialogFields::addRow(grid, this, QStringLiteral("lblEtchDepth"), QStringLiteral("Etch Depth"), m_depth);
    layout->addLayout(grid);
    layout->addWidget(DialogFields::okCancel(this));
}

void IsotropicEtchingDialog::fillFrom(const QVariantMap &parameters)
{
    DialogFields::setValue(m_depth, parameters, QStringLiteral("Depth"));
    DialogFields::selectMaterial(m_material, parameters, QStringLiteral("Material"));
}

float IsotropicEtchingDialog::depth() const { return float(m_depth->value()); }

unsigned IsotropicEtchingDialog::materialId() const { return MaterialComboBox::selectedId(m_material); }

void IsotropicEtchingDialog::applyTo(Core::Operations::IsotropicFilmEtchingOperation &operation) const
{
    operation.setDepth(depth());
    if (m_material->currentIndex() >= 0)
        operation.setMaterialId(materialId());
}

} // namespace Operations
} // namespace Ui
