#include "pickrequests.h"

#include "Model/document.h"

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
    QList<boost::shared_ptr<Model::Object>> selected;
    {
        QMutexLocker lock(&m_mutex);
        selected = m_selected;
    }
    // The document's lock is taken after ours is released, never inside it.
    if (m_document && !selected.isEmpty()) {
        const QList<boost::shared_ptr<Model::Object>> present = m_document->getObjects();
        QList<boost::shared_ptr<Model::Object>> kept;
        for (const boost::shared_ptr<Model::Object> &object : selected)
            if (present.contains(object))
                kept.append(object);
        selected = kept;
    }
    return selected;
}

} // namespace Operations
} // namespace Core
