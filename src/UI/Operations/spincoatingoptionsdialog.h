#pragma once

#include <QDialog>
#include <QVariantMap>

class QComboBox;
class QSpinBox;

namespace Core {
namespace Operations {
class SpinCoatingOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// The material to pour and the height it fills up to.
class SpinCoatingOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SpinCoatingOptionsDialog(QWidget *parent = nullptr);

    void setVolumeHeight(unsigned sizeZ);
    void fillFrom(const QVariantMap &parameters);
    unsigned materialId() const;
    unsigned height() const;
    void applyTo(Core::Operations::SpinCoatingOperation &operation) const;

private:
    QComboBox *m_material;
    QSpinBox *m_height;
};

} // namespace Operations
} // namespace Ui
