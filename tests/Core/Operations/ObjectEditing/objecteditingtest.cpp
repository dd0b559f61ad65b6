#include "Core/Operations/ObjectEditing/changetotalvolumevisualizationoptions.h"
#include "Core/Operations/ObjectEditing/copyobject.h"
#include "Core/Operations/ObjectEditing/deleteobject.h"
#include "Core/Operations/ObjectEditing/moveobject.h"
#include "Core/Operations/ObjectEditing/selectvolumesoperation.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/layer.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;

namespace {

typedef boost::shared_ptr<TotalVolume> VolumePtr;

VolumePtr makeVolume(double x = 0.0)
{
    return VolumePtr(new TotalVolume(4, 4, 4, 1.0f, 1.0f, 1.0f, Util::Vector3D(x, 0.0, 0.0), 1u));
}

// Calls a function from notify, as a dialog observer would.
struct CallbackObserver : Util::IObserver
{
    std::function<void()> callback;
    int calls = 0;
    void notify() override
    {
        ++calls;
        if (callback)
            callback();
    }
};

struct Scene
{
    Workspace workspace;
    VolumePtr a = makeVolume(0.0);
    VolumePtr b = makeVolume(20.0);

    Scene()
    {
        workspace.document().addObject(a);
        workspace.document().addObject(b);
    }

    void select(const QList<VolumePtr> &volumes)
    {
        workspace.selection().setSelectionMode(true);
        QList<int> ids;
        for (const VolumePtr &v : volumes)
            ids << v->getId();
        for (int id : ids)
            workspace.selection().toggleByIds({id});
        workspace.selection().publish();
    }

    QString message() { return workspace.console().lastMessage(); }
    int count() { return workspace.document().getObjects().size(); }
};

} // namespace

TEST(MoveObject, TypedVectorMovesAndUndoRedo)
{
    Scene s;
    s.select({s.a});
    const boost::shared_ptr<MoveObject> move(new MoveObject(&s.workspace));
    s.workspace.startOperation(move);
    EXPECT_EQ(s.message(), QStringLiteral("Move: Left click or enter the distance into the console (x, y, z):"));
    EXPECT_FALSE(s.workspace.selection().isSelectionMode());
    ASSERT_EQ(move->getObjects().size(), 1);
    EXPECT_TRUE(s.a->isTemporary());

    // A line that is not a vector keeps the request.
    s.workspace.console().processInput(QStringLiteral("10 0 0"));
    EXPECT_EQ(s.message(), QStringLiteral("Invalid entry. Enter the x, y, z coordinates."));
    EXPECT_EQ(s.a->getPosition(), Util::Vector3D(0, 0, 0));

    s.workspace.console().processInput(QStringLiteral("10, 0, 0"));
    EXPECT_EQ(s.message(), QStringLiteral("Move: Object(s) moved"));
    EXPECT_EQ(s.a->getPosition(), Util::Vector3D(10, 0, 0));
    EXPECT_EQ(s.b->getPosition(), Util::Vector3D(20, 0, 0));
    EXPECT_FALSE(s.a->isTemporary());
    EXPECT_EQ(s.a->getDisplacement(), Util::Vector3D(0, 0, 0));
    EXPECT_FALSE(s.workspace.currentOperation());
    EXPECT_EQ(s.workspace.history().undoName(), QStringLiteral("Move Objects"));

    ASSERT_TRUE(s.workspace.history().undo());
    EXPECT_EQ(s.a->getPosition(), Util::Vector3D(0, 0, 0));
    ASSERT_TRUE(s.workspace.history().redo());
    EXPECT_EQ(s.a->getPosition(), Util::Vector3D(10, 0, 0));
}

TEST(MoveObject, AsksForASelectionThenTakesItOnEnter)
{
    Scene s;
    const boost::shared_ptr<MoveObject> move(new MoveObject(&s.workspace));
    s.workspace.startOperation(move);
    EXPECT_EQ(s.message(), QStringLiteral("Move: Select the object(s) to be moved and press Enter/Return"));
    EXPECT_TRUE(s.workspace.selection().isSelectionMode());
    s.select({s.a, s.b});
    s.workspace.console().processInput(QString());
    EXPECT_EQ(move->getStep(), PlaceObjectsOperation::WaitingForVector);
    EXPECT_EQ(move->getObjects().size(), 2);
    // Enter alone does not move anything: the vector is still wanted.
    s.workspace.console().processInput(QString());
    EXPECT_EQ(move->getStep(), PlaceObjectsOperation::WaitingForVector);
    s.workspace.console().processInput(QStringLiteral("0,5,-1"));
    EXPECT_EQ(s.a->getPosition(), Util::Vector3D(0, 5, -1));
    EXPECT_EQ(s.b->getPosition(), Util::Vector3D(20, 5, -1));
}

