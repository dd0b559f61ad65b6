#include "Core/Operations/processoperation.h"
#include "Core/Operations/workspace.h"
#include "Core/Steps/declare.h"
#include "Core/Steps/steprun.h"
#include "Model/Automaton/totalvolume.h"
#include "Util/slabrunner.h"

#include "volumetestsupport.h"

#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include <QFile>
#include <QThreadPool>

using namespace Core::Operations;
using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;

namespace {

// A trivial step: every empty cell touching a solid cell below turns into the material.
int cap(Core::Steps::StepRun &run)
{
    TotalVolume &volume = run.volume();
    const uint32_t material = run.material("Material");
    CellLock lock(volume);
    Voxel *cells = lock.cells();
    const unsigned sy = volume.getSizeY(), sz = volume.getSizeZ();
    const Util::SlabPlan plan =
        Util::planSlabs(0, volume.getSizeX(), Util::defaultSlabCount(), Util::SlabSplit::RemainderByThickness);
    Util::runSlabs(plan, [&](const Util::SlabRange &r, unsigned) {
        for (unsigned x = r.first; x < r.last; ++x)
            for (unsigned y = 0; y < sy; ++y)
                for (unsigned z = sz - 1; z > 0; --z) {
                    const size_t i = (size_t(x) * sy + y) * sz + z;
                    if (cells[i].material == 0 && cells[i - 1].material != 0) {
                        cells[i].material = material;
                        break;
                    }
                }
    });
    return Core::Steps::StepSucceeded;
}

const Core::Steps::StepDefinition &capStep()
{
    static const Core::Steps::StepDefinition definition = [] {
        Core::Steps::StepDefinition d;
        d.name = QStringLiteral("Cap");
        d.parameters = {Core::Steps::Declare::material()};
        // It may cover silicon with silicon: undo outdates the lattice.
        d.lattice = Core::Steps::LatticeEffect::Stale;
        d.run = cap;
        return d;
    }();
    return definition;
}

class CapOperation : public ProcessOperation
{
public:
    explicit CapOperation(Workspace *ws) : ProcessOperation(ws, QStringLiteral("Cap"), 77, QStringLiteral("Cap"), &capStep())
    {
    }
};

// Stands in for the options dialog: accepts with a material, or rejects.
class FakeDialogObserver : public Util::IObserver
{
public:
    boost::weak_ptr<CapOperation> operation;
    bool accept = true;
    uint32_t material = 9;
    int shown = 0;
    void notify() override
    {
        ++shown;
        const boost::shared_ptr<CapOperation> op = operation.lock();
        if (op && accept)
            op->setValues({{"Material", material}});
    }
};

boost::shared_ptr<TotalVolume> substrate(unsigned sx, unsigned sy, unsigned sz, unsigned layers)
{
    std::vector<uint32_t> m(size_t(sx) * sy * sz, 0);
    for (size_t i = 0; i < m.size(); ++i)
        if (i % sz < layers)
            m[i] = 1;
    return boost::shared_ptr<TotalVolume>(new TotalVolume(sx, sy, sz, 1, 1, 1, Util::Vector3D(), m));
}

using TestSupport::materialsOf;

struct Harness
{
    Workspace ws;
    boost::shared_ptr<CapOperation> op;
    boost::shared_ptr<FakeDialogObserver> dialog{new FakeDialogObserver};

    boost::shared_ptr<CapOperation> start()
    {
        op.reset(new CapOperation(&ws));
        dialog->operation = op;
        op->setDialogObserver(dialog);
        ws.startOperation(op);
        return op;
    }
};

} // namespace

TEST(ProcessOperation, SingleVolumeIsTakenWithoutAskingAndTheStepRuns)
{
    Harness h;
    const boost::shared_ptr<TotalVolume> volume = substrate(4, 3, 5, 2);
    h.ws.document().addObject(volume);
    h.start();
    EXPECT_EQ(h.dialog->shown, 1);
    EXPECT_EQ(h.ws.console().lastMessage(), QStringLiteral("Cap: Operation finished."));
    EXPECT_EQ(h.ws.history().undoName(), QStringLiteral("Cap"));
    EXPECT_FALSE(h.ws.currentOperation());
    CellLock lock(*volume);
    EXPECT_EQ(lock.cells()[volume->cellIndex(3, 2, 2)].material, 9u);
    EXPECT_EQ(lock.cells()[volume->cellIndex(3, 2, 3)].material, 0u);
}

