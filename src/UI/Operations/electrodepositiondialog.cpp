#include "electrodepositiondialog.h"

#include "dialogfields.h"
#include "materialcombobox.h"

#include "Core/Operations/DistanceCounting/electrodepositionoperation.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

ElectrodepositionDialog::ElectrodepositionDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ElectrodepositionForm"));
    setWindowTitle(QStringLiteral("Electroplating Options"));
    resize(330, 186);
    QVBoxLayout *layout = new QVBoxLayout(this);
    QGridLayout *grid = new QGridLayout;
    m_thickness = DialogFields::doubleSpinBox(this, QStringLiteral("dblFilmThickness"), 2, 0, 1e9, 10,
                                              QStringLiteral(" units"));
    // Both lists offer the whole catalogue.
    m_deposited = DialogFields::materialBox(this, QStringLiteral("cbxMaterial"), 0);
    m_conductor = DialogFields::materialBox(this, QStringLiteral("cbxConductingMaterial"), 0);
    DialogFields::addRow(grid, this, QStringLiteral("lblFilmThickness"), QStringLiteral("Film thickness"), m_thickness);
    DialogFields::addRow(grid, this, QStringLiteral("lblMaterial"), QStringLiteral("Material"), m_deposited);
    DialogFields::addRow(grid, this, QStringLiteral("lblConductingMaterial"), QStringLiteral("Conducting Material"),
                         m_conductor);
    layout->addLayout(grid);
    layout->addWidget(DialogFields::okCancel(this));
}

void ElectrodepositionDialog::fillFrom(const QVariantMap &parameters)
{
    DialogFields::setValue(m_thickness, parameters, QStringLiteral("Film Thickness"));
    DialogFields::selectMaterial(m_deposited, parameters, QStringLiteral("Deposited Material"));
    DialogFields::selectMaterial(m_conductor, parameters, QStringLiteral("Conducting Material"));
}

float ElectrodepositionDialog::filmThickness() const { return float(m_thickness->value()); }

unsigned ElectrodepositionDialog::depositedMaterialId() const { return MaterialComboBox::selectedId(m_deposited); }

unsigned ElectrodepositionDialog::conductingMaterialId() const { return MaterialComboBox::selectedId(m_conductor); }

void ElectrodepositionDialog::applyTo(Core::Operations::ElectrodepositionOperation &operation) const
{
    operation.setFilmThickness(filmThickness());
    if (m_deposited->currentIndex() >= 0)
        operation.setDepositedMaterialId(depositedMaterialId());
    if (m_conductor->currentIndex() >= 0)
        operation.setConductingMaterialId(conductingMaterialId());
}

} // namespace Operations
} // namespace Ui
