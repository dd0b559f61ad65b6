#pragma once

#include "Core/Steps/processdata.h"
#include "UI/BatchRun/batchrunprompts.h"

#include <QDialog>
#include <QMessageBox>
#include <QMutex>
#include <QPair>
#include <QStringList>

#include <functional>

namespace BatchRunTest {

// Answers the batch dialog's questions in script and records what it was asked.
class ScriptedPrompts : public Ui::BatchRunPrompts
{
public:
    struct FileQuestion
    {
        QString title, directory, filter;
    };

    QStringList openAnswers, saveAnswers;
    QList<FileQuestion> openQuestions, saveQuestions;
    int newListAnswer = 0;
    int newListAsked = 0;
    int closeListAnswer = QMessageBox::Discard;
    int closeListAsked = 0;
    bool replaceAnswer = false;
    QStringList replaceQuestions;
    QList<QPair<QString, QString>> warnings, criticals;
    // Fills a dialog and answers it; Accepted when unset.
    std::function<int(QDialog *)> onExec;
    QStringList execTitles;

    QString chooseOpenFile(QWidget *, const QString &title, const QString &directory, const QString &filter) override
    {
        openQuestions.append({title, directory, filter});
        return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst();
    }
    QString chooseSaveFile(QWidget *, const QString &title, const QString &directory, const QString &filter) override
    {
        saveQuestions.append({title, directory, filter});
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }
    int askNewList(QWidget *) override
    {
        ++newListAsked;
        return newListAnswer;
    }
    int askCloseList(QWidget *) override
    {
        ++closeListAsked;
        return closeListAnswer;
    }
    bool confirmReplace(QWidget *, const QString &fileName) override
    {
        replaceQuestions << fileName;
        return replaceAnswer;
    }
    void showWarning(QWidget *, const QString &title, const QString &text) override { warnings.append({title, text}); }
    void showCritical(QWidget *, const QString &title, const QString &text) override
    {
        criticals.append({title, text});
    }
    int exec(QDialog *dialog) override
    {
        execTitles << dialog->windowTitle();
        return onExec ? onExec(dialog) : int(QDialog::Accepted);
    }
};

// Debug-log lines written while an instance lives (from any thread).
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    QStringList lines() const;
    bool contains(const QString &text) const;

private:
    QtMessageHandler m_previous;
};

// Steps as the dialog builds them, for lists made in code.
unsigned materialId(int index);
Core::Steps::ProcessData substrateStep(unsigned sizeX = 8, unsigned sizeY = 8, unsigned sizeZ = 8, unsigned substrateZ = 3);
Core::Steps::ProcessData cvdStep(double thickness = 2.0);
Core::Steps::ProcessData saveImageStep(const QString &fileName);

} // namespace BatchRunTest
