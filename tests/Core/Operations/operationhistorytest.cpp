#include "Core/Operations/ioperationfactory.h"
#include "Core/Operations/operation.h"
#include "Core/Operations/workspace.h"

#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>

using namespace Core::Operations;

namespace {

class CountingObserver : public Util::IObserver
{
public:
    void notify() override { ++count; }
    int count = 0;
};

// An undoable operation whose undo answer the test chooses.
class ScriptedOperation : public ObjectOperation
{
public:
    ScriptedOperation(Workspace *ws, const QString &name, int undoAnswer = Undone)
        : ObjectOperation(name, 1), workspace(ws), answer(undoAnswer)
    {
    }
    void proceed() override { finish(); }
    void cancel() override
    {
        ++cancels;
        workspace->endOperation();
    }
    void finish() override { workspace->completeOperation(); }
    int undo() override
    {
        ++undos;
        return answer;
    }
    void redo() override { ++redos; }
    Workspace *workspace;
    int answer;
    int cancels = 0, undos = 0, redos = 0;
};

// Waits for Enter until cancelled.
class WaitingOperation : public Operation
{
public:
    explicit WaitingOperation(Workspace *ws) : Operation(QStringLiteral("Waiting"), 2), workspace(ws) {}
    void proceed() override { workspace->console().waitForEnter(this); }
    void cancel() override
    {
        ++cancels;
        workspace->console().reset();
        workspace->endOperation();
    }
    void finish() override { workspace->endOperation(); }
    Workspace *workspace;
    int cancels = 0;
};

class Factory : public IOperationFactory
{
public:
    explicit Factory(Workspace **ws) : workspace(ws) {}
    boost::shared_ptr<Operation> create(int typeNumber) override
    {
        if (typeNumber == 1)
            return boost::shared_ptr<Operation>(new ScriptedOperation(*workspace, QStringLiteral("Op")));
        if (typeNumber == 2)
            return boost::shared_ptr<Operation>(new WaitingOperation(*workspace));
        return boost::shared_ptr<Operation>();
    }
    Workspace **workspace;
};

boost::shared_ptr<ScriptedOperation> run(Workspace &ws, const QString &name, int answer = ObjectOperation::Undone)
{
    boost::shared_ptr<ScriptedOperation> op(new ScriptedOperation(&ws, name, answer));
    ws.startOperation(op);
    return op;
}

} // namespace

TEST(OperationHistory, UndoRedoMoveEntriesBetweenTheStacks)
{
    Workspace ws;
    const boost::shared_ptr<CountingObserver> undoObs(new CountingObserver), redoObs(new CountingObserver);
    ws.history().addUndoObserver(undoObs);
    ws.history().addRedoObserver(redoObs);

    const boost::shared_ptr<ScriptedOperation> a = run(ws, QStringLiteral("A"));
    const boost::shared_ptr<ScriptedOperation> b = run(ws, QStringLiteral("B"));
    EXPECT_EQ(ws.history().undoName(), QStringLiteral("B"));
    EXPECT_EQ(undoObs->count, 2);
    EXPECT_EQ(redoObs->count, 2);
    EXPECT_FALSE(ws.currentOperation());

    EXPECT_TRUE(ws.history().undo());
    EXPECT_EQ(b->undos, 1);
    EXPECT_EQ(ws.history().undoName(), QStringLiteral("A"));
    EXPECT_EQ(ws.history().redoName(), QStringLiteral("B"));

    EXPECT_TRUE(ws.history().redo());
    EXPECT_EQ(b->redos, 1);
    EXPECT_EQ(ws.history().undoName(), QStringLiteral("B"));
    EXPECT_TRUE(ws.history().redoName().isEmpty());
}

TEST(OperationHistory, RefusedUndoStaysAndOtherAnswersDrop)
{
    Workspace ws;
    run(ws, QStringLiteral("A"));
    run(ws, QStringLiteral("Refuses"), ObjectOperation::UndoRefused);
    EXPECT_TRUE(ws.history().undo());
    EXPECT_EQ(ws.history().undoCount(), 2u);
    EXPECT_EQ(ws.history().undoName(), QStringLiteral("Refuses"));
    EXPECT_EQ(ws.history().redoCount(), 0u);

    Workspace ws2;
    run(ws2, QStringLiteral("Drops"), 7);
    EXPECT_TRUE(ws2.history().undo());
    EXPECT_EQ(ws2.history().undoCount(), 0u);
    EXPECT_EQ(ws2.history().redoCount(), 0u);
}

TEST(OperationHistory, PushAfterUndoEmptiesRedoAndEmptyStacksReturnFalse)
{
    Workspace ws;
    EXPECT_FALSE(ws.history().undo());
    EXPECT_FALSE(ws.history().redo());
    run(ws, QStringLiteral("A"));
    ws.history().undo();
    ASSERT_EQ(ws.history().redoCount(), 1u);
    run(ws, QStringLiteral("B"));
    EXPECT_EQ(ws.history().redoCount(), 0u);
    ws.history().clear();
    EXPECT_EQ(ws.history().undoCount(), 0u);
}

TEST(OperationHistory, UndoCancelsTheCurrentOperation)
{
    Workspace *wsp = nullptr;
    Workspace ws(boost::shared_ptr<IOperationFactory>(new Factory(&wsp)));
    wsp = &ws;
    run(ws, QStringLiteral("A"));
    ws.activateOperation(2);
    const boost::shared_ptr<WaitingOperation> waiting = boost::dynamic_pointer_cast<WaitingOperation>(ws.currentOperation());
    ASSERT_TRUE(waiting);
    ws.history().undo();
    EXPECT_EQ(waiting->cancels, 1);
    EXPECT_FALSE(ws.currentOperation());
}

TEST(Workspace, ActivationCancelsTheCurrentAndUnknownNumbersLeaveNone)
{
    Workspace *wsp = nullptr;
    Workspace ws(boost::shared_ptr<IOperationFactory>(new Factory(&wsp)));
    wsp = &ws;
    ws.activateOperation(2);
    const boost::shared_ptr<WaitingOperation> first = boost::dynamic_pointer_cast<WaitingOperation>(ws.currentOperation());
    ASSERT_TRUE(first);
    EXPECT_EQ(ws.console().receiver(), first.get());
    ws.activateOperation(42);
    EXPECT_EQ(first->cancels, 1);
    EXPECT_FALSE(ws.currentOperation());
    EXPECT_EQ(ws.console().receiver(), nullptr);
    ws.activateOperation(1);
    EXPECT_EQ(ws.history().undoCount(), 1u);
}

TEST(Workspace, LatticeIsStaleUntilMarkedFresh)
{
    Workspace ws;
    EXPECT_TRUE(ws.isLatticeStale(5));
    ws.setLatticeStale(5, false);
    EXPECT_FALSE(ws.isLatticeStale(5));
    EXPECT_TRUE(ws.isLatticeStale(6));
}
