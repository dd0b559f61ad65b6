#include "Util/slabrunner.h"

#include <gtest/gtest.h>

#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <stdexcept>
#include <vector>

using Util::planSlabs;
using Util::SlabPlan;
using Util::SlabRange;
using Util::SlabSplit;

namespace {

std::vector<SlabRange> R(std::initializer_list<std::pair<unsigned, unsigned>> list)
{
    std::vector<SlabRange> out;
    for (const auto &p : list)
        out.push_back({p.first, p.second});
    return out;
}

struct SplitCase
{
    const char *name;
    unsigned begin, end, slabs;
    SlabSplit rule;
    unsigned inlineBelow;
    std::vector<SlabRange> expected;
    bool onCallingThread;
};

class SlabSplitTest : public ::testing::TestWithParam<SplitCase>
{
};

} // namespace

TEST_P(SlabSplitTest, LaysOutSlabsByItsRule)
{
    const SplitCase &c = GetParam();
    const SlabPlan plan = planSlabs(c.begin, c.end, c.slabs, c.rule, c.inlineBelow);
    EXPECT_EQ(plan.onCallingThread, c.onCallingThread);
    ASSERT_EQ(plan.slabs.size(), c.expected.size());
    for (size_t i = 0; i < c.expected.size(); ++i) {
        EXPECT_EQ(plan.slabs[i].first, c.expected[i].first) << "slab " << i;
        EXPECT_EQ(plan.slabs[i].last, c.expected[i].last) << "slab " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SlabSplitTest,
    ::testing::Values(
        // Remainder by thickness: L = 10 / 4 = 2, r = 10 mod 2 = 0, the last slab runs to sizeX.
        SplitCase{"thickness10by4", 0, 10, 4, SlabSplit::RemainderByThickness, 0, R({{0, 2}, {2, 4}, {4, 6}, {6, 10}}), false},
        // L = 11 / 4 = 2, r = 1: the first slab is one thicker.
        SplitCase{"thickness11by4", 0, 11, 4, SlabSplit::RemainderByThickness, 0, R({{0, 3}, {3, 5}, {5, 7}, {7, 11}}), false},
        SplitCase{"thickness7by3", 0, 7, 3, SlabSplit::RemainderByThickness, 0, R({{0, 3}, {3, 5}, {5, 7}}), false},
        // Narrower than the slab count: one slab.
        SplitCase{"thicknessNarrow", 0, 3, 7, SlabSplit::RemainderByThickness, 0, R({{0, 3}}), false},
        // Remainder by count: q = 10 / 4 = 2, r = 2.
        SplitCase{"count10by4", 0, 10, 4, SlabSplit::RemainderByCount, 2, R({{0, 3}, {3, 6}, {6, 8}, {8, 10}}), false},
        SplitCase{"countInline", 0, 7, 4, SlabSplit::RemainderByCount, 2, R({{0, 7}}), true},
        // Equal slabs, the last takes the rest, from a lower bound other than 0.
        SplitCase{"equalOffset", 3, 13, 3, SlabSplit::EqualLastTakesRest, 1, R({{3, 6}, {6, 9}, {9, 13}}), false},
        SplitCase{"equalThreshold2", 0, 5, 3, SlabSplit::EqualLastTakesRest, 2, R({{0, 5}}), true},
        SplitCase{"equalThreshold3", 0, 8, 3, SlabSplit::EqualLastTakesRest, 3, R({{0, 8}}), true},
        SplitCase{"equalThreshold3Split", 0, 9, 3, SlabSplit::EqualLastTakesRest, 3, R({{0, 3}, {3, 6}, {6, 9}}), false},
        SplitCase{"emptyRange", 4, 4, 2, SlabSplit::EqualLastTakesRest, 1, R({{4, 4}}), true}),
    [](const ::testing::TestParamInfo<SplitCase> &info) { return std::string(info.param.name); });

TEST(SlabSplit, EverySplitCoversTheRangeOnceInOrder)
{
    for (unsigned n = 1; n < 40; ++n)
        for (unsigned s = 1; s < 9; ++s)
            for (SlabSplit rule : {SlabSplit::RemainderByThickness, SlabSplit::RemainderByCount,
                                   SlabSplit::EqualLastTakesRest}) {
                const SlabPlan plan = planSlabs(5, 5 + n, s, rule, 0);
                ASSERT_FALSE(plan.slabs.empty());
                EXPECT_LE(plan.slabs.size(), s);
                unsigned x = 5;
                for (const SlabRange &r : plan.slabs) {
                    EXPECT_EQ(r.first, x) << n << " " << s;
                    EXPECT_LT(r.first, r.last) << n << " " << s;
                    x = r.last;
                }
                EXPECT_EQ(x, 5 + n);
            }
}

TEST(SlabRunner, RunsEverySlabOnThePoolAndCollectsInSlabOrder)
{
    const SlabPlan plan = planSlabs(0, 100, 7, SlabSplit::RemainderByCount, 0);
    std::atomic<int> calls{0};
    const std::vector<unsigned> firsts = Util::mapSlabs<unsigned>(plan, [&](const SlabRange &r, unsigned) {
        ++calls;
        return r.first;
    });
    EXPECT_EQ(calls.load(), 7);
    ASSERT_EQ(firsts.size(), 7u);
    for (size_t i = 0; i < firsts.size(); ++i)
        EXPECT_EQ(firsts[i], plan.slabs[i].first);
}

TEST(SlabRunner, InlinePlanRunsOnTheCallingThread)
{
    const SlabPlan plan = planSlabs(0, 3, 4, SlabSplit::EqualLastTakesRest, 1);
    ASSERT_TRUE(plan.onCallingThread);
    QThread *caller = QThread::currentThread();
    QThread *ran = nullptr;
    Util::runSlabs(plan, [&](const SlabRange &, unsigned) { ran = QThread::currentThread(); });
    EXPECT_EQ(ran, caller);
}

TEST(SlabRunner, ExceptionInATaskReachesTheCallerAfterAllFinished)
{
    const SlabPlan plan = planSlabs(0, 40, 4, SlabSplit::RemainderByCount, 0);
    std::atomic<int> finished{0};
    EXPECT_THROW(Util::runSlabs(plan,
                                [&](const SlabRange &, unsigned slab) {
                                    if (slab == 1)
                                        throw std::runtime_error("slab failed");
                                    ++finished;
                                }),
                 std::runtime_error);
    EXPECT_EQ(finished.load(), 3);
}

TEST(SlabRunner, DefaultSlabCountFollowsThePool)
{
    QThreadPool *pool = QThreadPool::globalInstance();
    const int saved = pool->maxThreadCount();
    pool->setMaxThreadCount(3);
    EXPECT_EQ(Util::defaultSlabCount(), 3u);
    pool->setMaxThreadCount(saved);
}
