#include "ionimplantationoptionsdialog.h"

#include "dialogfields.h"
#include "materialcombobox.h"

#include "Core/Operations/DistanceCounting/ionimplantationoperation.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

IonImplantationOptionsDialog::IonImplantationOptionsDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("IonImplantationOptionsBaseDialog"));
    setWindowTitle(QStringLiteral("Ion Implantation Options"));
    resize(268, 297);
    QVBoxLayout *layout = new QVBoxLayout(this);
    QGridLayout *grid = new QGridLayout;
    m_material = DialogFields::materialBox(this, QStringLiteral("cbxDopedMaterial"),
                                           Core::Operations::IonImplantationOperation::MaterialProcessId);
    const QString units = QStringLiteral(" units");
    m_depth = DialogFields::doubleSpinBox(this, QStringLiteral("dblImplantationDepth"), 2, 0, 1e9, 50, units);
    m_spread = DialogFields::doubleSpinBox(this, QStringLiteral("dblVerticalSpread"), 2, 0, 1e9, 20, units);
    m_annealing = DialogFields::doubleSpinBox(this, QStringLiteral("dblAnnealingDistance"), 2, 0, 1e9, 10, units);
    DialogFields::addRow(grid, this, QStringLiteral("lblDopedMaterial"), QStringLiteral("Doped Material"), m_material);
    DialogFields::addRow(grid, this, QStringLiteral("lblImplantationDepth"), QStringLiteral("Implantation Depth"),
                         m_depth);
    DialogFields::addRow(grid, this, QStringLiteral("lblVerticalSpread"), QStringLiteral("Vertical Spread"), m_spread);
    DialogFields::addRow(grid, this, QStringLiteral("lblAnnealingDistance"), QStringLiteral("Annealing Distance"),
                         m_annealing);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addWidget(DialogFields::okCancel(this));
}

void IonImplantationOptionsDialog::fillFrom(const QVariantMap &parameters)
{
    DialogFields::setValue(m_depth, parameters, QStringLiteral("Implantation Depth"));
    DialogFields::setValue(m_spread, parameters, QStringLiteral("Vertical Spread"));
    DialogFields::setValue(m_annealing, parameters, QStringLiteral("Annealing Distance"));
    DialogFields::selectMaterial(m_material, parameters, QStringLiteral("Doped Material"));
}

float IonImplantationOptionsDialog::implantationDepth() const { return float(m_depth->value()); }

float IonImplantationOptionsDialog::verticalSpread() const { return float(m_spread->value()); }

float IonImplantationOptionsDialog::annealingDistance() const { return float(m_annealing->value()); }

unsigned IonImplantationOptionsDialog::dopedMaterialId() const { return MaterialComboBox::selectedId(m_material); }

void IonImplantationOptionsDialog::applyTo(Core::Operations::IonImplantationOperation &operation) const
{
    operation.setImplantationDepth(implantationDepth());
    operation.setVerticalSpread(verticalSpread());
    operation.setAnnealingDistance(annealingDistance());
    if (m_material->currentIndex() >= 0)
        operation.setDopedMaterialId(dopedMaterialId());
}

} // namespace Operations
} // namespace Ui
