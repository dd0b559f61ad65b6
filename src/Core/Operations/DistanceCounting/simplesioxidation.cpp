#include "simplesioxidation.h"

#include <algorithm>
#include <cmath>

namespace Core {
namespace Operations {

using Model::Automaton::Voxel;

const double SimpleSiOxidation::OutwardShare = double(0.56f);

SimpleSiOxidation::SimpleSiOxidation(Model::Automaton::TotalVolume &volume, const MaterialSet &oxidizable,
                                     double micronConversion, const DealGrove &kinetics)
    : AbstractDistanceCountingAutomatonBase(volume),
      m_target(volume),
      m_oxidizable(oxidizable),
      m_micronConversion(micronConversion),
      m_kinetics(kinetics),
      m_surface(getSlabCount()),
      m_outer(getSlabCount()),
      m_underCursor(getSlabCount()),
      m_onCursor(getSlabCount())
{
    m_propagatingMaterials = oxidizable;
    m_propagatingMaterials.insert(0);
    // Every step adds a non-negative length on its axis.
    for (unsigned d = 0; d < 6; ++d)
        for (unsigned a = 0; a < 3; ++a)
            m_absoluteSteps[d][a] = std::fabs(m_steps[d][a]);
}

namespace {

// The entry of a table sorted by cell for this cell, if any; cells must be asked in increasing order.
const OxideDepth::Entry *entryFor(const std::vector<OxideDepth::Entry> &table, size_t &cursor, uint32_t index)
{
    while (cursor < table.size() && table[cursor].cell < index)
        ++cursor;
    return cursor < table.size() && table[cursor].cell == index ? &table[cursor] : nullptr;
}

} // namespace

void SimpleSiOxidation::setThickness(double thicknessMicrons)
{
    m_thickness = thicknessMicrons * m_micronConversion;
    m_outward = OutwardShare * m_thickness;
    m_inward = m_thickness - m_outward;
    m_fill = float(m_thickness);
    m_outwardSq = float(m_outward * m_outward);
    m_inwardSq = float(m_inward * m_inward);
    const float x = m_fill;
    setScratchDefaults({0, {x, x, x}}, m_oxidizable, {0, {x, x, x}}, {1, {x, x, x}});
}

int SimpleSiOxidation::iterationCount() const
{
    return toIterations(std::ceil(m_outward * DistanceFactor / double(minCellSize())));
}

double SimpleSiOxidation::growthAt(double existingCells) const
{
    if (!(existingCells > 0))
        return m_thickness;
    // Below the oxide that bare silicon is taken to carry, oxide slows nothing down.
    const double existing = existingCells / m_micronConversion;
    const double total = m_kinetics.thickness(m_hours, m_kelvin, m_atm, std::max(existing, m_kinetics.initialOxide()));
    return std::min(m_thickness, std::max(0.0, total - existing) * m_micronConversion);
}

void SimpleSiOxidation::grow(double bareThicknessMicrons)
{
    setThickness(bareThicknessMicrons);
    // Bare silicon grows the most, so its thickness bounds the limits and
    // the iteration count; covered silicon starts its distances further out.
    m_underOxide.clear();
    m_onOxide.clear();
    if (m_thickness > 0 && OxideDepth::volumeHoldsOxide(m_target)) {
        m_underOxide = OxideDepth(m_target, m_oxidizable, OxideDepth::AtSilicon).measure();
        m_onOxide = OxideDepth(m_target, m_oxidizable, OxideDepth::AtSurface).measure();
    }
    run(iterationCount());
    m_underOxide = std::vector<OxideDepth::Entry>();
    m_onOxide = std::vector<OxideDepth::Entry>();
}

double SimpleSiOxidation::equivalentHours(double thicknessMicrons) const
{
    return m_kinetics.hoursFor(thicknessMicrons, ThicknessKelvin, ThicknessAtm);
}

void SimpleSiOxidation::oxidize(double thicknessMicrons)
{
    m_hours = equivalentHours(thicknessMicrons);
    m_kelvin = ThicknessKelvin;
    m_atm = ThicknessAtm;
    grow(thicknessMicrons);
}

void SimpleSiOxidation::oxidizeFor(double hours, double kelvin, double atm)
{
    m_hours = hours;
    m_kelvin = kelvin;
    m_atm = atm;
    grow(m_kinetics.thickness(hours, kelvin, atm));
}

void SimpleSiOxidation::initializeSlab(unsigned first, unsigned last, unsigned slab)
{
    const uint32_t begin = uint32_t(uint64_t(first) * m_sizeY * m_sizeZ);
    auto before = [](const OxideDepth::Entry &e, uint32_t cell) { return e.cell < cell; };
    m_underCursor[slab] = size_t(std::lower_bound(m_underOxide.begin(), m_underOxide.end(), begin, before) -
                                 m_underOxide.begin());
    m_onCursor[slab] =
        size_t(std::lower_bound(m_onOxide.begin(), m_onOxide.end(), begin, before) - m_onOxide.begin());
    AbstractDistanceCountingAutomatonBase::initializeSlab(first, last, slab);
}

void SimpleSiOxidation::initializeCell(uint32_t index, unsigned slab)
{
    const Voxel &voxel = cell(index);
    const float x = m_fill;
    const bool empty = voxel.material == 0;
    if (!empty && !m_oxidizable.contains(voxel.material)) {
        setScratch(index, 1, x, x, x);
        return;
    }
    if (!empty && anyNeighbour(index, slab, [](const Voxel &n) { return n.material == 0; })) {
        setScratch(index, 1, 0, 0, 0.5f * m_cz); // half a cell deep: the surface lies on the cell's face
        m_surface[slab].push_back(index);
        return;
    }
    if (!empty) {
        if (const OxideDepth::Entry *e = entryFor(m_underOxide, m_underCursor[slab], index)) {
            // Silicon under oxide: a source like a bare one, but as far beyond it as
            // its growth falls short of the bare one's, along the way the oxidant comes.
            const double grown = growthAt(e->depth);
            const double shortfall = std::max(0.0, m_inward - (grown - OutwardShare * grown));
            float v[3] = {0, 0, 0};
            const unsigned c = componentOf(e->direction);
            v[c] = float(0.5 * m_absoluteSteps[e->direction][c] + shortfall);
            setScratch(index, 1, v[0], v[1], v[2]);
            m_surface[slab].push_back(index);
            return;
        }
    }
    if (!empty) {
        setScratch(index, 0, x, x, x);
        return;
    }
    if (const OxideDepth::Entry *e = entryFor(m_onOxide, m_onCursor[slab], index)) {
        // On oxide over silicon: the outward share grows from the oxide's face;
        // bare silicon next to the cell may still give it a shorter distance.
        const double grown = growthAt(e->depth);
        const double shortfall = std::max(0.0, m_outward - OutwardShare * grown);
        float v[3] = {0, 0, 0};
        const unsigned c = componentOf(e->direction);
        v[c] = float(0.5 * m_absoluteSteps[e->direction][c] + shortfall);
        setScratch(index, 0, v[0], v[1], v[2]);
        m_outer[slab].push_back(index);
    } else {
        setScratch(index, 0, x, x, x);
    }
    const MaterialSet &oxidizable = m_oxidizable;
    if (anyNeighbour(index, slab, [&oxidizable](const Voxel &n) { return oxidizable.contains(n.material); }))
        addToFront(index, slab);
    // An oxidizable cell enters when a neighbour is a surface cell; linkSlab() does that
    // from the surface cells, which are far fewer than the bulk.
}

void SimpleSiOxidation::linkSlab(unsigned first, unsigned last, unsigned slab)
{
    std::vector<uint32_t> front;
    const MaterialSet &oxidizable = m_oxidizable;
    routeNeighbours(m_surface[slab], first, last, front, slab, [this, &oxidizable](uint32_t n) {
        const uint32_t material = cell(n).material;
        return material != 0 && !flagOf(n) && oxidizable.contains(material);
    });
    // The empty cells beside oxide that grows outwards take their distances from it.
    routeNeighbours(m_outer[slab], first, last, front, slab, [this](uint32_t n) { return cell(n).material == 0; });
    for (uint32_t index : front)
        addToFront(index, slab);
    m_surface[slab].clear();
    m_outer[slab].clear();
}

void SimpleSiOxidation::updateCell(uint32_t index, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                                   unsigned slab)
{
    const Voxel &voxel = cell(index);
    if (flagOf(index))
        return;
    relaxInto(index, voxel.material, voxel.material != 0 ? m_inwardSq : m_outwardSq, m_absoluteSteps, first, last,
              newFront, slab);
}

void SimpleSiOxidation::finalizeCell(uint32_t index, unsigned)
{
    Voxel &voxel = cell(index);
    const float length = lengthSquared(vectorOf(index));
    if (voxel.material == 0) {
        if (length <= m_outwardSq)
            voxel.material = OxideMaterial;
    } else if (m_oxidizable.contains(voxel.material) && length <= m_inwardSq) {
        voxel.material = OxideMaterial;
    }
}

} // namespace Operations
} // namespace Core
