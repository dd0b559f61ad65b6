#pragma once

#include "Core/Operations/operation.h"
#include "Util/vector3d.h"

#include <boost/shared_ptr.hpp>

#include <QList>

namespace Model {
class Object;
}

namespace Core {
namespace Operations {

class Workspace;

// What moving and copying share: take the selected objects as temporary
// ones, wait for the displacement typed into the console, then place them.
class PlaceObjectsOperation : public ObjectOperation
{
    Q_OBJECT
public:
    enum Step { WaitingForSelection = 0, WaitingForVector = 1, Apply = 3 };

    PlaceObjectsOperation(Workspace *workspace, const QString &name, int typeNumber);
    ~PlaceObjectsOperation() override;

    // The objects being placed: the moved objects themselves, or the copies.
    QList<boost::shared_ptr<Model::Object>> getObjects() const { return m_objects; }
    int getStep() const { return m_step; }
    Util::Vector3D getDisplacement() const { return m_displacement; }

public Q_SLOTS:
    void proceed() override;
    void finish() override;

protected:
    // "Move" or "Copy": the start of every message.
    virtual QString prefix() const = 0;
    virtual QString selectPrompt() const = 0;
    // The object to place for a selected one, or empty to skip it.
    virtual boost::shared_ptr<Model::Object> take(const boost::shared_ptr<Model::Object> &selected) = 0;
    // Places the objects at their displacement (step 3).
    virtual void apply() = 0;

    // Back to plain objects at their own place.
    void clearTemporary();
    void say(const QString &text);

    Workspace *m_workspace;
    QList<boost::shared_ptr<Model::Object>> m_objects;
    int m_step = WaitingForSelection;
    bool m_vectorTyped = false;
    bool m_applied = false;
    Util::Vector3D m_displacement;
};

} // namespace Operations
} // namespace Core
