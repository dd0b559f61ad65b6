#include "commandconsole.h"

#include "Core/Operations/consolemodel.h"
#include "UI/Observers/consoleobserver.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QVBoxLayout>

namespace Ui {
namespace Console {

CommandConsole::CommandConsole(QWidget *owner, Qt::WindowFlags flags, Core::Operations::ConsoleModel *model)
    : QWidget(owner, flags), m_historyCursor(0), m_model(model)
{
    setObjectName(QStringLiteral("CommandConsoleForm"));
    setWindowTitle(QStringLiteral("Console"));
    resize(400, 140);

    QWidget *inner = new QWidget(this);
    inner->setObjectName(QStringLiteral("layoutWidget"));
    inner->setGeometry(QRect(QPoint(10, 10), QPoint(390, 130)));
    QVBoxLayout *layout = new QVBoxLayout(inner);
    layout->setContentsMargins(0, 0, 0, 0);

    m_output = new QPlainTextEdit(inner);
    m_output->setObjectName(QStringLiteral("plainTextEdit"));
    m_output->setReadOnly(true);
    m_output->setFocusPolicy(Qt::NoFocus);
    m_output->setAcceptDrops(false);
    m_output->setAutoFillBackground(true);
    m_output->setBackgroundVisible(false);
    layout->addWidget(m_output);

    m_input = new QLineEdit(inner);
    m_input->setObjectName(QStringLiteral("linCommand"));
    layout->addWidget(m_input);

    m_upShortcut = new QShortcut(QKeySequence(Qt::Key_Up), this);
    m_downShortcut = new QShortcut(QKeySequence(Qt::Key_Down), this);
    connect(m_upShortcut, SIGNAL(activated()), this, SLOT(upArrowPressed()));
    connect(m_downShortcut, SIGNAL(activated()), this, SLOT(downArrowPressed()));

    m_observer.reset(new Observers::ConsoleObserver(m_model));
    m_model->addObserver(m_observer);
    connect(m_observer.get(), SIGNAL(messageWritten(QString)), this, SLOT(writeMessage(QString)));
    connect(m_input, SIGNAL(returnPressed()), this, SLOT(enterPressed()));
}

CommandConsole::~CommandConsole()
{
    if (m_model)
        m_model->removeObserver(m_observer);
}

void CommandConsole::enterPressed()
{
    const QString line = m_input->text();
    if (!line.isEmpty()) {
        m_history.prepend(line);
        m_historyCursor = 0;
        m_output->appendPlainText(line);
        m_input->clear();
    }
    m_model->processInput(line);
}

void CommandConsole::upArrowPressed()
{
    if (m_historyCursor >= 0 && m_historyCursor < m_history.size())
        m_input->setText(m_history.at(m_historyCursor));
    if (m_historyCursor + 1 < m_history.size())
        ++m_historyCursor;
}

void CommandConsole::downArrowPressed()
{
    if (m_historyCursor >= 0 && m_historyCursor < m_history.size())
        m_input->setText(m_history.at(m_historyCursor));
    if (m_historyCursor == 0)
        m_input->clear();
    else if (m_historyCursor > 0)
        --m_historyCursor;
}

void CommandConsole::writeMessage(const QString &message) { m_output->appendPlainText(message); }

void CommandConsole::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted())
        Q_EMIT closed();
}

} // namespace Console
} // namespace Ui
