#pragma once

#include <QDialog>
#include <QVariantMap>

class QComboBox;
class QDoubleSpinBox;

namespace Core {
namespace Operations {
class ElectrodepositionOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Thickness, plated material and conducting material of an electroplating step.
class ElectrodepositionDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ElectrodepositionDialog(QWidget *parent = nullptr);

    void fillFrom(const QVariantMap &parameters);
    float filmThickness() const;
    unsigned depositedMaterialId() const;
    unsigned conductingMaterialId() const;
    void applyTo(Core::Operations::ElectrodepositionOperation &operation) const;

private:
    QDoubleSpinBox *m_thickness;
    QComboBox *m_deposited;
    QComboBox *m_conductor;
};

} // namespace Operations
} // namespace Ui
