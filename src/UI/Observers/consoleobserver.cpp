#include "consoleobserver.h"

#include "Core/Operations/consolemodel.h"

namespace Ui {
namespace Observers {

ConsoleObserver::ConsoleObserver(Core::Operations::ConsoleModel *console, QObject *parent)
    : QObject(parent), m_console(console)
{
}

void ConsoleObserver::notify()
{
    const QString message = m_console->lastMessage();
    if (!message.isEmpty())
        Q_EMIT messageWritten(message);
}

} // namespace Observers
} // namespace Ui
