#pragma once

#include <boost/shared_ptr.hpp>

#include <QList>
#include <QMutex>

namespace Model {
class Document;
class Object;
} // namespace Model

namespace Core {
namespace Operations {

// The selection as operations read it, copied in by Selection after every pick or clear.
class PickRequests
{
public:
    // With a document set, objects it no longer holds (undone, deleted, replaced) are never
    // handed to an operation.
    void setDocument(const Model::Document *document) { m_document = document; }
    void setSelected(const QList<boost::shared_ptr<Model::Object>> &objects);
    QList<boost::shared_ptr<Model::Object>> getSelected() const;

private:
    const Model::Document *m_document = nullptr;
    mutable QMutex m_mutex;
    QList<boost::shared_ptr<Model::Object>> m_selected;
};

} // namespace Operations
} // namespace Core
