#pragma once

#include <QDialog>
#include <QVariantMap>

class QComboBox;
class QDoubleSpinBox;
class QLineEdit;

namespace Core {
namespace Operations {
class ProcessOperation;
}
namespace Steps {
struct StepParameter;
struct StepDefinition;
} // namespace Steps
} // namespace Core

namespace Ui {
namespace Operations {

// Random-walk doping options in the units process engineers type (minutes,
// cm^2/s, um, cm^-3); the time step and the diffusion coefficient are kept
// coupled so the default step is half the largest stable one.
class RandomWalkDopingDialog : public QDialog
{
    Q_OBJECT
public:
    explicit RandomWalkDopingDialog(QWidget *parent = nullptr);

    // Fills the fields from a stored process step (SI units).
    void fillFrom(const QVariantMap &parameters);
    // The values in SI units, by parameter name, as the step takes them.
    QVariantMap values() const;
    void applyTo(Core::Operations::ProcessOperation &operation) const;

    // SI values of the fields.
    double dopingTime() const;
    double diffusionCoefficient() const;
    double cellSize() const;
    double timeStep() const;
    double surfaceConcentration() const;
    double thresholdConcentration() const;
    unsigned materialId() const;
    int surface() const;
    // Empty when the walk can run with these values, else why not.
    QString validationError() const;

public Q_SLOTS:
    void accept() override;

private Q_SLOTS:
    void on_lineDiffusionCoefficient_textChanged();
    void on_lineDiffusionCoefficient_editingFinished();
    void on_lineCellSize_textChanged();
    void on_lineCellSize_editingFinished();
    void on_lineTimeStepDuration_textChanged();
    void on_lineTimeStepDuration_editingFinished();

private:
    static const Core::Steps::StepDefinition &definition();
    // The parameter a field shows: label, tool tip and default are its.
    static const Core::Steps::StepParameter &param(const char *field);
    static double number(const QLineEdit *line);
    void setNumber(QLineEdit *line, double value);

    QDoubleSpinBox *m_time;
    QComboBox *m_material;
    QLineEdit *m_diffusion;
    QLineEdit *m_cellSize;
    QLineEdit *m_timeStep;
    QLineEdit *m_concentration;
    QDoubleSpinBox *m_threshold;
    QComboBox *m_surface;
    bool m_diffusionEdited = false;
    bool m_cellSizeEdited = false;
    bool m_timeStepEdited = false;
    bool m_updating = false;
};

} // namespace Operations
} // namespace Ui
