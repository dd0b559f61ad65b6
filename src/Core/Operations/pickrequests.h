#pragma once

#include <boost/shared_ptr.hpp>

#include <QList>
#include <QMutex>

namespace Model {
class Object;
}

namespace Core {
namespace Operations {

// The selection as operations read it, copied in by Selection after every pick or clear.
class PickRequests
{
public:
    void setSelected(const QList<boost::shared_ptr<Model::Object>> &objects);
    QList<boost::shared_ptr<Model::Object>> getSelected() const;

private:
    mutable QMutex m_mutex;
    QList<boost::shared_ptr<Model::Object>> m_selected;
};

} // namespace Operations
} // namespace Core
