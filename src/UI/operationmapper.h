#pragma once

#include <QObject>
#include <QString>

class QAction;
class QSignalMapper;

namespace Ui {

// Turns each registered action's trigger into activated(id) with the id it was registered under.
class OperationMapper : public QObject
{
    Q_OBJECT
public:
    explicit OperationMapper(QObject *parent = nullptr);

    void addAction(QAction *action, const QString &id);
    void addAction(QAction *action, unsigned id);

Q_SIGNALS:
    void activated(const QString &operationId);

private:
    QSignalMapper *m_mapper;
};

} // namespace Ui
