#pragma once

#include <QString>
#include <QStringList>

namespace Core {
namespace Operations {

// Range statistics of an implanted ion in amorphous silicon (docs/DOPING.md
// gives the table's source): the projected range, its straggle and the
// lateral straggle, in nanometres.
struct RangeStatistics
{
    double projectedRange = 0.0;
    double straggle = 0.0;
    double lateralStraggle = 0.0;
};

// The ions an implant takes, as their names are written: "B", "BF2", "P", "As", "Sb".
QStringList implantSpeciesNames();
// The ion named (any case); -1 for a name that is none.
int implantSpecies(const QString &name);
// The dopant field (Model::Automaton::DopantFields::Species) an ion ends in: BF2 gives boron.
int implantedDopant(int ion);
// The energies the table covers for the ion, in keV.
double lowestEnergy(int ion);
double highestEnergy(int ion);
// The statistics at energy (keV), interpolated log-log between the tabulated
// energies. False with a sentence for an energy outside the table.
bool rangeStatistics(int ion, double energy, RangeStatistics *statistics, QString *error);

} // namespace Operations
} // namespace Core
