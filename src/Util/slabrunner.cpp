#include "slabrunner.h"

#include <QFuture>
#include <QThread>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <exception>

namespace Util {

unsigned defaultSlabCount()
{
    const int n = QThreadPool::globalInstance()->maxThreadCount();
    return n > 0 ? unsigned(n) : 1u;
}

bool setThreadCount(int threads)
{
    if (threads < 0 || threads > MaxThreadCount)
        return false;
    QThreadPool::globalInstance()->setMaxThreadCount(threads == 0 ? QThread::idealThreadCount() : threads);
    return true;
}

bool parseThreadCount(const QString &text, int *threads, QString *error)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    if (!ok || n < 0 || n > MaxThreadCount) {
        if (error)
            *error = QStringLiteral("the thread count must be a whole number from 0 (one per core) to %1, not \"%2\"")
                         .arg(MaxThreadCount)
                         .arg(text);
        return false;
    }
    *threads = n;
    return true;
}

SlabPlan planSlabs(unsigned begin, unsigned end, unsigned slabCount, SlabSplit rule, unsigned inlineBelow)
{
    SlabPlan plan;
    const unsigned n = end > begin ? end - begin : 0;
    unsigned s = std::max(1u, slabCount);

    if (n == 0 || n / s < inlineBelow) {
        plan.slabs.push_back({begin, std::max(begin, end)});
        plan.onCallingThread = true;
        return plan;
    }

    switch (rule) {
    case SlabSplit::RemainderByThickness: {
        unsigned thickness = n / s;
        if (thickness == 0) {
            thickness = n;
            s = 1;
        }
        const unsigned remainder = n % thickness;
        unsigned x = begin;
        for (unsigned i = 0; i < s; ++i) {
            const unsigned width = thickness + (i < remainder ? 1u : 0u);
            const unsigned last = (i + 1 == s) ? end : std::min(end, x + width);
            plan.slabs.push_back({x, last});
            x = last;
        }
        break;
    }
    case SlabSplit::RemainderByCount: {
        if (n / s == 0)
            s = 1;
        const unsigned q = n / s;
        const unsigned remainder = n % s;
        unsigned x = begin;
        for (unsigned i = 0; i < s; ++i) {
            const unsigned width = q + (i < remainder ? 1u : 0u);
            const unsigned last = (i + 1 == s) ? end : x + width;
            plan.slabs.push_back({x, last});
            x = last;
        }
        break;
    }
    case SlabSplit::EqualLastTakesRest: {
        if (n / s == 0)
            s = 1;
        const unsigned q = n / s;
        for (unsigned i = 0; i < s; ++i) {
            const unsigned first = begin + i * q;
            const unsigned last = (i + 1 == s) ? end : first + q;
            plan.slabs.push_back({first, last});
        }
        break;
    }
    }
    return plan;
}

void runSlabs(const SlabPlan &plan, const std::function<void(const SlabRange &, unsigned)> &task)
{
    if (plan.slabs.empty())
        return;
    if (plan.onCallingThread) {
        for (unsigned i = 0; i < plan.slabs.size(); ++i)
            task(plan.slabs[i], i);
        return;
    }

    std::vector<std::exception_ptr> errors(plan.slabs.size());
    std::vector<QFuture<void>> futures;
    futures.reserve(plan.slabs.size());
    for (unsigned i = 0; i < plan.slabs.size(); ++i) {
        const SlabRange range = plan.slabs[i];
        std::exception_ptr *error = &errors[i];
        futures.push_back(QtConcurrent::run(QThreadPool::globalInstance(), [&task, range, i, error]() {
            try {
                task(range, i);
            } catch (...) {
                *error = std::current_exception();
            }
        }));
    }
    for (QFuture<void> &f : futures)
        f.waitForFinished();
    for (const std::exception_ptr &e : errors)
        if (e)
            std::rethrow_exception(e);
}

} // namespace Util
