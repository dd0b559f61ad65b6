#include "pvdoptionsdialog.h"

#include "dialogfields.h"
#include "materialcombobox.h"

#include "Core/Operations/DistanceCounting/simplephysicalvapordepositionoperation.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

PVDOptionsDialog::PVDOptionsDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("PVDOptionsBaseDialog"));
    setWindowTitle(QStringLiteral("Dialog"));
    resize(299, 390);
    QVBoxLayout *layout = new QVBoxLayout(this);
    QGridLayout *grid = new QGridLayout;
    m_material = DialogFields::materialBox(this, QStringLiteral("cbxMaterial"),
                                           Core::Operations::SimplePhysicalVaporDepositionOperation::MaterialProcessId);
    m_thickness = DialogFields::doubleSpinBox(this, QStringLiteral("dblFilmThickness"), 2, 0, 1e9, 10,
                                              QStringLiteral(" units"));
    m_ratio = DialogFields::doubleSpinBox(this, QStringLiteral("dblHorizontalRatio"), 2, 0.01, 1e9, 0.5);
    DialogFields::addRow(grid, this, QStringLiteral("lblMaterial"), QStringLiteral("Material"), m_material);
    DialogFields::addRow(grid, this, QStringLiteral("lblFilmThickness"), QStringLiteral("Film thickness"), m_thickness);
    DialogFields::addRow(grid, this, QStringLiteral("lblHorizontalRatio"), QStringLiteral("Horizontal ratio"), m_ratio);
    layout->addLayout(grid);

    QGroupBox *sides = new QGroupBox(this);
    sides->setObjectName(QStringLiteral("grpDepositOn"));
    QVBoxLayout *sidesLayout = new QVBoxLayout(sides);
    m_top = new QRadioButton(QStringLiteral("Deposit on top"), sides);
    m_top->setObjectName(QStringLiteral("radTop"));
    m_bottom = new QRadioButton(QStringLiteral("Deposit on bottom"), sides);
    m_bottom->setObjectName(QStringLiteral("radBottom"));
    m_both = new QRadioButton(QStringLiteral("Deposit on both sides"), sides);
    m_both->setObjectName(QStringLiteral("radBoth"));
    m_top->setChecked(true);
    sidesLayout->addWidget(m_top);
    sidesLayout->addWidget(m_bottom);
    sidesLayout->addWidget(m_both);
    layout->addWidget(sides);
    layout->addStretch();
    layout->addWidget(DialogFields::okCancel(this));
}

void PVDOptionsDialog::fillFrom(const QVariantMap &parameters)
{
    DialogFields::setValue(m_thickness, parameters, QStringLiteral("Thickness"));
    DialogFields::setValue(m_ratio, parameters, QStringLiteral("Horizontal to Vertical Ratio"));
    DialogFields::selectMaterial(m_material, parameters, QStringLiteral("Material"));
    if (parameters.contains(QStringLiteral("Deposit On"))) {
        const int mode = parameters.value(QStringLiteral("DepositOn")).toInt();
        (mode == 2 ? m_bottom : mode == 3 ? m_both : m_top)->setChecked(true);
    }
}

float PVDOptionsDialog::thickness() const { return float(m_thickness->value()); }

float PVDOptionsDialog::horizontalRatio() const { return float(m_ratio->value()); }

int PVDOptionsDialog::depositOn() const { return m_bottom->isChecked() ? 2 : m_both->isChecked() ? 3 : 1; }

QString PVDOptionsDialog::depositOnText() const
{
    return m_bottom->isChecked() ? m_bottom->text() : m_both->isChecked() ? m_both->text() : m_top->text();
}

unsigned PVDOptionsDialog::materialId() const { return MaterialComboBox::selectedId(m_material); }

void PVDOptionsDialog::applyTo(Core::Operations::SimplePhysicalVaporDepositionOperation &operation) const
{
    operation.setThickness(thickness());
    operation.setHorizontalRatio(horizontalRatio());
    operation.setDepositOn(depositOn());
    if (m_material->currentIndex() >= 0)
        operation.setMaterialId(materialId());
}

} // namespace Operations
} // namespace Ui
