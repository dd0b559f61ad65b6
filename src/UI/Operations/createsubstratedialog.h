#pragma once

#include <QDialog>
#include <QVariantMap>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSpinBox;

namespace Core {
namespace Operations {
class CreateSubstrateOperation;
}
namespace Steps {
struct StepParameter;
struct StepDefinition;
} // namespace Steps
} // namespace Core

namespace Ui {
namespace Operations {

// Sizes and position of a new cell volume and the box or sphere of substrate inside it.
class CreateSubstrateDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CreateSubstrateDialog(QWidget *parent = nullptr);

    // Fills the fields from a stored parameter set (names as process lists store them).
    void fillFrom(const QVariantMap &parameters);
    // The fields by parameter name (both shapes' values; the chosen one applies).
    QVariantMap values() const;
    void applyTo(Core::Operations::CreateSubstrateOperation &operation) const;

public Q_SLOTS:
    void updateLimitX(int width);
    void updateLimitY(int length);
    void updateLimitZ(int height);
    void updateSubstrateDispX(int size);
    void updateSubstrateDispY(int size);
    void updateSubstrateDispZ(int size);
    void toggleSubsShape(bool spherical);

private:
    static const Core::Steps::StepDefinition &definition();
    // The parameter a field shows; the ranges, defaults, labels and tool tips are its.
    static const Core::Steps::StepParameter &param(const QString &field);
    QSpinBox *spinBox(const QString &field);
    QWidget *fieldOf(const Core::Steps::StepParameter &param) const;
    QDoubleSpinBox *m_position[3];
    QSpinBox *m_total[3];
    QCheckBox *m_sphere;
    QSpinBox *m_substrateSize[3];
    QSpinBox *m_substrateDelta[3];
    QSpinBox *m_center[3];
    QSpinBox *m_radius;
    QComboBox *m_material;
    QDoubleSpinBox *m_unitLength;
    QList<QWidget *> m_boxWidgets;
    QList<QWidget *> m_sphereWidgets;
};

} // namespace Operations
} // namespace Ui
