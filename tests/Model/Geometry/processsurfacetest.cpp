#include "geometrytestsupport.h"

#include "Core/Operations/processoperation.h"
#include "Core/Steps/steprun.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"

#include <gtest/gtest.h>

#include <boost/weak_ptr.hpp>

using namespace GeometryTest;
using Core::Operations::ProcessOperation;
using Core::Operations::Workspace;
using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;

namespace {

// A process step that fills the empty cell at (0, 0, 1) with a translucent material.
int drop(Core::Steps::StepRun &run)
{
    CellLock lock(run.volume());
    lock.cells()[run.volume().cellIndex(0, 0, 1)].material = GlassA;
    return Core::Steps::StepSucceeded;
}

const Core::Steps::StepDefinition &dropStep()
{
    static const Core::Steps::StepDefinition definition = [] {
        Core::Steps::StepDefinition d;
        d.name = QStringLiteral("Drop");
        d.run = drop;
        return d;
    }();
    return definition;
}

class DropOperation : public ProcessOperation
{
public:
    explicit DropOperation(Workspace *ws) : ProcessOperation(ws, QStringLiteral("Drop"), 78, QStringLiteral("Drop"), &dropStep())
    {
        setValues(QVariantMap());
    }
};

class Accept : public Util::IObserver
{
public:
    void notify() override {}
};

// The step, its undo and its redo each leave the surface matching the cells.
TEST(ProcessSurface, EveryStepUndoAndRedoRebuildsTheSurface)
{
    Workspace ws;
    boost::shared_ptr<TotalVolume> volume(
        new TotalVolume(2, 1, 2, 1, 1, 1, Util::Vector3D(), std::vector<uint32_t>{OpaqueA, 0, OpaqueA, 0}));
    volume->getPainter().setColorOverride(testColors());
    volume->getPainter().regenerate();
    ws.document().addObject(volume);
    ASSERT_EQ(volume->getPainter().opaqueFaces().size(), 10u);
    ASSERT_TRUE(volume->getPainter().translucentFaces().empty());

    boost::shared_ptr<DropOperation> op(new DropOperation(&ws));
    op->setDialogObserver(boost::shared_ptr<Util::IObserver>(new Accept));
    ws.startOperation(op);
    ASSERT_EQ(ws.history().undoCount(), 1u);
    EXPECT_EQ(volume->getPainter().opaqueFaces().size(), 10u);
    EXPECT_EQ(volume->getPainter().translucentFaces().size(), 5u);
    EXPECT_TRUE(volume->getPainter().translucentTree());

    ASSERT_TRUE(ws.history().undo());
    EXPECT_TRUE(volume->getPainter().translucentFaces().empty());
    ASSERT_TRUE(ws.history().redo());
    EXPECT_EQ(volume->getPainter().translucentFaces().size(), 5u);
}

} // namespace
