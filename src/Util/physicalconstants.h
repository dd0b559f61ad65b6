#pragma once

namespace Util {

// Boltzmann's constant in eV/K (CODATA 2018, exact in SI), for Arrhenius rates.
constexpr double BoltzmannEv = 8.617333262e-5;

} // namespace Util
