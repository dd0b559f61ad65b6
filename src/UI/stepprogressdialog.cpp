#include "stepprogressdialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QProgressDialog>
#include <QStatusBar>
#include <QThread>
#include <QTimer>

#include <algorithm>
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

std::atomic<int> running{0};

// The step's line in the main window's status bar while it runs, and after.
class StatusLine
{
public:
    StatusLine(QWidget *parent, const QString &name) : m_name(name)
    {
        QMainWindow *window = qobject_cast<QMainWindow *>(parent);
        QStatusBar *bar = window ? window->findChild<QStatusBar *>() : nullptr;
        m_label = bar ? bar->findChild<QLabel *>(QStringLiteral("lblStepStatus")) : nullptr;
        m_progress = bar ? bar->findChild<QProgressBar *>(QStringLiteral("prgStepStatus")) : nullptr;
        m_clock.start();
        if (m_progress) {
            // The engines report no fraction done: a busy bar and the time so far.
            m_progress->setRange(0, 0);
            m_progress->show();
        }
        update();
    }
    ~StatusLine()
    {
        if (m_progress)
            m_progress->hide();
    }
    void update()
    {
        if (m_label)
            m_label->setText(QStringLiteral("%1 running: %2 s").arg(m_name).arg(seconds()));
    }
    void finish(bool stopped)
    {
        if (m_label)
            m_label->setText(stopped ? QStringLiteral("%1 stopped after %2 s; its cells were put back")
                                           .arg(m_name)
                                           .arg(seconds())
                                     : QStringLiteral("%1 took %2 s").arg(m_name).arg(seconds()));
    }

private:
    QString seconds() const { return QString::number(m_clock.elapsed() / 1000.0, 'f', 1); }

    QString m_name;
    QLabel *m_label = nullptr;
    QProgressBar *m_progress = nullptr;
    QElapsedTimer m_clock;
};

} // namespace

bool StepProgressDialog::isRunning() { return running.load() > 0; }

int StepProgressDialog::widthForTitle(const QWidget &dialog, const QString &title)
{
    // The title bar's font is the window manager's; the application's bold
    // font is a fair measure, and the buttons and frame take about 160 pixels.
    QFont font = dialog.font();
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title) + 160;
}

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
    dialog.setObjectName(QStringLiteral("stepProgressDialog"));
    dialog.setWindowTitle(name);
    dialog.setMinimumWidth(std::max(dialog.sizeHint().width(), widthForTitle(dialog, name)));
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
    StatusLine status(m_parent, name);
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &dialog, [&status]() { status.update(); });
    tick.start(200);
    ++running;
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
    --running;
    tick.stop();
    status.finish(stop.requested());
}

} // namespace Ui