TEST(MoveObject, CancelWhileWaitingForTheVectorRestoresAndStaysCurrent)
{
    Scene s;
    s.select({s.a});
    const boost::shared_ptr<MoveObject> move(new MoveObject(&s.workspace));
    s.workspace.startOperation(move);
    move->cancel();
    EXPECT_EQ(s.message(), QStringLiteral("Move: Operation canceled"));
    EXPECT_FALSE(s.a->isTemporary());
    EXPECT_EQ(s.workspace.currentOperation(), move);
    // The request is gone: typing a vector now moves nothing.
    s.workspace.console().processInput(QStringLiteral("10, 0, 0"));
    EXPECT_EQ(s.a->getPosition(), Util::Vector3D(0, 0, 0));
    EXPECT_TRUE(s.workspace.history().undoName().isEmpty());

    // Activating another number cancels and ends it.
    s.workspace.activateOperation(5);
    EXPECT_FALSE(s.workspace.currentOperation());
}

TEST(CopyObject, AddsADisplacedCopyWithANewIdAndUndoRemovesOnlyIt)
{
    Scene s;
    s.select({s.a});
    const boost::shared_ptr<CopyObject> copy(new CopyObject(&s.workspace));
    s.workspace.startOperation(copy);
    EXPECT_EQ(s.message(), QStringLiteral("Copy: Left click or enter the distance into the console (x, y, z):"));
    EXPECT_EQ(s.count(), 2); // the copy joins the document only when placed
    s.workspace.console().processInput(QStringLiteral("0, 10, 0"));
    EXPECT_EQ(s.message(), QStringLiteral("Copy: Object(s) copied"));
    ASSERT_EQ(s.count(), 3);
    const VolumePtr added = boost::dynamic_pointer_cast<TotalVolume>(s.workspace.document().getObjects().last());
    ASSERT_TRUE(added);
    EXPECT_NE(added->getId(), s.a->getId());
    EXPECT_NE(added->getId(), s.b->getId());
    EXPECT_EQ(added->getPosition(), Util::Vector3D(0, 10, 0));
    EXPECT_EQ(s.a->getPosition(), Util::Vector3D(0, 0, 0));
    EXPECT_FALSE(added->isTemporary());
    {
        Model::Automaton::CellLock lock(*added);
        EXPECT_EQ(lock.cells()[added->cellIndex(3, 3, 3)].material, 1u);
    }
    EXPECT_FALSE(added->getPainter().opaqueFaces().empty()); // drawable at once

    ASSERT_TRUE(s.workspace.history().undo());
    ASSERT_EQ(s.count(), 2);
    EXPECT_TRUE(s.workspace.document().findObject(s.a->getId()));
    EXPECT_FALSE(s.workspace.document().findObject(added->getId()));
    ASSERT_TRUE(s.workspace.history().redo());
    EXPECT_TRUE(s.workspace.document().findObject(added->getId()));
}

TEST(CopyObject, CancelDropsTheUnplacedCopies)
{
    Scene s;
    const boost::shared_ptr<CopyObject> copy(new CopyObject(&s.workspace));
    s.workspace.startOperation(copy);
    EXPECT_EQ(s.message(), QStringLiteral("Copy: Select the object(s) to be copied and press Enter"));
    s.select({s.b});
    s.workspace.console().processInput(QString());
    ASSERT_EQ(copy->getObjects().size(), 1);
    copy->cancel();
    EXPECT_EQ(s.message(), QStringLiteral("Copy: Operation canceled"));
    EXPECT_TRUE(copy->getObjects().isEmpty());
    EXPECT_EQ(s.count(), 2);
}

TEST(DeleteObject, DeletesTwoAndUndoRestoresBoth)
{
    Scene s;
    s.select({s.a, s.b});
    s.workspace.startOperation(boost::shared_ptr<Operation>(new DeleteObject(&s.workspace)));
    EXPECT_EQ(s.message(), QStringLiteral("Delete: objects deleted."));
    EXPECT_EQ(s.count(), 0);
    EXPECT_FALSE(s.workspace.selection().isSelectionMode());
    EXPECT_FALSE(s.a->isSelected());
    ASSERT_TRUE(s.workspace.history().undo());
    EXPECT_EQ(s.count(), 2);
    EXPECT_EQ(s.workspace.document().getCurrentLayer()->objects().size(), 2);
    ASSERT_TRUE(s.workspace.history().redo());
    EXPECT_EQ(s.count(), 0);
}

