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

using Core::Steps::StepParameter;
using Core::Steps::StepDefinition;
using Core::Steps::ValueKind;

namespace {

bool wholeField(const StepParameter &param)
{
    return param.kind == ValueKind::WholeNumber ||
           (param.kind == ValueKind::Number && (param.stored == QMetaType::UInt || param.stored == QMetaType::Int));
}

QString suffix(const StepParameter &param)
{
    return param.unitInField && !param.unit.isEmpty() ? QStringLiteral(" ") + param.unit : QString();
}

int spinLimit(double value) { return int(std::max(double(INT_MIN), std::min(double(INT_MAX), value))); }

// A flag shown as one radio button per side.
bool shownAsOptions(const StepParameter &param) { return param.kind == ValueKind::Flag && param.choices.size() == 2; }

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
    for (const StepParameter &param : definition.parameters) {
        if ((param.field.isEmpty() && param.choices.isEmpty()) || !param.when.isEmpty() || param.kind == ValueKind::Mask ||
            param.kind == ValueKind::Position)
            continue; // no field of this form, or shown under the option it belongs to
        if (param.kind == ValueKind::Choice || param.kind == ValueKind::Flags || shownAsOptions(param)) {
            addOptions(param, layout);
            grid = nullptr;
            stretch = stretch || param.kind != ValueKind::Flag;
            continue;
        }
        if (!grid) {
            grid = new QGridLayout;
            layout->addLayout(grid);
        }
        addField(param, grid);
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

    for (const StepParameter &param : definition.parameters)
        if ((m_fields.contains(param.name) || m_buttons.contains(param.name)) && param.defaultValue.isValid())
            setField(param, param.defaultValue);
    followLimits();
    updateEnabled();
}

QWidget *StepOptionsDialog::makeField(const StepParameter &param)
{
    QWidget *field = nullptr;
    switch (param.kind) {
    case ValueKind::Material:
        field = DialogFields::materialBox(this, QStringLiteral("cbx") + param.field, param.materials);
        break;
    case ValueKind::Text: {
        if (!param.texts.isEmpty()) {
            QComboBox *box = new QComboBox(this);
            box->setObjectName(QStringLiteral("cbx") + param.field);
            box->addItems(param.texts);
            field = box;
            break;
        }
        QLineEdit *edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("lie") + param.field);
        field = edit;
        break;
    }
    case ValueKind::Flag: {
        QCheckBox *box = new QCheckBox(param.label, this);
        box->setObjectName(QStringLiteral("chk") + param.field);
        field = box;
        break;
    }
    default:
        if (wholeField(param)) {
            field = cellSpinBox(this, QStringLiteral("sbx") + param.field, spinLimit(param.minimum), spinLimit(param.maximum),
                                spinLimit(param.minimum), suffix(param));
        } else {
            // A spin box cannot refuse its own minimum: it starts one step of its decimals above.
            const double lowest = param.aboveMinimum ? param.minimum + std::pow(10.0, -param.decimals) : param.minimum;
            field = DialogFields::doubleSpinBox(this, QStringLiteral("dbl") + param.field, param.decimals, lowest,
                                                param.maximum, lowest, suffix(param), param.step);
        }
    }
    if (!param.hint.isEmpty())
        field->setToolTip(param.hint);
    m_fields.insert(param.name, field);
    return field;
}

void StepOptionsDialog::addField(const StepParameter &param, QGridLayout *grid)
{
    QWidget *field = makeField(param);
    if (param.kind == ValueKind::Flag) {
        grid->addWidget(field, grid->rowCount(), 0, 1, 2);
        return;
    }
    DialogFields::addRow(grid, this, QStringLiteral("lbl") + param.field, param.label, field);
}

void StepOptionsDialog::addOptions(const StepParameter &param, QVBoxLayout *layout)
{
    QList<QAbstractButton *> &buttons = m_buttons[param.name];
    if (param.kind == ValueKind::Choice) {
        QGroupBox *group = new QGroupBox(this);
        group->setObjectName(QStringLiteral("grp") + param.field);
        QVBoxLayout *inner = new QVBoxLayout(group);
        for (const Core::Steps::Choice &choice : param.choices) {
            QRadioButton *button = new QRadioButton(choice.label, group);
            button->setObjectName(QStringLiteral("rad") + choice.field);
            inner->addWidget(button);
            buttons << button;
        }
        layout->addWidget(group);
        return;
    }
    for (const Core::Steps::Choice &choice : param.choices) {
        if (choice.label.isEmpty()) {
            buttons << nullptr; // a combination of the others
            continue;
        }
        QAbstractButton *button = nullptr;
        if (param.kind == ValueKind::Flags) {
            button = new QCheckBox(choice.label, this);
            button->setObjectName(QStringLiteral("chk") + choice.field);
        } else {
            button = new QRadioButton(choice.label, this);
            button->setObjectName(QStringLiteral("rad") + choice.field);
            connect(button, &QAbstractButton::toggled, this, &StepOptionsDialog::updateEnabled);
        }
        layout->addWidget(button);
        buttons << button;
        if (param.kind != ValueKind::Flag)
            continue;
        // The values this side of the option sets, right under its button.
        QGridLayout *grid = new QGridLayout;
        for (const StepParameter &dependent : m_definition.parameters)
            if (dependent.when == param.name && dependent.whenValue.toBool() == bool(choice.value) &&
                !dependent.field.isEmpty()) {
                addField(dependent, grid);
                m_dependents[param.name + QString::number(choice.value)] << m_fields.value(dependent.name);
            }
        if (grid->count() > 0)
            layout->addLayout(grid);
        else
            delete grid;
    }
}

