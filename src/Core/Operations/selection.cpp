#include "selection.h"

#include "Model/document.h"
#include "Model/object.h"
#include "pickrequests.h"

namespace Core {
namespace Operations {

Selection::Selection(Model::Document *document, PickRequests *picks) : m_document(document), m_picks(picks) {}

void Selection::setSelectionMode(bool mode)
{
    if (mode == m_selectionMode)
        return;
    m_selectionMode = mode;
    if (!mode)
        clear();
    const QList<boost::shared_ptr<Util::IObserver>> observers = m_modeObservers;
    for (const boost::shared_ptr<Util::IObserver> &observer : observers)
        observer->notify();
}

void Selection::clear()
{
    for (const boost::shared_ptr<Model::Object> &object : m_selected)
        object->setSelected(false);
    m_selected.clear();
    publish();
}

bool Selection::toggleByIds(const QList<int> &ids)
{
    bool any = false;
    for (int id : ids) {
        const boost::shared_ptr<Model::Object> object = m_document->findObject(id);
        if (!object)
            continue;
        any = true;
        if (object->isSelected()) {
            object->setSelected(false);
            m_selected.removeAll(object);
        } else {
            object->setSelected(true);
            m_selected.append(object);
        }
    }
    return any;
}

void Selection::publish() { m_picks->setSelected(m_selected); }

void Selection::addModeObserver(const boost::shared_ptr<Util::IObserver> &observer)
{
    if (observer)
        m_modeObservers.append(observer);
}

} // namespace Operations
} // namespace Core
