#pragma once

#include <QDialog>
#include <QVariantMap>

class QComboBox;
class QDoubleSpinBox;
class QRadioButton;

namespace Core {
namespace Operations {
class SimplePhysicalVaporDepositionOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Physical vapour deposition: material, thickness, horizontal ratio and the faces to coat.
class PVDOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PVDOptionsDialog(QWidget *parent = nullptr);

    void fillFrom(const QVariantMap &parameters);
    float thickness() const;
    float horizontalRatio() const;
    // 2 bottom, 3 both sides, otherwise 1 (top).
    int depositOn() const;
    // The chosen option's text, as a process list shows it.
    QString depositOnText() const;
    unsigned materialId() const;
    void applyTo(Core::Operations::SimplePhysicalVaporDepositionOperation &operation) const;

private:
    QComboBox *m_material;
    QDoubleSpinBox *m_thickness;
    QDoubleSpinBox *m_ratio;
    QRadioButton *m_top;
    QRadioButton *m_bottom;
    QRadioButton *m_both;
};

} // namespace Operations
} // namespace Ui
