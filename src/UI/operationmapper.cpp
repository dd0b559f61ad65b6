#include "operationmapper.h"

#include <QAction>
#include <QSignalMapper>

namespace Ui {

OperationMapper::OperationMapper(QObject *parent) : QObject(parent), m_mapper(new QSignalMapper(this))
{
    connect(m_mapper, &QSignalMapper::mappedString, this, &OperationMapper::activated);
}

void OperationMapper::addAction(QAction *action, const QString &id)
{
    connect(action, SIGNAL(triggered()), m_mapper, SLOT(map()));
    m_mapper->setMapping(action, id);
}

void OperationMapper::addAction(QAction *action, unsigned id) { addAction(action, QString::number(id)); }

} // namespace Ui
