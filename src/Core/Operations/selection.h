#pragma once

#include "Util/iobserver.h"

#include <boost/shared_ptr.hpp>

#include <QList>

namespace Model {
class Document;
class Object;
} // namespace Model

namespace Core {
namespace Operations {

class PickRequests;

// Selection mode and the objects the user has picked.
class Selection
{
public:
    Selection(Model::Document *document, PickRequests *picks);

    void setSelectionMode(bool mode);
    bool isSelectionMode() const { return m_selectionMode; }
    void clear();
    QList<boost::shared_ptr<Model::Object>> getSelected() const { return m_selected; }

    // Toggles the object under widget position (x, y) (y downwards) of the GL
    // context current on this thread, then publishes the selection. False
    // with selection mode off or when nothing was hit.
    bool pick(int x, int y);

    // What a pick does with the names of the first hit record: each named
    // object is toggled. Returns false when no name matched an object.
    bool toggleByIds(const QList<int> &ids);
    // Deselects every object the document no longer holds and publishes the rest.
    void dropMissing();
    // Copies the selected list to the pick requests operations read.
    void publish();

    void addModeObserver(const boost::shared_ptr<Util::IObserver> &observer);

private:
    Model::Document *m_document;
    PickRequests *m_picks;
    QList<boost::shared_ptr<Model::Object>> m_selected;
    QList<boost::shared_ptr<Util::IObserver>> m_modeObservers;
    bool m_selectionMode = false;
};

} // namespace Operations
} // namespace Core
