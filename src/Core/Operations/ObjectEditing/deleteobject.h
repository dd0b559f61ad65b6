#pragma once

#include "Core/Operations/operation.h"

#include <boost/shared_ptr.hpp>

#include <QList>

namespace Model {
class Object;
}

namespace Core {
namespace Operations {

class Workspace;

// Removes the selected objects from the document; undo puts them back.
class DeleteObject : public ObjectOperation
{
    Q_OBJECT
public:
    static constexpr int TypeNumber = 4;

    explicit DeleteObject(Workspace *workspace);

    QList<boost::shared_ptr<Model::Object>> getObjects() const { return m_objects; }

public Q_SLOTS:
    void proceed() override;
    void cancel() override;
    void finish() override;
    int undo() override;
    void redo() override;

private:
    Workspace *m_workspace;
    bool m_done = false;
    bool m_finished = false;
    QList<boost::shared_ptr<Model::Object>> m_objects;
};

} // namespace Operations
} // namespace Core
