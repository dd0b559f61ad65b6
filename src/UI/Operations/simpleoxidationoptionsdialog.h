#pragma once

#include <QDialog>
#include <QVariantMap>

class QDoubleSpinBox;
class QRadioButton;

namespace Core {
namespace Operations {
class SimpleSiOxidationOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Oxide thickness, or oxidation time with temperature and pressure, and the micron conversion.
class SimpleOxidationOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SimpleOxidationOptionsDialog(QWidget *parent = nullptr);

    void fillFrom(const QVariantMap &parameters);
    bool thicknessChosen() const;
    double thickness() const;
    double time() const;
    double temperature() const;
    double pressure() const;
    double micronConversion() const;
    // Only the chosen option's values are handed over.
    void applyTo(Core::Operations::SimpleSiOxidationOperation &operation) const;

private Q_SLOTS:
    void updateEnabled();

private:
    QRadioButton *m_byThickness;
    QRadioButton *m_byTime;
    QDoubleSpinBox *m_thickness;
    QDoubleSpinBox *m_time;
    QDoubleSpinBox *m_temperature;
    QDoubleSpinBox *m_pressure;
    QDoubleSpinBox *m_conversion;
};

} // namespace Operations
} // namespace Ui
