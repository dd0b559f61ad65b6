#include "stepoptionsdialog.h"

#include "cellspinbox.h"
#include "dialogfields.h"
#include "materialcombobox.h"

#include "Core/Operations/processoperation.h"
#include "Core/Steps/stepbuilder.h"
#include "Core/Steps/stepdefinition.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <cmath>

namespace Ui {
namespace Operations {

using Core::Steps::ParameterSpec;
using Core::Steps::StepDefinition;
using Core::Steps::ValueKind;

namespace {

bool wholeField(const ParameterSpec &spec)
{
    return spec.kind == ValueKind::WholeNumber ||
           (spec.kind == ValueKind::Number && (spec.stored == QMetaType::UInt || spec.stored == QMetaType::Int));
}

QString suffix(const ParameterSpec &spec)
{
    return spec.unitInField && !spec.unit.isEmpty() ? QStringLiteral(" ") + spec.unit : QString();
}

int spinLimit(double value) { return int(std::max(double(INT_MIN), std::min(double(INT_MAX), value))); }

// A flag shown as one radio button per side.
bool shownAsOptions(const ParameterSpec &spec) { return spec.kind == ValueKind::Flag && spec.choices.size() == 2; }

} // namespace

StepOptionsDialog::StepOptionsDialog(const StepDefinition &definition, QWidget *parent)
    : QDialog(parent), m_definition(definition)
{
    const Core::Steps::DialogForm &form = definition.form;
    setObjectName(form.objectName.isEmpty() ? QStringLiteral("StepOptionsDialog") : form.objectName);
    setWindowTitle(form.title.isEmpty() ? definition.shownInMenu() + QStringLiteral(" Options") : form.title);
    if (form.fixedSize)
        setFixedSize(form.width, form.height);
    else if (form.width > 0 && form.height > 0)
        resize(form.width, form.height);

    QVBoxLayout *layout = new QVBoxLayout(this);
    QGridLayout *grid = nullptr;
    bool stretch = false;
    for (const ParameterSpec &spec : definition.parameters) {
        if ((spec.field.isEmpty() && spec.choices.isEmpty()) || !spec.when.isEmpty() || spec.kind == ValueKind::Mask ||
            spec.kind == ValueKind::Position)
            continue; // no field of this form, or shown under the option it belongs to
        if (spec.kind == ValueKind::Choice || spec.kind == ValueKind::Flags || shownAsOptions(spec)) {
            addOptions(spec, layout);
            grid = nullptr;
            stretch = stretch || spec.kind != ValueKind::Flag;
            continue;
        }
        if (!grid) {
            grid = new QGridLayout;
            layout->addLayout(grid);
        }
        addField(spec, grid);
    }
    if (!form.explanation.isEmpty()) {
        QLabel *explanation = new QLabel(form.explanation, this);
        explanation->setObjectName(QStringLiteral("lblExplanation"));
        explanation->setWordWrap(true);
        layout->addWidget(explanation);
    } else if (stretch || definition.parameters.size() > 2) {
        layout->addStretch();
    }
    layout->addWidget(DialogFields::okCancel(this));

    for (const ParameterSpec &spec : definition.parameters)
        if ((m_fields.contains(spec.name) || m_buttons.contains(spec.name)) && spec.defaultValue.isValid())
            setField(spec, spec.defaultValue);
    followLimits();
    updateEnabled();
}

QWidget *StepOptionsDialog::makeField(const ParameterSpec &spec)
{
    QWidget *field = nullptr;
    switch (spec.kind) {
    case ValueKind::Material:
        field = DialogFields::materialBox(this, QStringLiteral("cbx") + spec.field, spec.materials);
        break;
    case ValueKind::Text: {
        QLineEdit *edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("lie") + spec.field);
        field = edit;
        break;
    }
    case ValueKind::Flag: {
        QCheckBox *box = new QCheckBox(spec.label, this);
        box->setObjectName(QStringLiteral("chk") + spec.field);
        field = box;
        break;
    }
    default:
        if (wholeField(spec)) {
            field = cellSpinBox(this, QStringLiteral("sbx") + spec.field, spinLimit(spec.minimum), spinLimit(spec.maximum),
                                spinLimit(spec.minimum), suffix(spec));
        } else {
            // A spin box cannot refuse its own minimum: it starts one step of its decimals above.
            const double lowest = spec.aboveMinimum ? spec.minimum + std::pow(10.0, -spec.decimals) : spec.minimum;
            field = DialogFields::doubleSpinBox(this, QStringLiteral("dbl") + spec.field, spec.decimals, lowest,
                                                spec.maximum, lowest, suffix(spec), spec.step);
        }
    }
    if (!spec.hint.isEmpty())
        field->setToolTip(spec.hint);
    m_fields.insert(spec.name, field);
    return field;
}

void StepOptionsDialog::addField(const ParameterSpec &spec, QGridLayout *grid)
{
    QWidget *field = makeField(spec);
    if (spec.kind == ValueKind::Flag) {
        grid->addWidget(field, grid->rowCount(), 0, 1, 2);
        return;
    }
    DialogFields::addRow(grid, this, QStringLiteral("lbl") + spec.field, spec.label, field);
}

void StepOptionsDialog::addOptions(const ParameterSpec &spec, QVBoxLayout *layout)
{
    QList<QAbstractButton *> &buttons = m_buttons[spec.name];
    if (spec.kind == ValueKind::Choice) {
        QGroupBox *group = new QGroupBox(this);
        group->setObjectName(QStringLiteral("grp") + spec.field);
        QVBoxLayout *inner = new QVBoxLayout(group);
        for (const Core::Steps::Choice &choice : spec.choices) {
            QRadioButton *button = new QRadioButton(choice.label, group);
            button->setObjectName(QStringLiteral("rad") + choice.field);
            inner->addWidget(button);
            buttons << button;
        }
        layout->addWidget(group);
        return;
    }
    for (const Core::Steps::Choice &choice : spec.choices) {
        if (choice.label.isEmpty()) {
            buttons << nullptr; // a combination of the others
            continue;
        }
        QAbstractButton *button = nullptr;
        if (spec.kind == ValueKind::Flags) {
            button = new QCheckBox(choice.label, this);
            button->setObjectName(QStringLiteral("chk") + choice.field);
        } else {
            button = new QRadioButton(choice.label, this);
            button->setObjectName(QStringLiteral("rad") + choice.field);
            connect(button, &QAbstractButton::toggled, this, &StepOptionsDialog::updateEnabled);
        }
        layout->addWidget(button);
        buttons << button;
        if (spec.kind != ValueKind::Flag)
            continue;
        // The values this side of the option sets, right under its button.
        QGridLayout *grid = new QGridLayout;
        for (const ParameterSpec &dependent : m_definition.parameters)
            if (dependent.when == spec.name && dependent.whenValue.toBool() == bool(choice.value) &&
                !dependent.field.isEmpty()) {
                addField(dependent, grid);
                m_dependents[spec.name + QString::number(choice.value)] << m_fields.value(dependent.name);
            }
        if (grid->count() > 0)
            layout->addLayout(grid);
        else
            delete grid;
    }
}

void StepOptionsDialog::updateEnabled()
{
    for (const ParameterSpec &spec : m_definition.parameters) {
        if (!shownAsOptions(spec))
            continue;
        const QList<QAbstractButton *> &buttons = m_buttons.value(spec.name);
        for (int i = 0; i < buttons.size() && i < spec.choices.size(); ++i)
            for (QWidget *field : m_dependents.value(spec.name + QString::number(spec.choices.at(i).value)))
                field->setEnabled(buttons.at(i)->isChecked());
    }
}

void StepOptionsDialog::followLimits()
{
    for (const ParameterSpec &spec : m_definition.parameters) {
        QSpinBox *box = qobject_cast<QSpinBox *>(m_fields.value(spec.name));
        QSpinBox *limit = qobject_cast<QSpinBox *>(m_fields.value(spec.notAbove));
        if (!box || !limit)
            continue;
        const auto follow = [box](int value) { box->setMaximum(std::max(0, value)); };
        connect(limit, QOverload<int>::of(&QSpinBox::valueChanged), box, follow);
        follow(limit->value());
    }
}

void StepOptionsDialog::setVolumeHeight(unsigned sizeZ)
{
    for (const ParameterSpec &spec : m_definition.parameters) {
        QSpinBox *box = qobject_cast<QSpinBox *>(m_fields.value(spec.name));
        if (!box || spec.maximumBound != Core::Steps::Bound::VolumeHeight)
            continue;
        const int top = spinLimit(std::min(double(sizeZ), spec.maximum));
        box->setMaximum(top);
        if (spec.defaultIsMaximum)
            box->setValue(top);
    }
    // A field held below another follows it again within the new bound.
    for (const ParameterSpec &spec : m_definition.parameters) {
        QSpinBox *box = qobject_cast<QSpinBox *>(m_fields.value(spec.name));
        QSpinBox *limit = qobject_cast<QSpinBox *>(m_fields.value(spec.notAbove));
        if (box && limit)
            box->setMaximum(std::max(0, std::min(limit->value(), limit->maximum())));
    }
}

void StepOptionsDialog::setField(const ParameterSpec &spec, const QVariant &value)
{
    if (m_buttons.contains(spec.name)) {
        const QList<QAbstractButton *> &buttons = m_buttons.value(spec.name);
        const int chosen = spec.kind == ValueKind::Flag ? int(value.toBool()) : value.toInt();
        for (int i = 0; i < buttons.size() && i < spec.choices.size(); ++i) {
            if (!buttons.at(i))
                continue;
            const int option = spec.choices.at(i).value;
            if (spec.kind == ValueKind::Flags)
                buttons.at(i)->setChecked((chosen & option) == option);
            else if (option == chosen)
                buttons.at(i)->setChecked(true);
        }
        return;
    }
    QWidget *field = m_fields.value(spec.name);
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (QSpinBox *box = qobject_cast<QSpinBox *>(field))
        setCellValue(box, value);
    else if (QDoubleSpinBox *box = qobject_cast<QDoubleSpinBox *>(field)) {
        if (ok)
            box->setValue(number);
    } else if (QCheckBox *box = qobject_cast<QCheckBox *>(field))
        box->setChecked(value.toBool());
    else if (QLineEdit *edit = qobject_cast<QLineEdit *>(field))
        edit->setText(value.toString());
}

QVariant StepOptionsDialog::fieldValue(const ParameterSpec &spec) const
{
    if (m_buttons.contains(spec.name)) {
        const QList<QAbstractButton *> &buttons = m_buttons.value(spec.name);
        int chosen = 0;
        for (int i = 0; i < buttons.size() && i < spec.choices.size(); ++i)
            if (buttons.at(i) && buttons.at(i)->isChecked())
                chosen = spec.kind == ValueKind::Flags ? chosen | spec.choices.at(i).value : spec.choices.at(i).value;
        return spec.kind == ValueKind::Flag ? QVariant(chosen != 0) : QVariant(chosen);
    }
    QWidget *field = m_fields.value(spec.name);
    if (const QComboBox *box = qobject_cast<const QComboBox *>(field))
        return box->currentIndex() >= 0 ? QVariant(MaterialComboBox::selectedId(box)) : QVariant();
    if (const QSpinBox *box = qobject_cast<const QSpinBox *>(field))
        return QVariant(unsigned(std::max(0, box->value())));
    if (const QDoubleSpinBox *box = qobject_cast<const QDoubleSpinBox *>(field))
        return QVariant(box->value());
    if (const QCheckBox *box = qobject_cast<const QCheckBox *>(field))
        return QVariant(box->isChecked());
    if (const QLineEdit *edit = qobject_cast<const QLineEdit *>(field))
        return QVariant(edit->text());
    return QVariant();
}

void StepOptionsDialog::fillFrom(const QVariantMap &parameters)
{
    // A value another may not exceed goes in first, so the other's bound is already its own.
    QList<const ParameterSpec *> order;
    for (const ParameterSpec &spec : m_definition.parameters)
        if (std::any_of(m_definition.parameters.begin(), m_definition.parameters.end(),
                        [&spec](const ParameterSpec &other) { return other.notAbove == spec.name; }))
            order.prepend(&spec);
        else
            order.append(&spec);
    for (const ParameterSpec *declared : order) {
        const ParameterSpec &spec = *declared;
        if (!m_fields.contains(spec.name) && !m_buttons.contains(spec.name))
            continue;
        if (spec.kind == ValueKind::Material) {
            DialogFields::selectMaterial(qobject_cast<QComboBox *>(m_fields.value(spec.name)), parameters, spec.name);
            continue;
        }
        const QVariant value = parameters.value(spec.valueName());
        // A stored choice counts only with its text beside it, as the batch dialog shows it.
        if (spec.kind == ValueKind::Choice && !spec.companion.isEmpty() && !parameters.contains(spec.companion))
            continue;
        if (value.isValid())
            setField(spec, value);
    }
    updateEnabled();
}

QVariantMap StepOptionsDialog::values() const
{
    QVariantMap values;
    for (const ParameterSpec &spec : m_definition.parameters) {
        if (!m_fields.contains(spec.name) && !m_buttons.contains(spec.name))
            continue;
        const QVariant value = fieldValue(spec);
        if (value.isValid())
            values.insert(spec.name, value);
    }
    return values;
}

QString StepOptionsDialog::refusal() const { return Core::Steps::refusalOf(m_definition, values()); }

void StepOptionsDialog::accept()
{
    const QString sentence = refusal();
    if (!sentence.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), sentence);
        return;
    }
    QDialog::accept();
}

void StepOptionsDialog::applyTo(Core::Operations::ProcessOperation &operation) const { operation.setValues(values()); }

} // namespace Operations
} // namespace Ui
