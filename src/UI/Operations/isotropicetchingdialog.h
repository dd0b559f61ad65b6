#pragma once

#include <QDialog>
#include <QVariantMap>

class QComboBox;
class QDoubleSpinBox;

namespace Core {
namespace Operations {
class IsotropicFilmEtchingOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Material and depth of an isotropic etch.
class IsotropicEtchingDialog : public QDialog
{
    Q_OBJECT
public:
    explicit IsotropicEtchingDialog(QWidget *parent = nullptr);

    void fillFrom(const QVariantMap &parameters);
    float depth() const;
    unsigned materialId() const;
    void applyTo(Core::Operations::IsotropicFilmEtchingOperation &operation) const;

private:
    QComboBox *m_material;
    QDoubleSpinBox *m_depth;
};

} // namespace Operations
} // namespace Ui
