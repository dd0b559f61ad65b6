#include "Core/Operations/consolemodel.h"
#include "Core/Operations/operation.h"
#include "Util/iobserver.h"

#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>

#include <memory>

using Core::Operations::ConsoleModel;
using Core::Operations::Operation;

namespace {

class RecordingOperation : public Operation
{
public:
    RecordingOperation() : Operation(QStringLiteral("Recorder"), 99) {}
    void proceed() override { ++proceeds; }
    void cancel() override { ++cancels; }
    void finish() override { ++finishes; }
    int proceeds = 0, cancels = 0, finishes = 0;
};

class CountingObserver : public Util::IObserver
{
public:
    void notify() override { ++count; }
    int count = 0;
};

struct VectorCase
{
    const char *line;
    bool ok;
    double x, y, z;
};

class ConsoleVectorInput : public ::testing::TestWithParam<VectorCase>
{
};

} // namespace

TEST_P(ConsoleVectorInput, ParsesCommaSeparatedTriples)
{
    const VectorCase &c = GetParam();
    ConsoleModel console;
    RecordingOperation op;
    Util::Vector4D target(-1, -1, -1, 7);
    bool completed = true;
    console.requestVector(&op, &target, &completed);
    EXPECT_FALSE(completed);
    console.processInput(QString::fromLatin1(c.line));
    if (c.ok) {
        EXPECT_TRUE(completed);
        EXPECT_EQ(op.proceeds, 1);
        EXPECT_EQ(target, Util::Vector4D(c.x, c.y, c.z, 7));
        EXPECT_EQ(console.receiver(), nullptr);
        EXPECT_EQ(console.requestKind(), ConsoleModel::NoRequest);
    } else {
        EXPECT_FALSE(completed);
        EXPECT_EQ(op.proceeds, 0);
        EXPECT_EQ(console.lastMessage(), QStringLiteral("Invalid entry. Enter the x, y, z coordinates."));
        // The request stays for the next try.
        EXPECT_EQ(console.receiver(), &op);
        EXPECT_EQ(console.requestKind(), ConsoleModel::VectorRequest);
    }
}

INSTANTIATE_TEST_SUITE_P(Lines, ConsoleVectorInput,
                         ::testing::Values(VectorCase{"1,2,3", true, 1, 2, 3},
                                           VectorCase{"1, 2, 3", true, 1, 2, 3},
                                           VectorCase{"-1.5 ,2e1,  .25", true, -1.5, 20, 0.25},
                                           VectorCase{"1 2 3", false, 0, 0, 0},
                                           VectorCase{"1,2", false, 0, 0, 0},
                                           VectorCase{"a,b,c", false, 0, 0, 0}));

TEST(ConsoleModel, EnterGoesToTheWaitingOperationOnce)
{
    ConsoleModel console;
    RecordingOperation op;
    bool pressed = false;
    console.waitForEnter(&op, &pressed);
    console.processInput(QString());
    EXPECT_TRUE(pressed);
    EXPECT_EQ(op.proceeds, 1);
    EXPECT_EQ(console.receiver(), nullptr);
    console.processInput(QString());
    EXPECT_EQ(op.proceeds, 1);
}

TEST(ConsoleModel, TextRequestStoresTheLine)
{
    ConsoleModel console;
    RecordingOperation op;
    QString text;
    console.requestText(&op, &text);
    console.processInput(QStringLiteral("hello world"));
    EXPECT_EQ(text, QStringLiteral("hello world"));
    EXPECT_EQ(op.proceeds, 1);
    EXPECT_EQ(console.receiver(), nullptr);
}

TEST(ConsoleModel, NewRequesterFinishesTheWaitingOperationFirst)
{
    ConsoleModel console;
    RecordingOperation first, second;
    console.waitForEnter(&first);
    Util::Vector4D target;
    console.requestVector(&second, &target);
    EXPECT_EQ(first.finishes, 1);
    EXPECT_EQ(console.receiver(), &second);
    // The same operation asking again is not finished.
    console.requestVector(&second, &target);
    EXPECT_EQ(second.finishes, 0);
}

TEST(ConsoleModel, LineWithoutReceiverOrDestroyedReceiverDoesNothing)
{
    ConsoleModel console;
    console.processInput(QStringLiteral("1,2,3"));
    EXPECT_TRUE(console.lastMessage().isEmpty());
    {
        RecordingOperation op;
        console.waitForEnter(&op);
    }
    console.processInput(QString()); // must not touch the destroyed operation
    EXPECT_EQ(console.receiver(), nullptr);
}

TEST(ConsoleModel, ObserversHearOnlyNonEmptyMessages)
{
    ConsoleModel console;
    const boost::shared_ptr<CountingObserver> observer(new CountingObserver);
    console.addObserver(observer);
    console.write(QStringLiteral("Copy: Object(s) copied"));
    console.write(QString());
    EXPECT_EQ(observer->count, 1);
    EXPECT_TRUE(console.lastMessage().isEmpty());
}

// After any cancel the console is back in its initial state, so what one operation
// left behind never reaches the next one's request.
TEST(ConsoleModel, ResetForgetsAnEnterWaitSoTheNextVectorRequestSurvivesABadLine)
{
    ConsoleModel console;
    RecordingOperation cancelled, next;
    bool pressed = false;
    console.waitForEnter(&cancelled, &pressed);
    console.reset();
    EXPECT_FALSE(console.isEnterExpected());

    Util::Vector4D target;
    bool completed = false;
    console.requestVector(&next, &target, &completed);
    console.processInput(QStringLiteral("10 0 0"));
    EXPECT_EQ(console.lastMessage(), QStringLiteral("Invalid entry. Enter the x, y, z coordinates."));
    EXPECT_EQ(next.proceeds, 0);
    EXPECT_FALSE(pressed);
    EXPECT_EQ(console.receiver(), &next);
    EXPECT_EQ(console.requestKind(), ConsoleModel::VectorRequest);

    console.processInput(QStringLiteral("10, 0, 0"));
    EXPECT_TRUE(completed);
    EXPECT_EQ(next.proceeds, 1);
    EXPECT_EQ(target, Util::Vector4D(10, 0, 0, 0));
    EXPECT_EQ(cancelled.proceeds, 0);
}

TEST(ConsoleModel, ARejectedVectorIsNoEnterEvenWhenTheSameOperationWaitsForOne)
{
    ConsoleModel console;
    RecordingOperation op;
    Util::Vector4D target;
    console.waitForEnter(&op);
    console.requestVector(&op, &target);
    console.processInput(QStringLiteral("1 2 3"));
    EXPECT_EQ(op.proceeds, 0);
    EXPECT_EQ(console.receiver(), &op);
    EXPECT_EQ(console.requestKind(), ConsoleModel::VectorRequest);
}

// Enter ends the whole request: a later line must not be written through the old
// targets into an operation that no longer asks for it.
TEST(ConsoleModel, EnterClearsTheTextTargetOfTheSameRequest)
{
    ConsoleModel console;
    RecordingOperation op, other;
    QString text = QStringLiteral("kept");
    console.requestText(&op, &text);
    console.waitForEnter(&op);
    console.processInput(QString());
    EXPECT_EQ(op.proceeds, 1);
    EXPECT_EQ(console.requestKind(), ConsoleModel::NoRequest);
    console.waitForEnter(&other);
    console.processInput(QStringLiteral("typed later"));
    EXPECT_EQ(text, QStringLiteral("kept"));
    EXPECT_EQ(other.proceeds, 1);
}
