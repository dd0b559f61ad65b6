#pragma once

#include "Core/Operations/stoppablework.h"

#include <QPointer>
#include <QWidget>

namespace Ui {

// Runs a step's engine on a worker thread while the window keeps drawing. A
// step that takes longer than about a second gets a modal progress dialog;
// its Cancel asks the engine to stop, and the dialog stays until it has.
// When the parent is a main window whose status bar holds a label
// "lblStepStatus" and a progress bar "prgStepStatus", they show the running
// step and its time, then how it ended.
class StepProgressDialog : public Core::Operations::IStepProgress
{
public:
    explicit StepProgressDialog(QWidget *parent) : m_parent(parent) {}
    void run(const QString &name, const std::function<void()> &work, Util::StopToken &stop) override;

    // How long a step runs before the dialog shows.
    static constexpr int ShowAfterMs = 1000;
    // Whether a step's engine runs now (it holds its volume's cells).
    static bool isRunning();
    // The progress dialog's width: its title, the step's name, whole.
    static int widthForTitle(const QWidget &dialog, const QString &title);

private:
    QPointer<QWidget> m_parent;
};

} // namespace Ui
