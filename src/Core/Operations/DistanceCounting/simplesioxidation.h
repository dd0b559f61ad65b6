#pragma once

#include "abstractdistancecountingautomatonbase.h"
#include "dealgrove.h"
#include "oxidedepth.h"

namespace Core {
namespace Operations {

// Thermal oxide grown from the surfaces of oxidizable cells: 56 % of the
// new oxide into the empty space, 44 % into the oxidizable material. Oxidant
// reaches silicon through oxide, so silicon under oxide grows too: 44 % below
// the silicon it covers and 56 % on the oxide's outer face, less the thicker
// the oxide in front of it (Deal–Grove with that oxide as the initial one).
// The kinetics are those of the ambient and wafer orientation given (dry,
// (100) unless told otherwise).
class SimpleSiOxidation : public AbstractDistanceCountingAutomatonBase
{
public:
    static const uint32_t OxideMaterial = 3; // "Thermal Si02"
    static const double OutwardShare;        // 0.56 in single precision

    // oxidizable: the catalogue's oxidation process materials; micronConversion: cell units per micron.
    SimpleSiOxidation(Model::Automaton::TotalVolume &volume, const MaterialSet &oxidizable,
                      double micronConversion = 1.0, const DealGrove &kinetics = DealGrove());

    // Grows the given thickness (in microns) on bare oxidizable material; sets
    // the limits, computes the count and runs. Under oxide it grows what the
    // oxidation that gives that thickness on bare silicon (in the kinetics'
    // ambient, at ThicknessKelvin and ThicknessAtm) grows there.
    void oxidize(double thicknessMicrons);
    static constexpr double ThicknessKelvin = 1273, ThicknessAtm = 1;
    // Hours at ThicknessKelvin and ThicknessAtm that grow thicknessMicrons on bare silicon.
    double equivalentHours(double thicknessMicrons) const;
    // Oxidizes for a time: bare silicon grows the Deal–Grove thickness, silicon
    // under oxide of thickness x_i grows until it carries the Deal–Grove
    // thickness for an initial oxide x_i.
    void oxidizeFor(double hours, double kelvin, double atm);

    // Valid after oxidize(): the thickness grown on bare silicon in cell units and the iteration count.
    double thicknessInCells() const { return m_thickness; }
    int iterationCount() const;
    // New oxide, in cell units, where existingCells of oxide already lie in front of the silicon.
    double growthAt(double existingCells) const;

    void initializeSlab(unsigned first, unsigned last, unsigned slab) override;

    void initializeCell(uint32_t cell, unsigned slab) override;
    void updateCell(uint32_t cell, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                    unsigned slab) override;
    void finalizeCell(uint32_t cell, unsigned slab) override;
    // Enters the oxidizable neighbours of the surface cells, and the empty
    // neighbours of the empty cells on oxide, into the front.
    void linkSlab(unsigned first, unsigned last, unsigned slab) override;

private:
    void setThickness(double thicknessMicrons);
    void grow(double bareThicknessMicrons);

    Model::Automaton::TotalVolume &m_target;

    MaterialSet m_oxidizable;
    double m_micronConversion;
    DealGrove m_kinetics;
    double m_thickness = 0;
    double m_outward = 0;
    float m_fill = 0; // the vector of cells not reached yet: (X, X, X)
    float m_outwardSq = 0;
    float m_inwardSq = 0;
    StepVectors m_absoluteSteps;
    // Per slab: the oxidizable cells the oxidant reaches, found by the initialize pass.
    std::vector<std::vector<uint32_t>> m_surface;
    // Per slab: the empty cells on oxide that grows outwards.
    std::vector<std::vector<uint32_t>> m_outer;

    // Oxide already there, measured before the run: in front of silicon and
    // under the empty cells on it; each slab walks them with its own cursor.
    std::vector<OxideDepth::Entry> m_underOxide, m_onOxide;
    std::vector<size_t> m_underCursor, m_onCursor;
    double m_inward = 0;
    double m_hours = 0, m_kelvin = 0, m_atm = 0;
};

} // namespace Operations
} // namespace Core
