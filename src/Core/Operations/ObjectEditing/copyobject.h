#pragma once

#include "placeobjectsoperation.h"

namespace Core {
namespace Operations {

// Adds copies of the selected objects, displaced by a vector typed into the console.
class CopyObject : public PlaceObjectsOperation
{
    Q_OBJECT
public:
    static constexpr int TypeNumber = 1;

    explicit CopyObject(Workspace *workspace);

public Q_SLOTS:
    void cancel() override;
    int undo() override;
    void redo() override;

protected:
    QString prefix() const override { return QStringLiteral("Copy"); }
    QString selectPrompt() const override;
    boost::shared_ptr<Model::Object> take(const boost::shared_ptr<Model::Object> &selected) override;
    void apply() override;
};

} // namespace Operations
} // namespace Core
