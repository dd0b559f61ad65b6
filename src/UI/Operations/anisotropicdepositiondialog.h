#pragma once

#include <QDialog>
#include <QVariantMap>

class QComboBox;
class QDoubleSpinBox;

namespace Core {
namespace Operations {
class AnisotropicFilmDepositionOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Material, thickness and horizontal ratio of an anisotropic film.
class AnisotropicDepositionDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AnisotropicDepositionDialog(QWidget *parent = nullptr);

    void fillFrom(const QVariantMap &parameters);
    float filmThickness() const;
    float horizontalRatio() const;
    unsigned materialId() const;
    void applyTo(Core::Operations::AnisotropicFilmDepositionOperation &operation) const;

private:
    QComboBox *m_material;
    QDoubleSpinBox *m_thickness;
    QDoubleSpinBox *m_ratio;
};

} // namespace Operations
} // namespace Ui
