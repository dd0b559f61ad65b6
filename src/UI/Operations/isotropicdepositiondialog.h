#pragma once

#include <QDialog>
#include <QVariantMap>

class QComboBox;
class QDoubleSpinBox;

namespace Core {
namespace Operations {
class IsotropicFilmDepositionOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Material and thickness of an isotropic (or CVD) film.
class IsotropicDepositionDialog : public QDialog
{
    Q_OBJECT
public:
    // processId: the catalogue process whose materials are offered (18, or 3 for CVD).
    explicit IsotropicDepositionDialog(unsigned processId, QWidget *parent = nullptr);
    // With the materials of "Isotropic Deposition" (process 18).
    explicit IsotropicDepositionDialog(QWidget *parent = nullptr);

    void fillFrom(const QVariantMap &parameters);
    float filmThickness() const;
    unsigned materialId() const;
    void applyTo(Core::Operations::IsotropicFilmDepositionOperation &operation) const;

private:
    QComboBox *m_material;
    QDoubleSpinBox *m_thickness;
};

} // namespace Operations
} // namespace Ui
