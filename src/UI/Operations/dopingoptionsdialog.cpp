#include "dopingoptionsdialog.h"

#include "dialogfields.h"
#include "materialcombobox.h"

#include "Core/Operations/DistanceCounting/dopingoperation.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

DopingOptionsDialog::DopingOptionsDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DopingOptionsBaseDialog"));
    setWindowTitle(QStringLiteral("Doping Options"));
    resize(400, 239);
    QVBoxLayout *layout = new QVBoxLayout(this);
    QGridLayout *grid = new QGridLayout;
    m_material = DialogFields::materialBox(this, QStringLiteral("cbxDopedMaterial"),
                                           Core::Operations::DopingOperation::MaterialProcessId);
    m_material->setToolTip(QStringLiteral("This is the doped material. Not to be confused with the materials that "
                                          "will be doped. All materials in the list will be doped, plus Si."));
    m_depth = DialogFields::doubleSpinBox(this, QStringLiteral("dblDopingDepth"), 4, 0, 1e9, 10, QStringLiteral(" units"));
    DialogFields::addRow(grid, this, QStringLiteral("lblDopedMaterial"), QStringLiteral("Doped Material"), m_material);
    DialogFields::addRow(grid, this, QStringLiteral("lblDopingDepth"), QStringLiteral("Doping Depth"), m_depth);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addWidget(DialogFields::okCancel(this));
}

void DopingOptionsDialog::fillFrom(const QVariantMap &parameters)
{
    DialogFields::setValue(m_depth, parameters, QStringLiteral("Doping Depth"));
    DialogFields::selectMaterial(m_material, parameters, QStringLiteral("Doped Material"));
}

float DopingOptionsDialog::dopingDepth() const { return float(m_depth->value()); }

unsigned DopingOptionsDialog::dopedMaterialId() const { return MaterialComboBox::selectedId(m_material); }

void DopingOptionsDialog::applyTo(Core::Operations::DopingOperation &operation) const
{
    operation.setDopingDepth(dopingDepth());
    if (m_material->currentIndex() >= 0)
        operation.setDopedMaterialId(dopedMaterialId());
}

} // namespace Operations
} // namespace Ui
