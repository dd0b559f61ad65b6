#pragma once

#include <boost/shared_ptr.hpp>

#include <QStringList>
#include <QWidget>

class QCloseEvent;
class QLineEdit;
class QPlainTextEdit;
class QShortcut;

namespace Core {
namespace Operations {
class ConsoleModel;
}
} // namespace Core

namespace Ui {

namespace Observers {
class ConsoleObserver;
}

namespace Console {

// The tool window in which operations talk to the user: messages above, the input line below.
class CommandConsole : public QWidget
{
    Q_OBJECT
public:
    CommandConsole(QWidget *owner, Qt::WindowFlags flags, Core::Operations::ConsoleModel *model);
    ~CommandConsole() override;

    QStringList history() const { return m_history; }

Q_SIGNALS:
    // The window was closed by its own means (title-bar button, window manager), not
    // hidden by its owner.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

public Q_SLOTS:
    void enterPressed();
    void upArrowPressed();
    void downArrowPressed();
    void writeMessage(const QString &message);

private:
    QPlainTextEdit *m_output;
    QLineEdit *m_input;
    QShortcut *m_upShortcut;
    QShortcut *m_downShortcut;
    QStringList m_history; // newest first
    int m_historyCursor;   // m_history.size() means "past the end"
    Core::Operations::ConsoleModel *m_model;
    boost::shared_ptr<Observers::ConsoleObserver> m_observer;
};

} // namespace Console
} // namespace Ui
