#pragma once

namespace Core {
namespace Operations {

// Thermal oxidation kinetics of Deal and Grove: the oxide thickness x after t
// hours solves x² + A x = B (t + τ), with the parabolic constant B and the
// linear constant B/A Arrhenius functions of temperature, both proportional
// to the oxidant pressure. Constants per ambient and wafer orientation are in
// docs/OXIDATION.md with their sources.
class DealGrove
{
public:
    enum Ambient { Dry = 0, Wet = 1 };
    // The wafer's surface plane; the lattice's wafers are (100).
    enum Orientation { Plane100 = 100, Plane110 = 110, Plane111 = 111 };

    explicit DealGrove(Ambient ambient = Dry, Orientation orientation = Plane100);

    Ambient ambient() const { return m_ambient; }
    Orientation orientation() const { return m_orientation; }

    // B in µm²/h and B/A in µm/h at kelvin and atm (1 atm: the pressure the constants were measured at).
    double parabolic(double kelvin, double atm) const;
    double linear(double kelvin, double atm) const;
    // The oxide bare silicon is taken to start from (µm): Deal and Grove's τ is the time it would take.
    double initialOxide() const;

    // Thickness in µm after hours, from the initial oxide.
    double thickness(double hours, double kelvin, double atm) const;
    // The same from an oxide of initialMicrons.
    double thickness(double hours, double kelvin, double atm, double initialMicrons) const;
    // Hours that grow microns from the initial oxide (0 for less than it).
    double hoursFor(double microns, double kelvin, double atm) const;

private:
    Ambient m_ambient;
    Orientation m_orientation;
};

} // namespace Operations
} // namespace Core
