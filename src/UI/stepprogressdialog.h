#pragma once

#include "Core/Operations/stoppablework.h"

#include <QPointer>
#include <QWidget>

namespace Ui {

// Runs a step's engine on a worker thread while the window keeps drawing. A
// step that takes longer than about a second gets a modal progress dialog;
// its Cancel asks the engine to stop, and the dialog stays until it has.
class StepProgressDialog : public Core::Operations::IStepProgress
{
public:
    explicit StepProgressDialog(QWidget *parent) : m_parent(parent) {}
    void run(const QString &name, const std::function<void()> &work, Util::StopToken &stop) override;

    // How long a step runs before the dialog shows.
    static constexpr int ShowAfterMs = 1000;

private:
    QPointer<QWidget> m_parent;
};

} // namespace Ui
