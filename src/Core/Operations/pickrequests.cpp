#include "pickrequests.h"

#include <QMutexLocker>

namespace Core {
namespace Operations {

void PickRequests::setSelected(const QList<boost::shared_ptr<Model::Object>> &objects)
{
    QMutexLocker lock(&m_mutex);
    m_selected = objects;
}

QList<boost::shared_ptr<Model::Object>> PickRequests::getSelected() const
{
    QMutexLocker lock(&m_mutex);
    return m_selected;
}

} // namespace Operations
} // namespace Core
