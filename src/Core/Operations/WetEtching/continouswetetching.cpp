#include "continouswetetching.h"

#include <algorithm>

namespace Core {
namespace Operations {

using Model::Automaton::SiAtom;
using Model::Automaton::SiLattice;

ContinousWetEtching::ContinousWetEtching(Model::Automaton::TotalVolume &volume, double depth,
                                         const WetEtchRates &rates)
    : AtomisticWetEtchEngine(volume, depth), m_rates(rates)
{
}

void ContinousWetEtching::examine(Slab &slab)
{
    SiLattice &l = lattice();
    const double dt = m_timeStep;
    double proposal = StartTimeStep;
    for (uint32_t id : slab.surface) {
        SiAtom &a = l.atom(id);
        if (a.state != SiAtom::Present)
            continue;
        ++slab.examined;
        // Removed partners no longer hold an atom: only present ones count, or
        // nothing below the first layer would ever etch.
        const int f = l.firstNeighbours(id);
        if (f >= 4) {
            keep(slab, id);
            continue;
        }
        // Second neighbours only tell the three-bonded classes apart.
        const double rate = m_rates.rate(f, f == 3 ? l.secondNeighbours(id) : 0);
        if (!(rate > 0.0)) {
            keep(slab, id);
            continue;
        }
        slab.changed = true;
        const double life = double(a.life) - rate * dt;
        if (life < LifeLeft) {
            a.life = 0.0f;
            remove(slab, id);
        } else {
            a.life = float(life);
            keep(slab, id);
            proposal = std::min(proposal, double(a.life) / rate);
        }
    }
    slab.proposedTimeStep = proposal;
}

void ContinousWetEtching::afterStep()
{
    m_elapsed += m_timeStep;
    double dt = StartTimeStep;
    for (const Slab &slab : slabs())
        dt = std::min(dt, slab.proposedTimeStep);
    m_timeStep = dt;
}

} // namespace Operations
} // namespace Core
