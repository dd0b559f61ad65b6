#pragma once

#include <QDialog>
#include <QVariantMap>

class QDoubleSpinBox;

namespace Core {
namespace Operations {
class AtomisticEtchOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Depth of an atomistic wet etch; both the bond-counting and the continuous etch use it.
class BCAEtchingDialog : public QDialog
{
    Q_OBJECT
public:
    explicit BCAEtchingDialog(QWidget *parent = nullptr);

    void fillFrom(const QVariantMap &parameters);
    double depth() const;
    void applyTo(Core::Operations::AtomisticEtchOperation &operation) const;

private:
    QDoubleSpinBox *m_depth;
};

} // namespace Operations
} // namespace Ui