TEST(DeleteObject, WithoutSelectionAsksAndADisplacedRequestCancels)
{
    Scene s;
    s.workspace.startOperation(boost::shared_ptr<Operation>(new DeleteObject(&s.workspace)));
    EXPECT_EQ(s.message(), QStringLiteral("Delete: Select the objects to be deleted and press Return/Enter"));
    EXPECT_TRUE(s.workspace.selection().isSelectionMode());
    // Enter with nothing picked asks again.
    s.workspace.console().processInput(QString());
    EXPECT_EQ(s.message(), QStringLiteral("Delete: Select the objects to be deleted and press Return/Enter"));
    // Another operation taking the console finishes it without a selection.
    s.select({s.a});
    const boost::shared_ptr<MoveObject> move(new MoveObject(&s.workspace));
    s.workspace.console().requestVector(move.get(), nullptr);
    EXPECT_EQ(s.message(), QStringLiteral("Delete: Operation canceled, no selected objects."));
    EXPECT_EQ(s.count(), 2);
    EXPECT_TRUE(s.workspace.history().undoName().isEmpty());
}

TEST(SelectVolumesOperation, TypedNStartsWithoutAVolume)
{
    Scene s;
    const boost::shared_ptr<CallbackObserver> observer(new CallbackObserver);
    const boost::shared_ptr<SelectVolumesOperation> select(new SelectVolumesOperation(&s.workspace));
    select->setObserver(observer);
    s.workspace.startOperation(select);
    EXPECT_EQ(s.message(), QStringLiteral("Select volumes: Select a cell volume and press Enter/Return. To start "
                                          "without a cell volume type N and press Enter/Return."));
    EXPECT_EQ(observer->calls, 0);
    s.workspace.console().processInput(QStringLiteral("n"));
    EXPECT_EQ(observer->calls, 1);
    EXPECT_TRUE(select->isReady());
    EXPECT_FALSE(select->getVolume());
    EXPECT_FALSE(s.workspace.currentOperation());
}

TEST(SelectVolumesOperation, APickedVolumeIsTaken)
{
    Scene s;
    const boost::shared_ptr<CallbackObserver> observer(new CallbackObserver);
    const boost::shared_ptr<SelectVolumesOperation> select(new SelectVolumesOperation(&s.workspace));
    select->setObserver(observer);
    s.workspace.startOperation(select);
    s.select({s.b});
    s.workspace.console().processInput(QString());
    EXPECT_EQ(select->getVolume(), s.b);
    EXPECT_EQ(observer->calls, 1);
    EXPECT_FALSE(s.workspace.selection().isSelectionMode());
}

TEST(ChangeTotalVolumeVisualizationOptions, AcceptedOptionsReachThePainter)
{
    Workspace workspace;
    const VolumePtr volume = makeVolume();
    workspace.document().addObject(volume);
    const boost::shared_ptr<ChangeTotalVolumeVisualizationOptions> change(
        new ChangeTotalVolumeVisualizationOptions(&workspace));
    const boost::shared_ptr<CallbackObserver> observer(new CallbackObserver);
    Model::Geometry::VisualizationOptions seen;
    observer->callback = [&]() {
        seen = change->currentOptions();
        change->setOptions(false, true, false, false, false, true, Model::Geometry::VisualizationOptions::Octree, 1, 2);
    };
    change->setObserver(observer);
    workspace.startOperation(change);
    EXPECT_EQ(seen, Model::Geometry::VisualizationOptions()); // the dialog starts from the painter
    const Model::Geometry::VisualizationOptions now = volume->getPainter().getOptions();
    EXPECT_EQ(now.viewIndex, Model::Geometry::VisualizationOptions::Octree);
    EXPECT_TRUE(now.renderEmptyVoxelOutlines);
    EXPECT_EQ(now.distributionToRender, 1);
    EXPECT_EQ(now.colorScale, 2);
    EXPECT_EQ(workspace.console().lastMessage(), QStringLiteral("Change Visualization: Options changed."));
    EXPECT_FALSE(workspace.currentOperation());
}