void StepOptionsDialog::updateEnabled()
{
    for (const StepParameter &param : m_definition.parameters) {
        if (!shownAsOptions(param))
            continue;
        const QList<QAbstractButton *> &buttons = m_buttons.value(param.name);
        for (int i = 0; i < buttons.size() && i < param.choices.size(); ++i)
            for (QWidget *field : m_dependents.value(param.name + QString::number(param.choices.at(i).value)))
                field->setEnabled(buttons.at(i)->isChecked());
    }
}

void StepOptionsDialog::followLimits()
{
    for (const StepParameter &param : m_definition.parameters) {
        QSpinBox *box = qobject_cast<QSpinBox *>(m_fields.value(param.name));
        QSpinBox *limit = qobject_cast<QSpinBox *>(m_fields.value(param.notAbove));
        if (!box || !limit)
            continue;
        const auto follow = [box](int value) { box->setMaximum(std::max(0, value)); };
        connect(limit, QOverload<int>::of(&QSpinBox::valueChanged), box, follow);
        follow(limit->value());
    }
}

void StepOptionsDialog::setVolumeHeight(unsigned sizeZ)
{
    for (const StepParameter &param : m_definition.parameters) {
        QSpinBox *box = qobject_cast<QSpinBox *>(m_fields.value(param.name));
        if (!box || param.maximumBound != Core::Steps::Bound::VolumeHeight)
            continue;
        const int top = spinLimit(std::min(double(sizeZ), param.maximum));
        box->setMaximum(top);
        if (param.defaultIsMaximum)
            box->setValue(top);
    }
    // A field held below another follows it again within the new bound.
    for (const StepParameter &param : m_definition.parameters) {
        QSpinBox *box = qobject_cast<QSpinBox *>(m_fields.value(param.name));
        QSpinBox *limit = qobject_cast<QSpinBox *>(m_fields.value(param.notAbove));
        if (box && limit)
            box->setMaximum(std::max(0, std::min(limit->value(), limit->maximum())));
    }
}

void StepOptionsDialog::setField(const StepParameter &param, const QVariant &value)
{
    if (m_buttons.contains(param.name)) {
        const QList<QAbstractButton *> &buttons = m_buttons.value(param.name);
        const int chosen = param.kind == ValueKind::Flag ? int(value.toBool()) : value.toInt();
        for (int i = 0; i < buttons.size() && i < param.choices.size(); ++i) {
            if (!buttons.at(i))
                continue;
            const int option = param.choices.at(i).value;
            if (param.kind == ValueKind::Flags)
                buttons.at(i)->setChecked((chosen & option) == option);
            else if (option == chosen)
                buttons.at(i)->setChecked(true);
        }
        return;
    }
    QWidget *field = m_fields.value(param.name);
    if (QComboBox *box = param.kind == ValueKind::Text ? qobject_cast<QComboBox *>(field) : nullptr) {
        // A stored value the list does not offer is kept and shown, for the step's check to name.
        int index = box->findText(value.toString(), Qt::MatchFixedString);
        if (index < 0) {
            box->addItem(value.toString());
            index = box->count() - 1;
        }
        box->setCurrentIndex(index);
        return;
    }
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

QVariant StepOptionsDialog::fieldValue(const StepParameter &param) const
{
    if (m_buttons.contains(param.name)) {
        const QList<QAbstractButton *> &buttons = m_buttons.value(param.name);
        int chosen = 0;
        for (int i = 0; i < buttons.size() && i < param.choices.size(); ++i)
            if (buttons.at(i) && buttons.at(i)->isChecked())
                chosen = param.kind == ValueKind::Flags ? chosen | param.choices.at(i).value : param.choices.at(i).value;
        return param.kind == ValueKind::Flag ? QVariant(chosen != 0) : QVariant(chosen);
    }
    QWidget *field = m_fields.value(param.name);
    if (const QComboBox *box = qobject_cast<const QComboBox *>(field)) {
        if (param.kind == ValueKind::Text)
            return QVariant(box->currentText());
        return box->currentIndex() >= 0 ? QVariant(MaterialComboBox::selectedId(box)) : QVariant();
    }
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
    QList<const StepParameter *> order;
    for (const StepParameter &param : m_definition.parameters)
        if (std::any_of(m_definition.parameters.begin(), m_definition.parameters.end(),
                        [&param](const StepParameter &other) { return other.notAbove == param.name; }))
            order.prepend(&param);
        else
            order.append(&param);
    for (const StepParameter *declared : order) {
        const StepParameter &param = *declared;
        if (!m_fields.contains(param.name) && !m_buttons.contains(param.name))
            continue;
        if (param.kind == ValueKind::Material) {
            DialogFields::selectMaterial(qobject_cast<QComboBox *>(m_fields.value(param.name)), parameters, param.name);
            continue;
        }
        const QVariant value = parameters.value(param.valueName());
        // A stored choice counts only with its text beside it, as the batch dialog shows it.
        if (param.kind == ValueKind::Choice && !param.companion.isEmpty() && !parameters.contains(param.companion))
            continue;
        if (value.isValid())
            setField(param, value);
    }
    updateEnabled();
}

QVariantMap StepOptionsDialog::values() const
{
    QVariantMap values;
    for (const StepParameter &param : m_definition.parameters) {
        if (!m_fields.contains(param.name) && !m_buttons.contains(param.name))
            continue;
        const QVariant value = fieldValue(param);
        if (value.isValid())
            values.insert(param.name, value);
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
