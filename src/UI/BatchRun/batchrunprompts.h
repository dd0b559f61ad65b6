#pragma once

#include <QString>

class QDialog;
class QWidget;

namespace Ui {

// Every question the batch dialog puts to the person: file choices, message
// boxes and the modal option dialogs. The default shows the real dialogs;
// tests derive from it and answer in script.
class BatchRunPrompts
{
public:
    virtual ~BatchRunPrompts() = default;

    // An empty name when the person cancels.
    virtual QString chooseOpenFile(QWidget *parent, const QString &title, const QString &directory,
                                   const QString &filter);
    virtual QString chooseSaveFile(QWidget *parent, const QString &title, const QString &directory,
                                   const QString &filter);
    // "Creating a new process list." with Save, Discard and Cancel; the
    // QMessageBox::StandardButton pressed.
    virtual int askNewList(QWidget *parent);
    // "Closing the batch run." with Save, Discard and Cancel, asked when the
    // list has unsaved changes; the QMessageBox::StandardButton pressed.
    virtual int askCloseList(QWidget *parent);
    // True when the person agrees to replace the existing fileName (a name
    // completed with the list extension, which the file dialog did not ask about).
    virtual bool confirmReplace(QWidget *parent, const QString &fileName);
    virtual void showWarning(QWidget *parent, const QString &title, const QString &text);
    virtual void showCritical(QWidget *parent, const QString &title, const QString &text);
    // Runs an already built dialog modally (option dialogs, Move To, material
    // conflicts) and returns its QDialog::DialogCode.
    virtual int exec(QDialog *dialog);
};

} // namespace Ui
