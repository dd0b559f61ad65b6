#pragma once

#include <QSpinBox>
#include <QString>

namespace Ui {
namespace Operations {

// The whole-number fields of the column and Moore dialogs (cells, layers).
inline QSpinBox *cellSpinBox(QWidget *parent, const QString &objectName, int minimum, int maximum, int value,
                             const QString &suffix)
{
    QSpinBox *box = new QSpinBox(parent);
    box->setObjectName(objectName);
    box->setRange(minimum, maximum);
    box->setValue(value);
    box->setSuffix(suffix);
    return box;
}

// A stored whole number when present and readable, else the box as it is.
inline void setCellValue(QSpinBox *box, const QVariant &stored)
{
    bool ok = false;
    const double value = stored.toDouble(&ok);
    if (stored.isValid() && ok && value >= box->minimum() && value <= box->maximum())
        box->setValue(int(value));
}

} // namespace Operations
} // namespace Ui
