#pragma once

#include <QDialog>
#include <QVariantMap>

class QSpinBox;

namespace Core {
namespace Operations {
class PlanarizationOperation;
}
} // namespace Core

namespace Ui {
namespace Operations {

// The heights between which planarization keeps the cells.
class PlanarizationOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PlanarizationOptionsDialog(QWidget *parent = nullptr);

    // Bounds both heights by the volume and starts the maximum at its top.
    void setVolumeHeight(unsigned sizeZ);
    void fillFrom(const QVariantMap &parameters);
    unsigned maximumHeight() const;
    unsigned minimumHeight() const;
    void applyTo(Core::Operations::PlanarizationOperation &operation) const;

public Q_SLOTS:
    // Keeps the minimum height at or below the maximum height.
    void updateMinimumLimits(int maximumHeight);

private:
    QSpinBox *m_minimum;
    QSpinBox *m_maximum;
};

} // namespace Operations
} // namespace Ui
