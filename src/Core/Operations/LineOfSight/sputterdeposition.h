#pragma once

#include "lineofsightprocess.h"

namespace Core {
namespace Operations {

// Sputter deposition: atoms arrive from a cos^n source above and stick with
// a probability s where they land, or are re-emitted diffusely. A surface
// cell's film grows at the rate of the flux it absorbs, scaled so that an
// open flat field grows the given thickness. At s = 1 and n = 1 a trench
// bottom gets the view factor of the opening (w / sqrt(w^2 + 4 h^2) at its
// centre) and the top corners grow overhangs; small s evens the film out.
class SputterDeposition : public LineOfSightProcess
{
public:
    SputterDeposition(Model::Automaton::TotalVolume &volume, uint32_t material, double thickness, double exponent,
                      double sticking);

    void run() override;
    double plannedParticles() const override;
    double plannedFlights() const override;
    unsigned subSteps() const;

private:
    uint32_t m_material;
    double m_thickness;
    double m_exponent;
    double m_sticking;
};

} // namespace Operations
} // namespace Core
