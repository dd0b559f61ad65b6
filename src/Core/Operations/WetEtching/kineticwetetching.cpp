#include "kineticwetetching.h"

#include "Util/stoptoken.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <queue>
#include <unordered_map>

namespace Core {
namespace Operations {

using Model::Automaton::SiAtom;
using Model::Automaton::SiLattice;

const double KineticWetEtching::Spacing100 = 0.25;
const double KineticWetEtching::Spacing110 = 0.25 * std::sqrt(2.0);
const double KineticWetEtching::Spacing111 = 1.0 / std::sqrt(3.0);

namespace {

// Loose atoms have no measured rate; they go well before their neighbours.
const double LooseFactor = 10;

struct Event
{
    double time;
    uint32_t atom;
    bool operator>(const Event &other) const
    {
        return time > other.time || (time == other.time && atom > other.atom);
    }
};

// What an exposed atom has left: its life at `since` and the rate it loses it at from then.
struct Exposure
{
    double since = 0, life = 1, rate = 0, due = 0;
};

} // namespace

KineticWetEtching::ClassRates KineticWetEtching::classRates(const EtchantRates::PlaneRates &planes, double unitLength)
{
    ClassRates r;
    r.plane100 = planes.plane100 / (Spacing100 * unitLength);
    r.plane110 = planes.plane110 / (Spacing110 * unitLength);
    r.plane111 = planes.plane111 / (Spacing111 * unitLength);
    r.loose = LooseFactor * std::max(r.plane100, r.plane110);
    return r;
}

double KineticWetEtching::reachDepth(const EtchantRates::PlaneRates &planes, double unitLength, double minutes)
{
    return std::max(planes.plane100, planes.plane110) * minutes / unitLength;
}

KineticWetEtching::KineticWetEtching(Model::Automaton::TotalVolume &volume, const ClassRates &rates, double minutes,
                                     double reachDepth)
    : AtomisticWetEtchEngine(volume, reachDepth), m_rates(rates), m_minutes(minutes)
{
}

void KineticWetEtching::etch()
{
    SiLattice &l = lattice();
    Statistics &stats = statistics();
    const double end = m_minutes > 0 ? m_minutes : 0.0;
    std::priority_queue<Event, std::vector<Event>, std::greater<Event>> events;
    std::unordered_map<uint32_t, Exposure> exposed;

    // Takes the atom's class now: the life it has left carries over at the new rate.
    const auto classify = [&](uint32_t id, double now) {
        SiAtom &a = l.atom(id);
        if (a.state != SiAtom::Present || a.cellIndex < 0)
            return;
        ++stats.atomsExamined;
        const int f = l.firstNeighbours(id);
        const double rate = f >= 4 ? 0.0 : m_rates.rate(f, f == 3 ? l.secondNeighbours(id) : 0);
        auto found = exposed.find(id);
        if (found == exposed.end()) {
            if (!(rate > 0.0))
                return;
            Exposure e;
            e.since = now;
            e.life = a.life > 0.0f ? double(a.life) : 1.0;
            found = exposed.emplace(id, e).first;
        } else {
            Exposure &e = found->second;
            e.life = std::max(0.0, e.life - e.rate * (now - e.since));
            e.since = now;
        }
        Exposure &e = found->second;
        e.rate = rate;
        e.due = rate > 0.0 ? now + e.life / rate : std::numeric_limits<double>::infinity();
        if (e.due <= end)
            events.push(Event{e.due, id});
    };

    // The surface setup found, slab by slab in increasing atom order.
    for (const Slab &slab : slabs())
        for (uint32_t id : slab.surface)
            classify(id, 0.0);

    uint64_t processed = 0;
    m_reached = end;
    while (!events.empty()) {
        const Event next = events.top();
        if (next.time > end)
            break;
        events.pop();
        const auto found = exposed.find(next.atom);
        // A later class change moved the atom's time: this entry is stale.
        if (found == exposed.end() || found->second.due != next.time)
            continue;
        if ((++processed & 4095u) == 0 && Util::stopRequested()) {
            m_reached = next.time;
            break;
        }
        exposed.erase(found);
        SiAtom &a = l.atom(next.atom);
        a.life = 0.0f;
        removeAtOnce(next.atom);
        ++stats.atomsRemoved;
        // The removal changes the first-neighbour counts of its partners and the
        // second-neighbour counts of their partners: both decide a class.
        for (uint32_t b : a.bonds) {
            if (!SiAtom::isAtom(b) || l.atom(b).state != SiAtom::Present)
                continue;
            classify(b, next.time);
            for (uint32_t c : l.atom(b).bonds)
                if (SiAtom::isAtom(c) && c != next.atom)
                    classify(c, next.time);
        }
    }

    // Atoms still exposed keep what is left of their life for a later etch of this lattice.
    for (const auto &entry : exposed) {
        const Exposure &e = entry.second;
        const double left = e.life - e.rate * (m_reached - e.since);
        l.atom(entry.first).life = float(std::max(left, 1e-6));
    }
    // Later etches of this lattice widen it by the reach this one had.
    stats.stepsRun = stats.stepsPlanned;
}

} // namespace Operations
} // namespace Core
