#pragma once

#include "Core/Operations/Document/idocumentdialogs.h"

#include <QPointer>
#include <QWidget>

namespace Ui {

// The document operations' questions and messages as file dialogs and message boxes.
class DocumentDialogs : public Core::Operations::IDocumentDialogs
{
public:
    explicit DocumentDialogs(QWidget *parent) : m_parent(parent) {}

    QString chooseSaveFileName(const QString &title, const QString &directory, const QString &filter) override;
    QString chooseOpenFileName(const QString &title, const QString &directory, const QString &filter) override;
    bool confirmReplace(const QString &fileName) override;
    void showInformation(const QString &title, const QString &text) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace Ui
