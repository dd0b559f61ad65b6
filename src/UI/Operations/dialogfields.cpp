#include "dialogfields.h"

#include "materialcombobox.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>

namespace Ui {
namespace Operations {
namespace DialogFields {

QDoubleSpinBox *doubleSpinBox(QWidget *parent, const QString &objectName, int decimals, double minimum,
                              double maximum, double value, const QString &suffix, double step)
{
    QDoubleSpinBox *box = new QDoubleSpinBox(parent);
    box->setObjectName(objectName);
    box->setDecimals(decimals);
    box->setRange(minimum, maximum);
    box->setSingleStep(step);
    box->setValue(value);
    box->setSuffix(suffix);
    return box;
}

QComboBox *materialBox(QWidget *parent, const QString &objectName, unsigned processId)
{
    QComboBox *box = new QComboBox(parent);
    box->setObjectName(objectName);
    if (processId != 0)
        MaterialComboBox::fillFromProcess(box, processId);
    else
        MaterialComboBox::fillFromCatalogue(box);
    return box;
}

void addRow(QGridLayout *grid, QWidget *parent, const QString &labelName, const QString &text, QWidget *field)
{
    QLabel *label = new QLabel(text, parent);
    label->setObjectName(labelName);
    label->setBuddy(field);
    const int row = grid->rowCount();
    grid->addWidget(label, row, 0);
    grid->addWidget(field, row, 1);
}

QDialogButtonBox *okCancel(QDialog *dialog)
{
    QDialogButtonBox *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

void selectMaterial(QComboBox *box, const QVariantMap &parameters, const QString &prefix)
{
    const QString idKey = prefix + QStringLiteral("_Id");
    bool ok = false;
    const unsigned id = parameters.contains(idKey) ? parameters.value(idKey).toUInt(&ok) : 0;
    MaterialComboBox::select(box, ok ? id : 0, parameters.value(prefix).toString());
}

void setValue(QDoubleSpinBox *box, const QVariantMap &parameters, const QString &name)
{
    bool ok = false;
    const double value = parameters.value(name).toDouble(&ok);
    if (parameters.contains(name) && ok)
        box->setValue(value);
}

} // namespace DialogFields
} // namespace Operations
} // namespace Ui
