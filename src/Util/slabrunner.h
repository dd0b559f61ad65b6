#pragma once

#include <QString>

#include <functional>
#include <vector>

namespace Util {

// A slab is the half-open x range [first, last).
struct SlabRange
{
    unsigned first = 0;
    unsigned last = 0;
    bool operator==(const SlabRange &o) const { return first == o.first && last == o.last; }
};

// The engines split x in a few different ways; each keeps its own rule.
enum class SlabSplit {
    // L = n / S (one slab of n when 0); with r = n mod L the first r slabs get
    // L + 1 layers, the rest L; the last slab always ends at the range end.
    RemainderByThickness,
    // q = n / S, r = n mod S: the first r slabs get q + 1 layers, the rest q.
    RemainderByCount,
    // Every slab gets n / S layers; the last one runs to the range end.
    EqualLastTakesRest
};

struct SlabPlan
{
    std::vector<SlabRange> slabs;
    // True when the whole range is one slab that runs on the calling thread.
    bool onCallingThread = false;
};

// The number of slabs the engines use by default: the global pool's maximum thread count.
unsigned defaultSlabCount();

// The most threads a front end lets the engines use.
const int MaxThreadCount = 1024;
// Sets how many threads the engines use (the global pool's maximum thread
// count, and so their slab count); results do not depend on it. 0 means one
// per core. False, changing nothing, outside 0..MaxThreadCount.
bool setThreadCount(int threads);
// Reads a thread count given as text (a command-line value); false with a
// sentence in error when it is not a whole number in 0..MaxThreadCount.
bool parseThreadCount(const QString &text, int *threads, QString *error);

// Splits [begin, end) into at most slabCount slabs by rule. When (end - begin) / slabCount is
// below inlineBelow, the result is a single slab to be run on the calling thread.
SlabPlan planSlabs(unsigned begin, unsigned end, unsigned slabCount, SlabSplit rule, unsigned inlineBelow = 0);

// Runs task(range, slabIndex) for every slab of the plan, one task per slab on
// QThreadPool::globalInstance() (or on the calling thread when the plan says so),
// and waits for all of them in slab order. An exception thrown by a task is
// rethrown here after every task has finished. Must not be called from a pool task.
void runSlabs(const SlabPlan &plan, const std::function<void(const SlabRange &, unsigned)> &task);

// Runs task per slab and returns the results in slab order.
template <class Result, class Task>
std::vector<Result> mapSlabs(const SlabPlan &plan, Task task)
{
    std::vector<Result> results(plan.slabs.size());
    runSlabs(plan, [&](const SlabRange &range, unsigned slab) { results[slab] = task(range, slab); });
    return results;
}

} // namespace Util
