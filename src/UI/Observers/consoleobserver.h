#pragma once

#include "Util/iobserver.h"

#include <QObject>
#include <QString>

namespace Core {
namespace Operations {
class ConsoleModel;
}
} // namespace Core

namespace Ui {
namespace Observers {

// Hands every non-empty console message to the command console window.
class ConsoleObserver : public QObject, public Util::IObserver
{
    Q_OBJECT
public:
    explicit ConsoleObserver(Core::Operations::ConsoleModel *console, QObject *parent = nullptr);
    void notify() override;
Q_SIGNALS:
    void messageWritten(const QString &message);

private:
    Core::Operations::ConsoleModel *m_console;
};

} // namespace Observers
} // namespace Ui
