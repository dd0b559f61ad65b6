#include "Core/Operations/stepoperations.h"
#include "Core/Operations/workspace.h"
#include "wetetchtestsupport.h"

#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

using namespace Core::Operations;
using namespace WetEtchTest;
using Model::Automaton::SiLattice;
using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;

namespace {

// Stands in for the options dialog: accepts with a depth, or rejects.
class FakeDepthDialog : public Util::IObserver
{
public:
    boost::weak_ptr<ProcessOperation> operation;
    bool accept = true;
    double depth = 1.0;
    int shown = 0;
    void notify() override
    {
        ++shown;
        const boost::shared_ptr<ProcessOperation> op = operation.lock();
        if (op && accept)
            op->setValues({{"Depth", depth}});
    }
};

// Keeps every console line.
class ConsoleLog : public Util::IObserver
{
public:
    explicit ConsoleLog(ConsoleModel *console) : m_console(console) {}
    void notify() override { lines << m_console->lastMessage(); }
    QStringList lines;

private:
    ConsoleModel *m_console;
};

struct Harness
{
    Workspace ws;
    boost::shared_ptr<FakeDepthDialog> dialog{new FakeDepthDialog};

    template <class Op>
    boost::shared_ptr<Op> start()
    {
        boost::shared_ptr<Op> op(new Op(&ws));
        dialog->operation = op;
        op->setDialogObserver(dialog);
        ws.startOperation(op);
        return op;
    }
};

std::vector<uint32_t> materials(TotalVolume &volume)
{
    std::vector<uint32_t> out;
    for (const WetEtchTest::CellRecord &v : cellsOf(volume))
        out.push_back(v.material);
    return out;
}

template <class Op>
class WetEtchOperations : public ::testing::Test
{
};

typedef ::testing::Types<AtomisticSiWetEtchingOperation, ContinousWetEtchOperation> OperationTypes;
TYPED_TEST_SUITE(WetEtchOperations, OperationTypes);

} // namespace

TEST(WetEtchOperationNames, NamesAndNumbers)
{
    Workspace ws;
    AtomisticSiWetEtchingOperation bca(&ws);
    ContinousWetEtchOperation cca(&ws);
    EXPECT_EQ(bca.getName(), QStringLiteral("BCA Wet Etch"));
    EXPECT_EQ(bca.getTypeNumber(), 28);
    EXPECT_EQ(cca.getName(), QStringLiteral("Continuous Wet Etch"));
    EXPECT_EQ(cca.getTypeNumber(), 29);
}

TYPED_TEST(WetEtchOperations, EtchesBuildsTheLatticeOnceAndUndoesWithTheLatticeMarkedStale)
{
    Harness h;
    const auto volume = makeVolume(12, 12, 6, flatTop(4));
    h.ws.document().addObject(volume);
    const std::vector<uint32_t> before = materials(*volume);

    const auto op = h.template start<TypeParam>();
    EXPECT_EQ(h.dialog->shown, 1);
    EXPECT_EQ(h.ws.console().lastMessage(), op->getName() + QStringLiteral(": Operation finished."));
    EXPECT_NE(materials(*volume), before);
    EXPECT_EQ(h.ws.history().undoCount(), 1u);
    EXPECT_FALSE(h.ws.isLatticeStale(volume->getId()));
    const boost::shared_ptr<SiLattice> first = volume->getLattice();
    ASSERT_TRUE(first);

    // A second etch keeps the lattice while nothing else touched the volume...
    h.template start<TypeParam>();
    EXPECT_EQ(volume->getLattice(), first);
    // ...and rebuilds it once another step marked it stale.
    h.ws.setLatticeStale(volume->getId(), true);
    const std::vector<uint32_t> second = materials(*volume);
    h.template start<TypeParam>();
    EXPECT_NE(volume->getLattice(), first);
    EXPECT_FALSE(h.ws.isLatticeStale(volume->getId()));
    const std::vector<uint32_t> third = materials(*volume);

    // The atoms an etch removed are not in the undo record: undo and redo put
    // the cells back and leave the lattice to be built again from them.
    ASSERT_TRUE(h.ws.history().undo());
    EXPECT_EQ(materials(*volume), second);
    EXPECT_TRUE(h.ws.isLatticeStale(volume->getId()));
    h.ws.setLatticeStale(volume->getId(), false);
    ASSERT_TRUE(h.ws.history().redo());
    EXPECT_EQ(materials(*volume), third);
    EXPECT_TRUE(h.ws.isLatticeStale(volume->getId()));
}

