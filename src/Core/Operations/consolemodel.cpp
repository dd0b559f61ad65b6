#include "consolemodel.h"

#include "operation.h"

#include <locale>
#include <sstream>

namespace Core {
namespace Operations {

ConsoleModel::ConsoleModel() = default;

void ConsoleModel::write(const QString &text)
{
    m_lastMessage = text;
    if (text.isEmpty())
        return;
    const QList<boost::shared_ptr<Util::IObserver>> observers = m_observers;
    for (const boost::shared_ptr<Util::IObserver> &observer : observers)
        observer->notify();
}

void ConsoleModel::displaceReceiver(Operation *newcomer)
{
    Operation *previous = m_receiver.data();
    if (previous && previous != newcomer)
        previous->finish();
    // Whatever the previous receiver left behind (an Enter it waited for, targets that
    // point into it) must not reach the newcomer.
    if (m_receiver.data() != newcomer)
        clearRequest();
}

void ConsoleModel::clearRequest()
{
    m_kind = NoRequest;
    m_receiver = nullptr;
    m_vectorTarget = nullptr;
    m_textTarget = nullptr;
    m_completedTarget = nullptr;
    m_enterExpected = false;
    m_enterTarget = nullptr;
}

void ConsoleModel::waitForEnter(Operation *operation, bool *enterPressed)
{
    displaceReceiver(operation);
    m_receiver = operation;
    m_enterExpected = true;
    m_enterTarget = enterPressed;
}

void ConsoleModel::requestVector(Operation *operation, Util::Vector4D *target, bool *completed)
{
    displaceReceiver(operation);
    if (completed)
        *completed = false;
    m_receiver = operation;
    m_kind = VectorRequest;
    m_vectorTarget = target;
    m_completedTarget = completed;
}

void ConsoleModel::requestText(Operation *operation, QString *target)
{
    displaceReceiver(operation);
    m_receiver = operation;
    m_kind = TextRequest;
    m_textTarget = target;
}

void ConsoleModel::reset()
{
    // Back to the initial state: a stale Enter wait would otherwise swallow the next
    // operation's input.
    clearRequest();
}

bool ConsoleModel::parseVector(const QString &line, double &x, double &y, double &z)
{
    std::istringstream in(line.toStdString());
    in.imbue(std::locale::classic());
    double a = 0.0, b = 0.0, c = 0.0;
    in >> a;
    in.ignore(100, ',');
    in >> b;
    in.ignore(100, ',');
    in >> c;
    if (in.fail())
        return false;
    x = a;
    y = b;
    z = c;
    return true;
}

void ConsoleModel::processInput(const QString &line)
{
    if (!m_receiver)
        return;
    if (!line.isEmpty()) {
        switch (m_kind) {
        case VectorRequest: {
            double x, y, z;
            if (parseVector(line, x, y, z)) {
                QPointer<Operation> receiver = m_receiver;
                if (m_vectorTarget) {
                    m_vectorTarget->x = x;
                    m_vectorTarget->y = y;
                    m_vectorTarget->z = z;
                }
                bool *completed = m_completedTarget;
                reset();
                if (completed)
                    *completed = true;
                if (receiver)
                    receiver->proceed();
                return;
            }
            // The request stays in place for the next try; the rejected line is no Enter.
            write(QStringLiteral("Invalid entry. Enter the x, y, z coordinates."));
            return;
        }
        case TextRequest: {
            QPointer<Operation> receiver = m_receiver;
            if (m_textTarget)
                *m_textTarget = line;
            reset();
            if (receiver)
                receiver->proceed();
            return;
        }
        case NoRequest:
            break;
        }
    }
    pressEnter();
}

void ConsoleModel::pressEnter()
{
    if (!m_receiver || !m_enterExpected)
        return;
    QPointer<Operation> receiver = m_receiver;
    if (m_enterTarget)
        *m_enterTarget = true;
    // The whole request ends here, so no target of this receiver outlives it.
    clearRequest();
    receiver->proceed();
}

void ConsoleModel::addObserver(const boost::shared_ptr<Util::IObserver> &observer)
{
    if (observer)
        m_observers.append(observer);
}

void ConsoleModel::removeObserver(const boost::shared_ptr<Util::IObserver> &observer)
{
    m_observers.removeAll(observer);
}

} // namespace Operations
} // namespace Core
