#pragma once

#include "atomisticwetetchengine.h"

namespace Core {
namespace Operations {

// Removal rates of surface atoms in the continuous etch, in remaining life per
// unit of etch time, by the atom's present first neighbours f and second
// neighbours g (the same counts the bond-counting etch uses). On an ideal
// lattice a (100) surface atom has f = 2, a (110) atom f = 3 with g = 7, a
// (111) terrace atom f = 3 with g = 9.
//
// The default table follows the measured rates of 30 % KOH at 70 degrees C,
// (100) : (110) : (111) = 1 : 1.83 : 0.0063 (K. Sato et al., "Characterization
// of orientation-dependent etching properties of single-crystal silicon:
// effects of KOH concentration", Sensors and Actuators A 64 (1998) 87-93),
// scaled so that a (100) atom's life of 1.0 lasts exactly the starting time
// step 0.1: one (100) layer per step, as in the bond-counting etch.
// docs/ETCH_RATES.md explains the table.
struct WetEtchRates
{
    double weaklyBound = 100.0; // f <= 1: chain ends and loose atoms; no measured rate, they go at once
    double plane100 = 10.0;     // f == 2
    double plane110 = 18.3;     // f == 3, g < 9: (110) rows, steps and kinks
    double plane111 = 0.063;    // f == 3, g >= 9

    double rate(int firstNeighbours, int secondNeighbours) const
    {
        if (firstNeighbours <= 1)
            return weaklyBound;
        if (firstNeighbours == 2)
            return plane100;
        if (firstNeighbours == 3)
            return secondNeighbours >= 9 ? plane111 : plane110;
        return 0.0;
    }
    static WetEtchRates koh30Percent70C() { return WetEtchRates(); }
    static WetEtchRates none() { return WetEtchRates{0.0, 0.0, 0.0, 0.0}; }
};

// Time-stepped wet etch: every surface atom carries a remaining life that its
// removal rate uses up, rate * dt per step; it goes when less than 1e-6 is
// left. Each slab proposes the next time step: the time until the first of
// its surviving surface atoms is used up, at most 0.1 (one (100) layer). So a
// step never runs past the end of a slow atom's life, and fast atoms are
// resolved one layer at a time as in the bond-counting etch.
class ContinousWetEtching : public AtomisticWetEtchEngine
{
public:
    static constexpr double StartTimeStep = 0.1;
    static constexpr double LifeLeft = 1e-6;

    ContinousWetEtching(Model::Automaton::TotalVolume &volume, double depth,
                        const WetEtchRates &rates = WetEtchRates::koh30Percent70C());

    double getTimeStep() const { return m_timeStep; }
    // Etch time simulated by the last run.
    double getElapsedTime() const { return m_elapsed; }

protected:
    void examine(Slab &slab) override;
    bool resetsLife() const override { return true; }
    void afterStep() override;

private:
    WetEtchRates m_rates;
    double m_timeStep = StartTimeStep;
    double m_elapsed = 0.0;
};

} // namespace Operations
} // namespace Core
