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

int BatchRunPrompts::askNewList(QWidget *parent)
{
    QMessageBox box(parent);
    box.setObjectName(QStringLiteral("newListMessageBox"));
    box.setText(QStringLiteral("Creating a new process list."));
    box.setInformativeText(QStringLiteral("You will lose any unsaved changes, do you wish to continue?"));
    box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Save);
    return box.exec();
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
