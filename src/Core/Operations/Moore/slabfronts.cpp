#include "slabfronts.h"

#include "Util/stoptoken.h"

#include <algorithm>

namespace Core {
namespace Operations {

SlabFronts::SlabFronts(const Util::SlabPlan &plan, uint32_t layerCells) : m_plan(plan)
{
    for (const Util::SlabRange &range : m_plan.slabs) {
        std::unique_ptr<Slab> slab(new Slab);
        slab->begin = uint64_t(range.first) * layerCells;
        slab->end = uint64_t(range.last) * layerCells;
        m_slabs.push_back(std::move(slab));
    }
}

SlabFronts::~SlabFronts() = default;

void SlabFronts::orderInitialFront(std::vector<uint32_t> &front)
{
    if (!std::is_sorted(front.begin(), front.end()))
        std::sort(front.begin(), front.end());
    front.erase(std::unique(front.begin(), front.end()), front.end());
}

void SlabFronts::beginUpdate(unsigned slab)
{
    Slab &s = *m_slabs[slab];
    s.toNextSlab.clear();
    s.toPreviousSlab.clear();
    s.changes.clear();
    s.newFront.clear();
}

void SlabFronts::merge(unsigned slab)
{
    Slab &s = *m_slabs[slab];
    // A neighbour's mutex is taken only while this slab's own is not held.
    if (slab > 0) {
        Slab &previous = *m_slabs[slab - 1];
        QMutexLocker locker(&previous.mutex);
        for (uint32_t cell : previous.toNextSlab)
            addNew(s, cell);
    }
    if (slab + 1 < m_slabs.size()) {
        Slab &next = *m_slabs[slab + 1];
        QMutexLocker locker(&next.mutex);
        for (uint32_t cell : next.toPreviousSlab)
            addNew(s, cell);
    }
}

void SlabFronts::swapFront(Slab &s)
{
    std::sort(s.newFront.begin(), s.newFront.end());
    for (uint32_t cell : s.newFront) {
        const uint64_t offset = cell - s.begin;
        s.seen[size_t(offset >> 6)] = 0;
    }
    s.front.swap(s.newFront);
    s.newFront.clear();
}

int SlabFronts::run(unsigned iterations, const SlabTask &initialize, const SlabTask &update, const SlabTask &apply,
                    bool slabLocal)
{
    for (const std::unique_ptr<Slab> &s : m_slabs) {
        s->seen.assign(size_t((s->end - s->begin + 63) / 64), 0);
        s->front.clear();
    }

    int stepped = 0;
    const Util::StopToken *stop = Util::currentStopToken();
    const auto stopped = [stop]() { return stop && stop->requested(); };
    if (slabLocal) {
        std::vector<int> steps = Util::mapSlabs<int>(m_plan, [&](const Util::SlabRange &range, unsigned slab) {
            Slab &s = *m_slabs[slab];
            initialize(range, slab);
            orderInitialFront(s.front);
            int done = 0;
            for (unsigned i = 0; i < iterations && !s.front.empty() && !stopped(); ++i, ++done) {
                QMutexLocker locker(&s.mutex);
                beginUpdate(slab);
                update(range, slab);
                apply(range, slab);
                swapFront(s);
            }
            return done;
        });
        for (int n : steps)
            stepped = std::max(stepped, n);
    } else {
        Util::runSlabs(m_plan, [&](const Util::SlabRange &range, unsigned slab) {
            initialize(range, slab);
            orderInitialFront(m_slabs[slab]->front);
        });
        for (unsigned i = 0; i < iterations; ++i) {
            bool active = false;
            for (const std::unique_ptr<Slab> &s : m_slabs)
                active = active || !s->front.empty();
            if (!active || stopped())
                break; // every further iteration would change nothing, or the step was stopped
            Util::runSlabs(m_plan, [&](const Util::SlabRange &range, unsigned slab) {
                QMutexLocker locker(&m_slabs[slab]->mutex);
                beginUpdate(slab);
                update(range, slab);
            });
            // Barrier: every slab's hand-overs are complete before any slab merges them.
            Util::runSlabs(m_plan, [&](const Util::SlabRange &range, unsigned slab) {
                merge(slab);
                Slab &s = *m_slabs[slab];
                QMutexLocker locker(&s.mutex);
                apply(range, slab);
                swapFront(s);
            });
            ++stepped;
        }
    }

    for (const std::unique_ptr<Slab> &s : m_slabs) {
        s->front = std::vector<uint32_t>();
        s->newFront = std::vector<uint32_t>();
        s->toNextSlab = std::vector<uint32_t>();
        s->toPreviousSlab = std::vector<uint32_t>();
        s->changes = std::vector<uint32_t>();
        s->seen = std::vector<uint64_t>();
    }
    return stepped;
}

} // namespace Operations
} // namespace Core
