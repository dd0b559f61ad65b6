#pragma once

#include "Core/Operations/Document/idocumentdialogs.h"

#include <QList>
#include <QPair>
#include <QStringList>

// Answers the document operations' questions from prepared lists and keeps what was asked and shown.
class FakeDocumentDialogs : public Core::Operations::IDocumentDialogs
{
public:
    QString chooseSaveFileName(const QString &title, const QString &directory, const QString &filter) override
    {
        asked.append(title + QLatin1Char('|') + directory + QLatin1Char('|') + filter);
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }
    QString chooseOpenFileName(const QString &title, const QString &directory, const QString &filter) override
    {
        asked.append(title + QLatin1Char('|') + directory + QLatin1Char('|') + filter);
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
    bool confirmReplace(const QString &fileName) override
    {
        replaceQuestions.append(fileName);
        return replaceAnswer;
    }
    void showInformation(const QString &title, const QString &text) override { shown.append(qMakePair(title, text)); }

    QStringList saveAnswers;
    QStringList openAnswers;
    bool replaceAnswer = false;
    QStringList asked;
    QStringList replaceQuestions;
    QList<QPair<QString, QString>> shown;
};