TEST(ChangeTotalVolumeVisualizationOptions, RejectedDialogCancels)
{
    Workspace workspace;
    const VolumePtr volume = makeVolume();
    workspace.document().addObject(volume);
    const boost::shared_ptr<ChangeTotalVolumeVisualizationOptions> change(
        new ChangeTotalVolumeVisualizationOptions(&workspace));
    change->setObserver(boost::shared_ptr<Util::IObserver>(new CallbackObserver));
    workspace.startOperation(change);
    EXPECT_EQ(workspace.console().lastMessage(), QStringLiteral("Change Visualization: Operation Canceled!"));
    EXPECT_EQ(volume->getPainter().getOptions(), Model::Geometry::VisualizationOptions());
    EXPECT_FALSE(workspace.currentOperation());
}

// The sequence: a cancelled Delete must not leave the console waiting for an
// Enter that swallows the move's next line.
TEST(MoveObject, WorksAfterACancelledDeleteAndARejectedLine)
{
    Scene s;
    const boost::shared_ptr<Operation> remove(new DeleteObject(&s.workspace));
    s.workspace.startOperation(remove);
    remove->cancel();
    s.select({s.a});
    const boost::shared_ptr<MoveObject> move(new MoveObject(&s.workspace));
    s.workspace.startOperation(move);
    s.workspace.console().processInput(QStringLiteral("10 0 0"));
    EXPECT_EQ(s.message(), QStringLiteral("Invalid entry. Enter the x, y, z coordinates."));
    s.workspace.console().processInput(QStringLiteral("10, 0, 0"));
    EXPECT_EQ(s.message(), QStringLiteral("Move: Object(s) moved"));
    EXPECT_EQ(s.a->getPosition(), Util::Vector3D(10, 0, 0));
    EXPECT_FALSE(s.a->isTemporary());
    EXPECT_EQ(s.workspace.history().undoName(), QStringLiteral("Move Objects"));
}

// Undo of a copy and redo of a delete take objects out of the document; none of them
// may stay selected or reach the next operation.
TEST(Selection, UndoAndRedoDropObjectsThatLeftTheDocument)
{
    Scene s;
    s.select({s.a});
    s.workspace.startOperation(boost::shared_ptr<Operation>(new CopyObject(&s.workspace)));
    s.workspace.console().processInput(QStringLiteral("0, 10, 0"));
    ASSERT_EQ(s.count(), 3);
    const boost::shared_ptr<Model::Object> added = s.workspace.document().getObjects().last();

    s.select({VolumePtr(boost::dynamic_pointer_cast<TotalVolume>(added))});
    ASSERT_TRUE(s.workspace.history().undo());
    EXPECT_FALSE(added->isSelected());
    EXPECT_TRUE(s.workspace.selection().getSelected().isEmpty());
    EXPECT_TRUE(s.workspace.viewPicks().getSelected().isEmpty());

    // Delete now has nothing to act on: it asks, and the redo entry survives.
    s.workspace.startOperation(boost::shared_ptr<Operation>(new DeleteObject(&s.workspace)));
    EXPECT_EQ(s.message(), QStringLiteral("Delete: Select the objects to be deleted and press Return/Enter"));
    s.workspace.currentOperation()->cancel();
    EXPECT_EQ(s.workspace.history().redoName(), QStringLiteral("Copy Objects"));
    EXPECT_EQ(s.workspace.history().undoName(), QString());

    // Redo of a delete likewise drops the deleted object, keeping the others.
    ASSERT_TRUE(s.workspace.history().redo());
    s.select({s.b});
    s.workspace.startOperation(boost::shared_ptr<Operation>(new DeleteObject(&s.workspace)));
    ASSERT_TRUE(s.workspace.history().undo());
    s.select({s.a, s.b});
    ASSERT_TRUE(s.workspace.history().redo());
    EXPECT_FALSE(s.b->isSelected());
    EXPECT_TRUE(s.a->isSelected());
    EXPECT_EQ(s.workspace.selection().getSelected(), QList<boost::shared_ptr<Model::Object>>{s.a});
    EXPECT_EQ(s.workspace.viewPicks().getSelected(), QList<boost::shared_ptr<Model::Object>>{s.a});
}

// Whatever removed an object, an operation reading the picks never sees it.
TEST(Selection, PicksNeverNameAnObjectOutsideTheDocument)
{
    Scene s;
    s.select({s.a, s.b});
    s.workspace.document().removeObject(s.b);
    EXPECT_EQ(s.workspace.viewPicks().getSelected(), QList<boost::shared_ptr<Model::Object>>{s.a});
}
