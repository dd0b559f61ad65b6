#include "simplesioxidation.h"

#include <cmath>

namespace Core {
namespace Operations {

using Model::Automaton::Voxel;

const double SimpleSiOxidation::OutwardShare = double(0.56f);

SimpleSiOxidation::SimpleSiOxidation(Model::Automaton::TotalVolume &volume, const MaterialSet &oxidizable,
                                     double micronConversion)
    : AbstractDistanceCountingAutomatonBase(volume),
      m_oxidizable(oxidizable),
      m_micronConversion(micronConversion),
      m_surface(getSlabCount())
{
    m_propagatingMaterials = oxidizable;
    m_propagatingMaterials.insert(0);
    // Every step adds a non-negative length on its axis.
    for (unsigned d = 0; d < 6; ++d)
        for (unsigned a = 0; a < 3; ++a)
            m_absoluteSteps[d][a] = std::fabs(m_steps[d][a]);
}

double SimpleSiOxidation::dealGroveThickness(double hours, double kelvin, double atm)
{
    const double b = 1297.907373 * std::exp(-14.92366568 * 1000 / kelvin) * atm * 0.999264839884312;
    const double a = b / (7973245.767 * std::exp(-23.43965534 * 1000 / kelvin));
    const double tau = (a * 0.025 + 0.000625) / b;
    return (std::sqrt((tau + hours) * 4 * b + a * a) - a) * 0.5;
}

void SimpleSiOxidation::setThickness(double thicknessMicrons)
{
    m_thickness = thicknessMicrons * m_micronConversion;
    m_outward = OutwardShare * m_thickness;
    const double inward = m_thickness - m_outward;
    m_fill = float(m_thickness);
    m_outwardSq = float(m_outward * m_outward);
    m_inwardSq = float(inward * inward);
}

int SimpleSiOxidation::iterationCount() const
{
    return toIterations(std::ceil(m_outward * DistanceFactor / double(minCellSize())));
}

void SimpleSiOxidation::oxidize(double thicknessMicrons)
{
    setThickness(thicknessMicrons);
    run(iterationCount());
}

void SimpleSiOxidation::oxidizeFor(double hours, double kelvin, double atm)
{
    oxidize(dealGroveThickness(hours, kelvin, atm));
}

void SimpleSiOxidation::initializeCell(uint32_t index, unsigned slab)
{
    Voxel &voxel = cell(index);
    const float x = m_fill;
    const bool empty = voxel.material == 0;
    if (!empty && !m_oxidizable.contains(voxel.material)) {
        voxel.automatonFlag = 1;
        setVector(voxel, x, x, x);
        return;
    }
    if (!empty && anyNeighbour(index, slab, [](const Voxel &n) { return n.material == 0; })) {
        voxel.automatonFlag = 1;
        setVector(voxel, 0, 0, 0.5f * m_cz); // half a cell deep: the surface lies on the cell's face
        m_surface[slab].push_back(index);
        return;
    }
    voxel.automatonFlag = 0;
    setVector(voxel, x, x, x);
    const MaterialSet &oxidizable = m_oxidizable;
    if (empty && anyNeighbour(index, slab, [&oxidizable](const Voxel &n) { return oxidizable.contains(n.material); }))
        addToFront(index, slab);
    // An oxidizable cell enters when a neighbour is a surface cell; linkSlab() does that
    // from the surface cells, which are far fewer than the bulk.
}

void SimpleSiOxidation::linkSlab(unsigned first, unsigned last, unsigned slab)
{
    std::vector<uint32_t> front;
    for (uint32_t index : m_surface[slab]) {
        const unsigned mask = neighbourMask(index);
        for (unsigned d = 0; d < 6; ++d) {
            if (!(mask & (1u << d)))
                continue;
            const uint32_t n = neighbour(index, d);
            const Voxel &voxel = cell(n);
            if (voxel.material != 0 && !voxel.automatonFlag && m_oxidizable.contains(voxel.material))
                route(n, first, last, front, slab);
        }
    }
    for (uint32_t index : front)
        addToFront(index, slab);
    m_surface[slab].clear();
}

void SimpleSiOxidation::updateCell(uint32_t index, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                                   unsigned slab)
{
    const Voxel &voxel = cell(index);
    if (voxel.automatonFlag)
        return;
    relaxInto(index, voxel.material, voxel.material != 0 ? m_inwardSq : m_outwardSq, m_absoluteSteps, first, last,
              newFront, slab);
}

void SimpleSiOxidation::finalizeCell(uint32_t index, unsigned)
{
    Voxel &voxel = cell(index);
    const float length = lengthSquared(voxel.automatonValues);
    if (voxel.material == 0) {
        if (length <= m_outwardSq)
            voxel.material = OxideMaterial;
    } else if (m_oxidizable.contains(voxel.material) && length <= m_inwardSq) {
        voxel.material = OxideMaterial;
    }
}

} // namespace Operations
} // namespace Core
