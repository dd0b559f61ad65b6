#pragma once

#include "lineofsightprocess.h"

#include "Core/Operations/DistanceCounting/materialset.h"

#include <algorithm>

namespace Core {
namespace Operations {

// The Bosch process (deep reactive-ion etching): cycles of
//  1. passivation: every exposed face of the etched materials gains the
//     passivation per cycle, conformally;
//  2. opening: ions from a narrow Gaussian about the vertical clear, on each
//     face, the etch per cycle times the ion flux it receives (relative to an
//     open field, averaged over the faces within one cell, so that the treads
//     and risers of a staircase share the dose as the smooth slope they stand
//     for would); faces left with no passivation are open;
//  3. etching: neutrals from a diffuse source react with open faces of the
//     etched materials with the sticking probability and are re-emitted by
//     everything else; the open faces recede at the etch per cycle times the
//     neutral flux they receive, in sub-steps of at most one cell, so the etch
//     undercuts the passivated wall isotropically (the scallop). Faces the etch
//     uncovers within the cycle are open.
// Floors face the ions and open every cycle; walls get almost no ions and
// keep their passivation, so the trench goes down near-vertically with one
// scallop per cycle. The ratio of passivation to etch per cycle sets which
// slopes open (those whose averaged ion flux exceeds it): about 1/3 keeps the
// walls vertical, less lets the trench widen with depth, more tapers it. Narrow openings pass less neutral flux and etch
// shallower. The passivation is the run's own (a thickness per face, no
// material); it is gone at the end. Other materials are a mask and do not
// erode. With passivation per cycle above the etch per cycle even an open
// floor would never open: check() refuses that (at equal values the floor
// opens only where the ions reach the open field's flux: it roughens).
class BoschEtching : public LineOfSightProcess
{
public:
    BoschEtching(Model::Automaton::TotalVolume &volume, const MaterialSet &etched, unsigned cycles,
                 double etchPerCycle, double passivationPerCycle, double ionSpread, double neutralSticking);

    void run() override;
    double plannedParticles() const override;
    double plannedFlights() const override;
    unsigned subStepsPerCycle() const;

    // Empty when the etch and passivation per cycle can run, else why not.
    static QString checkValues(double etchPerCycle, double passivationPerCycle);

    // The faces within this many cells share the ion dose that opens the passivation.
    static const unsigned OpeningRadius = 1;

protected:
    QString checkProcess() const override;

private:
    // The opening compares the ion dose averaged over the faces within a cell
    // (nine or more) with a threshold: a quarter of the particles give that
    // average the noise a face's etch flux has.
    double ionNoise() const { return std::min(1.0, 2 * m_noise); }

    MaterialSet m_etched;
    unsigned m_cycles;
    double m_etchPerCycle;
    double m_passivationPerCycle;
    double m_ionSpread;
    double m_neutralSticking;
};

} // namespace Operations
} // namespace Core
