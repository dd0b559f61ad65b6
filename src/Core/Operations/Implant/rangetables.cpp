#include "rangetables.h"

#include "Model/Automaton/dopantfields.h"

#include <cmath>

namespace Core {
namespace Operations {

namespace {

using Model::Automaton::DopantFields;

// Projected range Rp and straggle dRp in silicon, micrometres, at 10 to 200
// keV: the LSS range tables of Gibbons, Johnson and Mylroie (1975).
const int Rows = 15;
const double Energies[Rows] = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 120, 140, 160, 180, 200};
struct Column
{
    double rp[Rows];
    double straggle[Rows];
};
const Column Boron = {{0.0333, 0.0662, 0.0987, 0.1302, 0.1608, 0.1903, 0.2188, 0.2465, 0.2733, 0.2994, 0.3496,
                       0.3972, 0.4425, 0.4856, 0.5268},
                      {0.0171, 0.0283, 0.0371, 0.0443, 0.0504, 0.0556, 0.0601, 0.0641, 0.0677, 0.0710, 0.0766,
                       0.0813, 0.0854, 0.0890, 0.0921}};
const Column Phosphorus = {{0.0139, 0.0253, 0.0368, 0.0486, 0.0607, 0.0730, 0.0855, 0.0981, 0.1109, 0.1238, 0.1497,
                            0.1757, 0.2019, 0.2279, 0.2539},
                           {0.0069, 0.0119, 0.0166, 0.0212, 0.0256, 0.0298, 0.0340, 0.0380, 0.0418, 0.0456, 0.0528,
                            0.0595, 0.0659, 0.0719, 0.0775}};
const Column Arsenic = {{0.0097, 0.0159, 0.0215, 0.0269, 0.0322, 0.0374, 0.0426, 0.0478, 0.0530, 0.0582, 0.0686,
                         0.0790, 0.0894, 0.0998, 0.1103},
                        {0.0036, 0.0059, 0.0080, 0.0099, 0.0118, 0.0136, 0.0154, 0.0172, 0.0189, 0.0207, 0.0240,
                         0.0273, 0.0305, 0.0337, 0.0369}};
const Column Antimony = {{0.0088, 0.0141, 0.0188, 0.0232, 0.0274, 0.0315, 0.0356, 0.0396, 0.0436, 0.0475, 0.0554,
                          0.0632, 0.0710, 0.0787, 0.0864},
                         {0.0026, 0.0043, 0.0057, 0.0071, 0.0083, 0.0095, 0.0107, 0.0119, 0.0130, 0.0141, 0.0163,
                          0.0185, 0.0206, 0.0227, 0.0248}};

enum Ion { B = 0, BF2 = 1, P = 2, As = 3, Sb = 4, IonCount = 5 };
const char *const Names[IonCount] = {"B", "BF2", "P", "As", "Sb"};

// A BF2 molecule splits on impact; its boron carries the share 11/49 of the
// energy (masses 11 and 49), so BF2 at E ranges as B at E * 11 / 49.
const double Bf2BoronShare = 11.0 / 49.0;

const Column &columnOf(int ion)
{
    switch (ion) {
    case P:
        return Phosphorus;
    case As:
        return Arsenic;
    case Sb:
        return Antimony;
    default:
        return Boron;
    }
}

double energyScale(int ion) { return ion == BF2 ? Bf2BoronShare : 1.0; }

double logInterpolate(const double *values, double energy)
{
    int k = 0;
    while (k < Rows - 2 && energy > Energies[k + 1])
        ++k;
    const double t = std::log(energy / Energies[k]) / std::log(Energies[k + 1] / Energies[k]);
    return std::exp(std::log(values[k]) + t * (std::log(values[k + 1]) - std::log(values[k])));
}

} // namespace

QStringList implantSpeciesNames()
{
    QStringList names;
    for (const char *name : Names)
        names << QLatin1String(name);
    return names;
}

int implantSpecies(const QString &name)
{
    const QString wanted = name.trimmed();
    for (int ion = 0; ion < IonCount; ++ion)
        if (wanted.compare(QLatin1String(Names[ion]), Qt::CaseInsensitive) == 0)
            return ion;
    return -1;
}

int implantedDopant(int ion)
{
    switch (ion) {
    case P:
        return DopantFields::Phosphorus;
    case As:
        return DopantFields::Arsenic;
    case Sb:
        return DopantFields::Antimony;
    default:
        return DopantFields::Boron;
    }
}

double lowestEnergy(int ion) { return Energies[0] / energyScale(ion); }

// BF2 stops at the table's top energy too, though its boron would range further.
double highestEnergy(int) { return Energies[Rows - 1]; }

bool rangeStatistics(int ion, double energy, RangeStatistics *statistics, QString *error)
{
    if (ion < 0 || ion >= IonCount) {
        if (error)
            *error = QStringLiteral("The species is one of %1.").arg(implantSpeciesNames().join(QStringLiteral(", ")));
        return false;
    }
    // A hair of tolerance so that the table's own end points, given back through a scale, are inside.
    const double low = lowestEnergy(ion), high = highestEnergy(ion);
    if (!(energy >= low * (1.0 - 1e-12) && energy <= high * (1.0 + 1e-12))) {
        if (error)
            *error = QStringLiteral("The range table for %1 in silicon covers %2 to %3 keV; %4 keV lies outside it.")
                         .arg(QLatin1String(Names[ion]))
                         .arg(low, 0, 'g', 4)
                         .arg(high, 0, 'g', 4)
                         .arg(energy, 0, 'g', 6);
        return false;
    }
    const double e = std::min(Energies[Rows - 1], std::max(Energies[0], energy * energyScale(ion)));
    const Column &column = columnOf(ion);
    RangeStatistics s;
    s.projectedRange = logInterpolate(column.rp, e) * 1000.0;
    s.straggle = logInterpolate(column.straggle, e) * 1000.0;
    // The table gives no lateral straggle: it is taken equal to the vertical one (see docs/DOPING.md).
    s.lateralStraggle = s.straggle;
    *statistics = s;
    return true;
}

} // namespace Operations
} // namespace Core
