#pragma once

#include <QDialog>
#include <QVariantMap>

class QComboBox;
class QDoubleSpinBox;

namespace Core {
namespace Operations {
class AnisotropicFilmEtchingOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// Material, horizontal ratio and depth of an anisotropic etch.
class AnisotropicEtchingDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AnisotropicEtchingDialog(QWidget *parent = nullptr);

    void fillFrom(const QVariantMap &parameters);
    float etchDepth() const;
    float horizontalRatio() const;
    unsigned materialId() const;
    void applyTo(Core::Operations::AnisotropicFilmEtchingOperation &operation) const;

private:
    QComboBox *m_material;
    QDoubleSpinBox *m_ratio;
    QDoubleSpinBox *m_depth;
};

} // namespace Operations
} // namespace Ui