TEST(ProcessOperation, RejectedDialogCancelsWithoutAnUndoEntry)
{
    Harness h;
    const boost::shared_ptr<TotalVolume> volume = substrate(2, 2, 3, 1);
    const std::vector<uint32_t> before = materialsOf(*volume);
    h.ws.document().addObject(volume);
    h.dialog->accept = false;
    h.start();
    EXPECT_EQ(h.ws.console().lastMessage(), QStringLiteral("Cap: Operation canceled."));
    EXPECT_EQ(h.ws.history().undoCount(), 0u);
    EXPECT_EQ(materialsOf(*volume), before);
}

TEST(ProcessOperation, WithSeveralObjectsItAsksForAPickAndEnter)
{
    Harness h;
    const boost::shared_ptr<TotalVolume> a = substrate(2, 2, 3, 1), b = substrate(2, 2, 3, 1);
    h.ws.document().addObject(a);
    h.ws.document().addObject(b);
    h.start();
    EXPECT_EQ(h.ws.console().lastMessage(), QStringLiteral("Cap: Select a cell volume and press Enter/Return."));
    EXPECT_TRUE(h.ws.selection().isSelectionMode());
    EXPECT_EQ(h.dialog->shown, 0);

    // The user clicks b in the view, then presses Enter.
    ASSERT_TRUE(h.ws.selection().toggleByIds({b->getId()}));
    h.ws.selection().publish();
    h.ws.console().processInput(QString());
    EXPECT_EQ(h.dialog->shown, 1);
    EXPECT_FALSE(h.ws.selection().isSelectionMode());
    EXPECT_EQ(h.op->getVolume(), b);
    EXPECT_FALSE(b->isSelected());
    EXPECT_EQ(h.ws.console().lastMessage(), QStringLiteral("Cap: Operation finished."));
    EXPECT_EQ(materialsOf(*a), materialsOf(*substrate(2, 2, 3, 1)));
}

TEST(ProcessOperation, EnterWithoutAPickCancels)
{
    Harness h;
    h.ws.document().addObject(substrate(2, 2, 3, 1));
    h.ws.document().addObject(substrate(2, 2, 3, 1));
    h.start();
    h.ws.console().processInput(QString());
    EXPECT_EQ(h.ws.console().lastMessage(), QStringLiteral("Cap: Select a cell volume and press Enter/Return."));
    // Only once another operation takes over is the waiting one cancelled.
    h.ws.startOperation(boost::shared_ptr<Operation>());
}

TEST(ProcessOperation, UndoRedoRoundTripThroughTheScratchFiles)
{
    Harness h;
    const boost::shared_ptr<TotalVolume> volume = substrate(200, 200, 100, 30);
    const std::vector<uint32_t> before = materialsOf(*volume);
    h.ws.document().addObject(volume);
    h.start();
    const std::vector<uint32_t> after = materialsOf(*volume);
    ASSERT_NE(before, after);

    h.ws.setLatticeStale(volume->getId(), false);
    ASSERT_TRUE(h.ws.history().undo());
    EXPECT_EQ(materialsOf(*volume), before);
    EXPECT_TRUE(h.ws.isLatticeStale(volume->getId()));
    ASSERT_TRUE(h.ws.history().redo());
    EXPECT_EQ(materialsOf(*volume), after);
    ASSERT_TRUE(h.ws.history().undo());
    EXPECT_EQ(materialsOf(*volume), before);
}

TEST(ProcessOperation, TruncatedSnapshotLeavesTheCellsAsTheyAre)
{
    Harness h;
    const boost::shared_ptr<TotalVolume> volume = substrate(6, 5, 4, 1);
    h.ws.document().addObject(volume);
    h.start();
    const std::vector<uint32_t> after = materialsOf(*volume);

    QFile undo(h.ws.persistence().undoFileName());
    ASSERT_TRUE(undo.open(QIODevice::ReadWrite));
    ASSERT_TRUE(undo.resize(undo.size() / 2));
    undo.close();

    EXPECT_TRUE(h.ws.history().undo());
    EXPECT_EQ(materialsOf(*volume), after);
    EXPECT_TRUE(h.ws.console().lastMessage().contains(QStringLiteral("could not be read")));
}

TEST(ProcessOperation, ResultDoesNotDependOnTheSlabCount)
{
    QThreadPool *pool = QThreadPool::globalInstance();
    const int saved = pool->maxThreadCount();
    std::vector<uint32_t> reference;
    for (int threads : {1, 2, 3, 7}) {
        pool->setMaxThreadCount(threads);
        Harness h;
        const boost::shared_ptr<TotalVolume> volume = substrate(13, 4, 6, 2);
        h.ws.document().addObject(volume);
        h.start();
        const std::vector<uint32_t> result = materialsOf(*volume);
        if (reference.empty())
            reference = result;
        EXPECT_EQ(result, reference) << threads << " threads";
    }
    pool->setMaxThreadCount(saved);
}
