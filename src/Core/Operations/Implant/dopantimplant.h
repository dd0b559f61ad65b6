#pragma once

#include "rangetables.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

// Ion implantation by dose: each cell column takes a Gaussian depth profile
// (projected range and straggle from the range table, the range shortened by
// cos(tilt)) measured from its highest solid cell, through every layer by its
// density relative to silicon. What lands in silicon (the catalogue's ion
// implantation materials) stays as concentration; what lands in any other
// material is stopped there and lost; what lies below the volume's bottom is
// lost. A Gaussian of the lateral straggle then spreads it along x and y among
// the silicon cells of each layer. docs/DOPING.md has the model and its sources.
class DopantImplant
{
public:
    // The catalogue process whose materials keep implanted dopant.
    static const unsigned TargetProcessId = 14;

    // ion: implantSpecies(); energy in keV, dose in cm^-2, tilt in degrees.
    DopantImplant(Model::Automaton::TotalVolume &volume, int ion, double energy, double dose, double tilt);

    // The values alone: known ion, energy inside the table, positive finite
    // dose, tilt from 0 to 60 degrees. Empty when they may run.
    static QString checkValues(int ion, double energy, double dose, double tilt);
    // The values and the volume: the peak the dose would add to what the
    // volume holds must fit in a float. Takes the cell lock.
    QString check() const;
    // Adds the dose to the volume's field of the ion's dopant. Takes the cell lock.
    void run();

    // The peak concentration (cm^-3) of the dose's profile in silicon.
    double peakConcentration() const;
    const RangeStatistics &statistics() const { return m_statistics; }

private:
    Model::Automaton::TotalVolume &m_volume;
    int m_ion;
    double m_energy, m_dose, m_tilt;
    RangeStatistics m_statistics;
};

} // namespace Operations
} // namespace Core
