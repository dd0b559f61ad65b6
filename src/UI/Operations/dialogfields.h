#pragma once

#include <QString>
#include <QVariantMap>

class QComboBox;
class QDialog;
class QDialogButtonBox;
class QDoubleSpinBox;
class QGridLayout;
class QWidget;

namespace Ui {
namespace Operations {

// The pieces the process option dialogs are built from, so each dialog file
// holds only its own fields.
namespace DialogFields {

QDoubleSpinBox *doubleSpinBox(QWidget *parent, const QString &objectName, int decimals, double minimum,
                              double maximum, double value, const QString &suffix = QString(), double step = 1.0);
// A material combo with the compatible materials of a catalogue process, or the whole catalogue for 0.
QComboBox *materialBox(QWidget *parent, const QString &objectName, unsigned processId);
// Adds a label and a field as the next row of the grid.
void addRow(QGridLayout *grid, QWidget *parent, const QString &labelName, const QString &text, QWidget *field);
// OK and Cancel, wired to accept and reject.
QDialogButtonBox *okCancel(QDialog *dialog);
// Selects the material named by prefix + "_Id", else by prefix (the name), when present.
void selectMaterial(QComboBox *box, const QVariantMap &parameters, const QString &prefix);
// Sets the spin box from a stored number when present.
void setValue(QDoubleSpinBox *box, const QVariantMap &parameters, const QString &name);

} // namespace DialogFields
} // namespace Operations
} // namespace Ui
