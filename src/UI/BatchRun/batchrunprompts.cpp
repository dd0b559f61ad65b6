#include "batchrunprompts.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace Ui {

QString BatchRunPrompts::chooseOpenFile(QWidget *parent, const QString &title, const QString &directory,
                                        const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, title, directory, filter);
}

QString BatchRunPrompts::chooseSaveFile(QWidget *parent, const QString &title, const QString &directory,
                                        const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, title, directory, filter);
}

namespace {

int askUnsavedChanges(QWidget *parent, const QString &objectName, const QString &text)
{
    QMessageBox box(parent);
    box.setObjectName(objectName);
    box.setText(text);
    box.setInformativeText(QStringLiteral("You will lose any unsaved changes, do you wish to continue?"));
    box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Save);
    return box.exec();
}

} // namespace

int BatchRunPrompts::askNewList(QWidget *parent)
{
    return askUnsavedChanges(parent, QStringLiteral("newListMessageBox"), QStringLiteral("Creating a new process list."));
}

int BatchRunPrompts::askCloseList(QWidget *parent)
{
    return askUnsavedChanges(parent, QStringLiteral("closeListMessageBox"), QStringLiteral("Closing the batch run."));
}

bool BatchRunPrompts::confirmReplace(QWidget *parent, const QString &fileName)
{
    return QMessageBox::question(parent, QStringLiteral("Replace file"),
                                 QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(fileName),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

void BatchRunPrompts::showWarning(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::warning(parent, title, text, QMessageBox::Ok);
}

void BatchRunPrompts::showCritical(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::critical(parent, title, text, QMessageBox::Ok);
}

int BatchRunPrompts::exec(QDialog *dialog) { return dialog->exec(); }

} // namespace Ui
