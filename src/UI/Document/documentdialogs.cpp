#include "documentdialogs.h"

#include "Core/Operations/Document/documentstorage.h"

#include <QFileDialog>
#include <QMessageBox>

namespace Ui {

QString DocumentDialogs::chooseSaveFileName(const QString &title, const QString &directory, const QString &filter)
{
    QFileDialog dialog(m_parent, title, directory, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The dialog completes the name itself, so its replace question names the file really written.
    dialog.setDefaultSuffix(Core::Operations::DocumentStorage::extension());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

QString DocumentDialogs::chooseOpenFileName(const QString &title, const QString &directory, const QString &filter)
{
    return QFileDialog::getOpenFileName(m_parent, title, directory, filter);
}

bool DocumentDialogs::confirmReplace(const QString &fileName)
{
    return QMessageBox::question(m_parent, QStringLiteral("Replace file"),
                                 QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(fileName),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

void DocumentDialogs::showInformation(const QString &title, const QString &text)
{
    QMessageBox::information(m_parent, title, text, QMessageBox::Ok);
}

} // namespace Ui
