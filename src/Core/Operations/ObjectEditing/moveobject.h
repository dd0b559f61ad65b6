#pragma once

#include "placeobjectsoperation.h"

namespace Core {
namespace Operations {

// Moves the selected objects by a displacement typed into the console.
class MoveObject : public PlaceObjectsOperation
{
    Q_OBJECT
public:
    static constexpr int TypeNumber = 7;

    explicit MoveObject(Workspace *workspace);

public Q_SLOTS:
    void cancel() override;
    int undo() override;
    void redo() override;

protected:
    QString prefix() const override { return QStringLiteral("Move"); }
    QString selectPrompt() const override;
    boost::shared_ptr<Model::Object> take(const boost::shared_ptr<Model::Object> &selected) override;
    void apply() override;

private:
    void translateAll(double sign);
};

} // namespace Operations
} // namespace Core
