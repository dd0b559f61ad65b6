#pragma once

#include <QString>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

// A drive-in anneal: Fick diffusion of every dopant field of the volume with
// the intrinsic diffusivity of its species at the temperature (Fair's
// Arrhenius terms; docs/DOPING.md). Dopant moves only between neighbouring
// silicon cells: no flux through the surface, into other materials or out
// of the volume's faces, so each species' dose is kept. Time steps are
// implicit (backward Euler, one tridiagonal solve per line of silicon cells
// along x, then y, then z), stable for any step; each line is solved on its
// own, so any thread count gives the same bits.
class DopantAnneal
{
public:
    static constexpr double LowestTemperature = 800.0;   // °C
    static constexpr double HighestTemperature = 1250.0; // °C
    // More steps than this are not taken: a longer anneal takes larger (still stable) steps.
    static constexpr unsigned MostSteps = 400;
    // A step moves dopant by about this many cells squared (D dt / h^2) at most, when MostSteps allows.
    static constexpr double StepReach = 1.0;

    // temperature in °C, time in minutes.
    DopantAnneal(Model::Automaton::TotalVolume &volume, double temperature, double time);

    // Empty when the values may run; else the sentence.
    static QString checkValues(double temperature, double time);
    // The intrinsic diffusivity (cm^2/s) of a species (DopantFields::Species) at temperature (°C).
    static double diffusivity(int species, double temperature);

    // Takes the cell lock. False when the stop token ended it early (the
    // fields then hold an intermediate state, which the step runner puts back).
    bool run();
    // The number of implicit steps the last run took for the fastest species.
    unsigned stepsTaken() const { return m_steps; }

private:
    Model::Automaton::TotalVolume &m_volume;
    double m_temperature, m_time;
    unsigned m_steps = 0;
};

} // namespace Operations
} // namespace Core
