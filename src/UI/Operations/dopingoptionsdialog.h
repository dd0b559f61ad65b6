#pragma once

#include <QDialog>
#include <QVariantMap>

class QComboBox;
class QDoubleSpinBox;

namespace Core {
namespace Operations {
class DopingOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// The doped material and the doping depth.
class DopingOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit DopingOptionsDialog(QWidget *parent = nullptr);

    void fillFrom(const QVariantMap &parameters);
    float dopingDepth() const;
    unsigned dopedMaterialId() const;
    void applyTo(Core::Operations::DopingOperation &operation) const;

private:
    QComboBox *m_material;
    QDoubleSpinBox *m_depth;
};

} // namespace Operations
} // namespace Ui
