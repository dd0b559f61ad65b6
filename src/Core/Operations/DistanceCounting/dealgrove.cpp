#include "dealgrove.h"
#include "Util/physicalconstants.h"

#include <algorithm>
#include <cmath>

namespace Core {
namespace Operations {

namespace {

using Util::BoltzmannEv;

struct Arrhenius
{
    double prefactor; // µm²/h for B, µm/h for B/A
    double energy;    // eV
    double at(double kelvin) const { return prefactor * std::exp(-energy / (BoltzmannEv * kelvin)); }
};

// (111) silicon at 1 atm (wet: 640 Torr of steam, a pyrogenic source at 1 atm).
const Arrhenius Parabolic[2] = {{7.72e2, 1.23}, {3.86e2, 0.78}};
const Arrhenius Linear111[2] = {{6.23e6, 2.0}, {1.63e8, 2.05}};

// B/A of the orientation relative to (111); B does not depend on orientation.
double orientationFactor(DealGrove::Orientation orientation)
{
    switch (orientation) {
    case DealGrove::Plane111:
        return 1.0;
    case DealGrove::Plane110:
        return 1.45 / 1.68;
    case DealGrove::Plane100:
        break;
    }
    return 1.0 / 1.68;
}

} // namespace

DealGrove::DealGrove(Ambient ambient, Orientation orientation) : m_ambient(ambient), m_orientation(orientation) {}

double DealGrove::parabolic(double kelvin, double atm) const { return Parabolic[m_ambient].at(kelvin) * atm; }

double DealGrove::linear(double kelvin, double atm) const
{
    return Linear111[m_ambient].at(kelvin) * orientationFactor(m_orientation) * atm;
}

double DealGrove::initialOxide() const
{
    // Dry oxidation starts faster than the linear-parabolic law: Deal and Grove
    // account for it with an initial 25 nm; steam follows the law from zero.
    return m_ambient == Dry ? 0.025 : 0.0;
}

double DealGrove::thickness(double hours, double kelvin, double atm) const
{
    return thickness(hours, kelvin, atm, initialOxide());
}

double DealGrove::thickness(double hours, double kelvin, double atm, double initialMicrons) const
{
    const double b = parabolic(kelvin, atm), a = b / linear(kelvin, atm);
    // τ = (x_i² + A x_i) / B, so 4 B (t + τ) + A² = (2 x_i + A)² + 4 B t.
    const double s = 2 * initialMicrons + a;
    return (std::sqrt(s * s + 4 * b * hours) - a) * 0.5;
}

double DealGrove::hoursFor(double microns, double kelvin, double atm) const
{
    const double b = parabolic(kelvin, atm), a = b / linear(kelvin, atm), xi = initialOxide();
    return std::max(0.0, (microns * microns + a * microns - xi * xi - a * xi) / b);
}

} // namespace Operations
} // namespace Core
