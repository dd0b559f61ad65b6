#pragma once

#include "Util/iobserver.h"
#include "operation.h"
#include "Util/vector4d.h"

#include <boost/shared_ptr.hpp>

#include <QList>
#include <QPointer>
#include <QString>

namespace Core {
namespace Operations {



// The console as operations see it: the last message and the one pending input request.
class ConsoleModel
{
public:
    enum RequestKind { NoRequest, VectorRequest, TextRequest };

    ConsoleModel();

    void write(const QString &text);
    QString lastMessage() const { return m_lastMessage; }

    // enterPressed, when given, is set true when Enter arrives for this operation.
    void waitForEnter(Operation *operation, bool *enterPressed = nullptr);
    void requestVector(Operation *operation, Util::Vector4D *target, bool *completed = nullptr);
    void requestText(Operation *operation, QString *target);
    void reset();

    // A line typed into the console and confirmed with Enter.
    void processInput(const QString &line);

    Operation *receiver() const { return m_receiver.data(); }
    RequestKind requestKind() const { return m_kind; }
    bool isEnterExpected() const { return m_enterExpected; }

    void addObserver(const boost::shared_ptr<Util::IObserver> &observer);
    void removeObserver(const boost::shared_ptr<Util::IObserver> &observer);

    // Reads "x, y, z" (commas required, blanks optional); false when the line is not three numbers.
    static bool parseVector(const QString &line, double &x, double &y, double &z);

private:
    void displaceReceiver(Operation *newcomer);
    void pressEnter();
    void clearRequest();

    QPointer<Operation> m_receiver;
    RequestKind m_kind = NoRequest;
    Util::Vector4D *m_vectorTarget = nullptr;
    QString *m_textTarget = nullptr;
    bool *m_completedTarget = nullptr;
    bool *m_enterTarget = nullptr;
    bool m_enterExpected = false;
    QString m_lastMessage;
    QList<boost::shared_ptr<Util::IObserver>> m_observers;
};

} // namespace Operations
} // namespace Core
