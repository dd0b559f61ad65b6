#pragma once

#include "atomisticwetetchengine.h"
#include "etchantrates.h"

namespace Core {
namespace Operations {

// Wet etch in simulated time: every exposed surface atom carries a remaining
// life (1 when first exposed) that its class's removal rate uses up; an atom
// goes when its life is used up, and its neighbours then take the rate of
// their new class from that moment. Removals are events processed in time
// order (ties by atom id) until the etch time is reached, so the result does
// not depend on the thread count.
//
// Classes by present first neighbours f and second neighbours g, as in the
// other etches: f <= 1 loose atoms, f = 2 the (100) class, f = 3 with g < 9
// the (110) class (also steps and kinks on (111)), f = 3 with g >= 9 the (111)
// terrace. A class's rate is its plane's etch rate over the plane's layer
// spacing, so a flat plane of that orientation recedes one layer per life:
// (100) a/4, (110) a/(2 sqrt 2), (111) a/sqrt 3, with the lattice constant a
// one unit.
class KineticWetEtching : public AtomisticWetEtchEngine
{
public:
    // Removal rates in lives per minute.
    struct ClassRates
    {
        double loose = 0, plane100 = 0, plane110 = 0, plane111 = 0;
        double rate(int firstNeighbours, int secondNeighbours) const
        {
            if (firstNeighbours <= 1)
                return loose;
            if (firstNeighbours == 2)
                return plane100;
            if (firstNeighbours == 3)
                return secondNeighbours >= 9 ? plane111 : plane110;
            return 0.0;
        }
    };

    static const double Spacing100, Spacing110, Spacing111; // layer spacings in lattice constants

    // The class rates that give the plane rates (µm/min) on a lattice whose unit is unitLength µm.
    static ClassRates classRates(const EtchantRates::PlaneRates &planes, double unitLength);
    // The depth (units) the fastest low-index plane recedes in the time: the etch's reach.
    static double reachDepth(const EtchantRates::PlaneRates &planes, double unitLength, double minutes);

    // minutes: the etch time; reachDepth: as reachDepth() gives, for widening a lattice built for less.
    KineticWetEtching(Model::Automaton::TotalVolume &volume, const ClassRates &rates, double minutes,
                      double reachDepth);

    // Simulated time of the last run (minutes): the etch time, or less when stopped.
    double simulatedTime() const { return m_reached; }

protected:
    bool resetsLife() const override { return true; }
    void etch() override;

private:
    ClassRates m_rates;
    double m_minutes;
    double m_reached = 0;
};

} // namespace Operations
} // namespace Core
