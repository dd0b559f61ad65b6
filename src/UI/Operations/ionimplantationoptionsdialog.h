#pragma once

#include <QDialog>
#include <QVariantMap>

class QComboBox;
class QDoubleSpinBox;

namespace Core {
namespace Operations {
class IonImplantationOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Doped material, implantation depth, vertical spread and annealing distance.
class IonImplantationOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit IonImplantationOptionsDialog(QWidget *parent = nullptr);

    void fillFrom(const QVariantMap &parameters);
    float implantationDepth() const;
    float verticalSpread() const;
    float annealingDistance() const;
    unsigned dopedMaterialId() const;
    void applyTo(Core::Operations::IonImplantationOperation &operation) const;

private:
    QComboBox *m_material;
    QDoubleSpinBox *m_depth;
    QDoubleSpinBox *m_spread;
    QDoubleSpinBox *m_annealing;
};

} // namespace Operations
} // namespace Ui
