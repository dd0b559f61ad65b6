#include "simpleoxidationoptionsdialog.h"

#include "dialogfields.h"

#include "Core/Operations/DistanceCounting/simplesioxidationoperation.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace Ui {
namespace Operations {

SimpleOxidationOptionsDialog::SimpleOxidationOptionsDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("SimpleOxidationOptionsBaseDialog"));
    setWindowTitle(QStringLiteral("Si Oxidation Options"));
    resize(400, 350);
    QVBoxLayout *layout = new QVBoxLayout(this);

    m_byThickness = new QRadioButton(QStringLiteral("Oxide thickness"), this);
    m_byThickness->setObjectName(QStringLiteral("radOxideThickness"));
    m_byThickness->setChecked(true);
    m_thickness = DialogFields::doubleSpinBox(this, QStringLiteral("dblOxideThickness"), 2, 0, 100000, 10,
                                              QStringLiteral(" microns"));
    QGridLayout *thicknessGrid = new QGridLayout;
    thicknessGrid->addWidget(m_byThickness, 0, 0);
    thicknessGrid->addWidget(m_thickness, 0, 1);
    layout->addLayout(thicknessGrid);

    m_byTime = new QRadioButton(QStringLiteral("Oxidation Time"), this);
    m_byTime->setObjectName(QStringLiteral("radOxidationTime"));
    layout->addWidget(m_byTime);
    QGridLayout *timeGrid = new QGridLayout;
    m_time = DialogFields::doubleSpinBox(this, QStringLiteral("dblTime"), 2, 0, 1000, 2, QStringLiteral(" hours"));
    m_temperature =
        DialogFields::doubleSpinBox(this, QStringLiteral("dblTemperature"), 2, 0, 2000, 1273, QStringLiteral(" K"));
    m_pressure =
        DialogFields::doubleSpinBox(this, QStringLiteral("dblPressure"), 2, 0, 1, 1, QStringLiteral(" atm"), 0.1);
    DialogFields::addRow(timeGrid, this, QStringLiteral("lblTime"), QStringLiteral("Time"), m_time);
    DialogFields::addRow(timeGrid, this, QStringLiteral("lblTemperature"), QStringLiteral("Temperature"), m_temperature);
    DialogFields::addRow(timeGrid, this, QStringLiteral("lblPressure"), QStringLiteral("Pressure"), m_pressure);
    layout->addLayout(timeGrid);

    QGridLayout *conversionGrid = new QGridLayout;
    m_conversion = DialogFields::doubleSpinBox(this, QStringLiteral("dblMicronConversion"), 2, 0.01, 1e9, 100);
    m_conversion->setToolTip(QStringLiteral("Conversion between cell units and microns. Si cells are approximately "
                                            "1.0 x 1.0 x 0.35 units."));
    DialogFields::addRow(conversionGrid, this, QStringLiteral("lblMicronConversion"),
                         QStringLiteral("Cell units per micron"), m_conversion);
    layout->addLayout(conversionGrid);
    layout->addStretch();
    layout->addWidget(DialogFields::okCancel(this));

    connect(m_byThickness, &QRadioButton::toggled, this, &SimpleOxidationOptionsDialog::updateEnabled);
    connect(m_byTime, &QRadioButton::toggled, this, &SimpleOxidationOptionsDialog::updateEnabled);
    updateEnabled();
}

void SimpleOxidationOptionsDialog::updateEnabled()
{
    const bool byTime = m_byTime->isChecked();
    m_thickness->setEnabled(!byTime);
    m_time->setEnabled(byTime);
    m_temperature->setEnabled(byTime);
    m_pressure->setEnabled(byTime);
}

void SimpleOxidationOptionsDialog::fillFrom(const QVariantMap &parameters)
{
    DialogFields::setValue(m_thickness, parameters, QStringLiteral("Oxidation Thickness"));
    DialogFields::setValue(m_time, parameters, QStringLiteral("Oxidation Time"));
    DialogFields::setValue(m_temperature, parameters, QStringLiteral("Oxidation Temperature"));
    DialogFields::setValue(m_pressure, parameters, QStringLiteral("Oxidation Pressure"));
    DialogFields::setValue(m_conversion, parameters, QStringLiteral("Micron Conversion"));
    if (parameters.value(QStringLiteral("OxidationTimeSet")).toBool() &&
        !parameters.value(QStringLiteral("OxidationThicknessSet")).toBool())
        m_byTime->setChecked(true);
    else if (parameters.contains(QStringLiteral("OxidationThicknessSet")))
        m_byThickness->setChecked(true);
}

bool SimpleOxidationOptionsDialog::thicknessChosen() const { return m_byThickness->isChecked(); }
double SimpleOxidationOptionsDialog::thickness() const { return m_thickness->value(); }
double SimpleOxidationOptionsDialog::time() const { return m_time->value(); }
double SimpleOxidationOptionsDialog::temperature() const { return m_temperature->value(); }
double SimpleOxidationOptionsDialog::pressure() const { return m_pressure->value(); }
double SimpleOxidationOptionsDialog::micronConversion() const { return m_conversion->value(); }

void SimpleOxidationOptionsDialog::applyTo(Core::Operations::SimpleSiOxidationOperation &operation) const
{
    if (thicknessChosen()) {
        operation.setOxidationThickness(thickness());
    } else {
        operation.setOxidationTime(time());
        operation.setOxidationTemperature(temperature());
        operation.setOxidationPressure(pressure());
    }
    operation.setMicronConversion(micronConversion());
}

} // namespace Operations
} // namespace Ui