TYPED_TEST(WetEtchOperations, RejectedDialogCancelsAndLeavesTheVolume)
{
    Harness h;
    const auto volume = makeVolume(6, 6, 6, flatTop(4));
    h.ws.document().addObject(volume);
    const std::vector<uint32_t> before = materials(*volume);
    h.dialog->accept = false;
    const auto op = h.template start<TypeParam>();
    EXPECT_EQ(h.ws.console().lastMessage(), op->getName() + QStringLiteral(": Operation canceled."));
    EXPECT_EQ(materials(*volume), before);
    EXPECT_FALSE(volume->getLattice());
    EXPECT_FALSE(h.ws.currentOperation());
}

TYPED_TEST(WetEtchOperations, WithSeveralObjectsItAsksForAVolume)
{
    Harness h;
    const auto a = makeVolume(6, 6, 6, flatTop(4)), b = makeVolume(6, 6, 6, flatTop(4));
    h.ws.document().addObject(a);
    h.ws.document().addObject(b);
    const auto op = h.template start<TypeParam>();
    EXPECT_EQ(h.ws.console().lastMessage(), op->getName() + QStringLiteral(": Select a cell volume and press Enter/Return."));
    EXPECT_TRUE(h.ws.selection().isSelectionMode());
    ASSERT_TRUE(h.ws.selection().toggleByIds({b->getId()}));
    h.ws.selection().publish();
    h.ws.console().processInput(QString());
    EXPECT_EQ(op->getVolume(), b);
    EXPECT_EQ(h.ws.console().lastMessage(), op->getName() + QStringLiteral(": Operation finished."));
    EXPECT_FALSE(a->getLattice());
}

TYPED_TEST(WetEtchOperations, ALatticeTooLargeIsRefusedWithAMessageAndNothingChanges)
{
    Harness h;
    const auto volume = makeVolume(10, 10, 6, flatTop(4));
    h.ws.document().addObject(volume);
    const std::vector<uint32_t> before = materials(*volume);
    const boost::shared_ptr<ConsoleLog> log(new ConsoleLog(&h.ws.console()));
    h.ws.console().addObserver(log);
    SiLattice::setMemoryBudget(4096);
    const auto op = h.template start<TypeParam>();
    SiLattice::setMemoryBudget(0);
    ASSERT_GE(log->lines.size(), 2);
    const QString refusal = log->lines.at(log->lines.size() - 2);
    EXPECT_TRUE(refusal.startsWith(op->getName() + QStringLiteral(": The silicon lattice"))) << refusal.toStdString();
    EXPECT_TRUE(refusal.contains(QStringLiteral("memory")));
    EXPECT_EQ(h.ws.console().lastMessage(), op->getName() + QStringLiteral(": Operation canceled."));
    EXPECT_EQ(materials(*volume), before);
    EXPECT_FALSE(volume->getLattice());
    EXPECT_TRUE(h.ws.isLatticeStale(volume->getId()));
    EXPECT_FALSE(h.ws.currentOperation());
}

TYPED_TEST(WetEtchOperations, CancelPutsTheCellsBackAndTheNextEtchStartsFromThem)
{
    Harness h;
    const auto volume = makeVolume(12, 12, 6, flatTop(4));
    h.ws.document().addObject(volume);
    const std::vector<uint32_t> before = materials(*volume);
    // Build the lattice with a first etch, so that the cancelled one has atoms to lose.
    h.template start<TypeParam>();
    const std::vector<uint32_t> once = materials(*volume);
    ASSERT_NE(once, before);

    // Cancel pressed as the engine finished: the etch had changed the cells and atoms.
    const boost::shared_ptr<TestSupport::FakeStepProgress> progress(
        new TestSupport::FakeStepProgress(TestSupport::FakeStepProgress::After));
    h.ws.setStepProgress(progress);
    const auto op = h.template start<TypeParam>();
    ASSERT_EQ(progress->names.size(), 1u);
    EXPECT_EQ(materials(*volume), once);
    EXPECT_EQ(h.ws.console().lastMessage(), op->getName() + QStringLiteral(": Operation canceled."));
    EXPECT_TRUE(h.ws.isLatticeStale(volume->getId()));
    EXPECT_FALSE(h.ws.currentOperation());

    // The next etch works from the restored cells, as the second of two etches would.
    const auto reference = makeVolume(12, 12, 6, flatTop(4));
    Harness r;
    r.ws.document().addObject(reference);
    r.template start<TypeParam>();
    r.ws.setLatticeStale(reference->getId(), true);
    r.template start<TypeParam>();
    progress->when = TestSupport::FakeStepProgress::Never;
    h.template start<TypeParam>();
    EXPECT_EQ(materials(*volume), materials(*reference));
}
