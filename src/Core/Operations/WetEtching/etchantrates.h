#pragma once

#include <QString>

namespace Core {
namespace Operations {

// Etch rates of the low-index silicon planes in an alkaline etchant at a
// concentration and temperature, from published measurements (docs/WET_ETCH.md
// gives the models, constants and sources).
class EtchantRates
{
public:
    // The etchants with published rate data here; the value is what a list stores.
    enum Etchant { Koh = 0 };

    struct PlaneRates
    {
        double plane100 = 0, plane110 = 0, plane111 = 0; // µm/min
    };

    // An empty sentence when the data cover the etchant at that concentration
    // (wt %) and temperature (°C); otherwise what is wrong, in one sentence.
    static QString check(int etchant, double weightPercent, double celsius);
    // The rates; valid only where check() is empty.
    static PlaneRates rates(Etchant etchant, double weightPercent, double celsius);

    // KOH after Seidel et al.: R = k0 [H2O]^4 [KOH]^(1/4) exp(-Ea / kT).
    static double kohRate(double k0MicronsPerHour, double activationEv, double weightPercent, double celsius);
    // Molarities (mol/l) of KOH and water in a solution of weightPercent KOH.
    static void kohMolarities(double weightPercent, double *koh, double *water);

    // The data's ranges.
    static constexpr double KohMinPercent = 10, KohMaxPercent = 40;
    static constexpr double KohMinCelsius = 20, KohMaxCelsius = 100;
};

} // namespace Operations
} // namespace Core
