#include "etchantrates.h"
#include "Util/physicalconstants.h"

#include <cmath>

namespace Core {
namespace Operations {

namespace {

using Util::BoltzmannEv;
const double KohMolarMass = 56.1056, WaterMolarMass = 18.0153; // g/mol

// Seidel et al. (1990): k0 in µm/h (mol/l)^-4.25 and Ea in eV.
const double K0Plane100 = 2480, EaPlane100 = 0.595;
const double K0Plane110 = 4500, EaPlane110 = 0.60;
// (111) against (100), 30 % KOH at 70 °C (Sato et al. 1998).
const double Plane111Ratio = 0.0063;

// Density (g/cm³) of aqueous KOH by weight percent at 18 °C (standard tables).
const double DensityPercent[] = {5, 10, 15, 20, 25, 30, 35, 40};
const double Density[] = {1.045, 1.091, 1.139, 1.188, 1.238, 1.290, 1.344, 1.400};
const int DensityRows = sizeof(Density) / sizeof(Density[0]);

double kohDensity(double percent)
{
    if (percent <= DensityPercent[0])
        return Density[0];
    for (int i = 1; i < DensityRows; ++i)
        if (percent <= DensityPercent[i]) {
            const double f = (percent - DensityPercent[i - 1]) / (DensityPercent[i] - DensityPercent[i - 1]);
            return Density[i - 1] + f * (Density[i] - Density[i - 1]);
        }
    return Density[DensityRows - 1];
}

QString number(double value) { return QString::number(value, 'g', 6); }

} // namespace

void EtchantRates::kohMolarities(double weightPercent, double *koh, double *water)
{
    const double gramsPerLitre = kohDensity(weightPercent) * 1000;
    *koh = weightPercent / 100 * gramsPerLitre / KohMolarMass;
    *water = (1 - weightPercent / 100) * gramsPerLitre / WaterMolarMass;
}

double EtchantRates::kohRate(double k0MicronsPerHour, double activationEv, double weightPercent, double celsius)
{
    double koh = 0, water = 0;
    kohMolarities(weightPercent, &koh, &water);
    const double kelvin = celsius + 273.15;
    const double perHour = k0MicronsPerHour * std::pow(water, 4) * std::pow(koh, 0.25) *
                           std::exp(-activationEv / (BoltzmannEv * kelvin));
    return perHour / 60;
}

QString EtchantRates::check(int etchant, double weightPercent, double celsius)
{
    if (etchant != Koh)
        return QStringLiteral("The etchant %1 is unknown: the etchant must be 0 (KOH).").arg(etchant);
    if (!std::isfinite(weightPercent) || weightPercent < KohMinPercent || weightPercent > KohMaxPercent)
        return QStringLiteral("KOH rates are known from %1 to %2 wt %; a concentration of %3 wt % is outside the data.")
            .arg(number(KohMinPercent), number(KohMaxPercent), number(weightPercent));
    if (!std::isfinite(celsius) || celsius < KohMinCelsius || celsius > KohMaxCelsius)
        return QString::fromUtf8("KOH rates are known from %1 to %2 \u00b0C; a temperature of %3 \u00b0C is outside the data.")
            .arg(number(KohMinCelsius), number(KohMaxCelsius), number(celsius));
    return QString();
}

EtchantRates::PlaneRates EtchantRates::rates(Etchant, double weightPercent, double celsius)
{
    PlaneRates r;
    r.plane100 = kohRate(K0Plane100, EaPlane100, weightPercent, celsius);
    r.plane110 = kohRate(K0Plane110, EaPlane110, weightPercent, celsius);
    r.plane111 = Plane111Ratio * r.plane100;
    return r;
}

} // namespace Operations
} // namespace Core
