#pragma once

#include <QDialog>
#include <QHash>
#include <QList>
#include <QVariantMap>

class QAbstractButton;
class QGridLayout;
class QVBoxLayout;

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

// A step's option dialog built from its definition: a field per parameter
// that names one (label, unit, range, default, decimals and tool tip as
// declared), radio buttons or check boxes for choices, and an option's values
// enabled only while it is chosen. OK is refused, with the executor's
// sentence, for values the step would refuse.
class StepOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit StepOptionsDialog(const Core::Steps::StepDefinition &definition, QWidget *parent = nullptr);

    const Core::Steps::StepDefinition &definition() const { return m_definition; }

    // The current volume's height: fields bounded by it stop there (and start there when declared so).
    void setVolumeHeight(unsigned sizeZ);
    // Presets the fields from a stored step's parameters; absent ones keep their defaults.
    void fillFrom(const QVariantMap &parameters);
    // The values as shown, by parameter name (a material as its id).
    QVariantMap values() const;
    // The sentence the step would refuse these values with; empty when it would run.
    QString refusal() const;
    void applyTo(Core::Operations::ProcessOperation &operation) const;

public Q_SLOTS:
    void accept() override;

private:
    void addField(const Core::Steps::StepParameter &param, QGridLayout *grid);
    void addOptions(const Core::Steps::StepParameter &param, QVBoxLayout *layout);
    QWidget *makeField(const Core::Steps::StepParameter &param);
    void setField(const Core::Steps::StepParameter &param, const QVariant &value);
    QVariant fieldValue(const Core::Steps::StepParameter &param) const;
    void updateEnabled();
    void followLimits();

    const Core::Steps::StepDefinition &m_definition;
    QHash<QString, QWidget *> m_fields;                  // by parameter name
    QHash<QString, QList<QAbstractButton *>> m_buttons;   // a choice's buttons, in its choices' order
    QHash<QString, QList<QWidget *>> m_dependents;       // widgets of the parameters an option controls
};

} // namespace Operations
} // namespace Ui
