#include "stepprogressdialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>

namespace Ui {

namespace {

// Until the modal dialog is up, a window's close button still reaches the
// main window, whose closing would take the running step's volume with it.
class KeepWindowsOpen : public QObject
{
public:
    explicit KeepWindowsOpen(const QWidget *dialog) : m_dialog(dialog) { qApp->installEventFilter(this); }
    ~KeepWindowsOpen() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Close || watched == m_dialog || !watched->isWidgetType() ||
            !static_cast<QWidget *>(watched)->isWindow())
            return false;
        event->ignore();
        return true;
    }

private:
    const QWidget *m_dialog;
};

} // namespace

void StepProgressDialog::run(const QString &name, const std::function<void()> &work, Util::StopToken &stop)
{
    // Set by the worker once work has returned, then the loop below is woken:
    // QThread::finished comes before isFinished() turns true, so it cannot be the test.
    std::atomic<bool> done{false};
    QObject waker;
    // A thread of its own, never one of the global pool: the engines split
    // their work over that pool and wait for it.
    const std::unique_ptr<QThread> worker(QThread::create([&work, &done, &waker]() {
        work();
        done.store(true);
        QMetaObject::invokeMethod(&waker, []() {}, Qt::QueuedConnection);
    }));

    QProgressDialog dialog(QStringLiteral("%1 is running…").arg(name), QStringLiteral("Cancel"), 0, 0, m_parent);
    dialog.setWindowTitle(name);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    // Cancel only asks; the dialog stays up until the engine has stopped.
    QObject::disconnect(&dialog, &QProgressDialog::canceled, &dialog, &QProgressDialog::cancel);
    const auto requestStop = [&dialog, &stop]() {
        stop.request();
        dialog.setLabelText(QStringLiteral("Stopping; the cells are put back as they were…"));
    };
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, requestStop);
    // Escape rejects the dialog without the canceled signal; it means Cancel too.
    QObject::connect(&dialog, &QDialog::rejected, &dialog, requestStop);
    // Shown after ShowAfterMs; a quick step flashes nothing.
    QTimer::singleShot(ShowAfterMs, &dialog, [&dialog]() { dialog.show(); });

    const KeepWindowsOpen keepOpen(&dialog);
    worker->start();
    bool shown = false;
    while (!done.load()) {
        shown = shown || dialog.isVisible();
        // Escape or the window's close button hide the dialog: it comes back while the engine still runs.
        if (shown && !dialog.isVisible())
            dialog.show();
        // The window keeps drawing, but until the modal dialog is up no click or key reaches anything:
        // nothing may start while the engine changes the cells.
        const QEventLoop::ProcessEventsFlags flags =
            QEventLoop::WaitForMoreEvents | (shown ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
        QCoreApplication::processEvents(flags);
    }
    worker->wait();
}

} // namespace Ui
