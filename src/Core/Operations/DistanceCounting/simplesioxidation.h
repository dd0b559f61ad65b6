#pragma once

#include "abstractdistancecountingautomatonbase.h"

namespace Core {
namespace Operations {

// Thermal oxide grown from the surfaces of oxidizable cells: 56 % of the
// thickness into the empty space, 44 % into the oxidizable material, both
// measured from the surface.
class SimpleSiOxidation : public AbstractDistanceCountingAutomatonBase
{
public:
    static const uint32_t OxideMaterial = 3; // "Thermal Si02"
    static const double OutwardShare;        // 0.56 in single precision

    // oxidizable: the catalogue's oxidation process materials; micronConversion: cell units per micron.
    SimpleSiOxidation(Model::Automaton::TotalVolume &volume, const MaterialSet &oxidizable,
                      double micronConversion = 1.0);

    // Deal–Grove thickness in microns after hours at kelvin and atm, from an initial 0.025 µm.
    static double dealGroveThickness(double hours, double kelvin, double atm);

    // Grows the given oxide thickness (in microns); sets the limits, computes the count and runs.
    void oxidize(double thicknessMicrons);
    // The same with the Deal–Grove thickness.
    void oxidizeFor(double hours, double kelvin, double atm);

    // Valid after oxidize(): the thickness in cell units and the iteration count.
    double thicknessInCells() const { return m_thickness; }
    int iterationCount() const;

    void initializeCell(uint32_t cell, unsigned slab) override;
    void updateCell(uint32_t cell, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                    unsigned slab) override;
    void finalizeCell(uint32_t cell, unsigned slab) override;
    // Enters the oxidizable neighbours of the surface cells into the front.
    void linkSlab(unsigned first, unsigned last, unsigned slab) override;

private:
    void setThickness(double thicknessMicrons);

    MaterialSet m_oxidizable;
    double m_micronConversion;
    double m_thickness = 0;
    double m_outward = 0;
    float m_fill = 0; // the vector of cells not reached yet: (X, X, X)
    float m_outwardSq = 0;
    float m_inwardSq = 0;
    StepVectors m_absoluteSteps;
    // Per slab: the oxidizable cells facing empty space, found by the initialize pass.
    std::vector<std::vector<uint32_t>> m_surface;
};

} // namespace Operations
} // namespace Core
