#include "ionenhancedetching.h"

#include "celloccupancy.h"
#include "surfaceadvance.h"
#include "surfacefaces.h"
#include "Model/Automaton/totalvolume.h"

namespace Core {
namespace Operations {

IonEnhancedEtching::IonEnhancedEtching(Model::Automaton::TotalVolume &volume, uint32_t material, double depth,
                                       double ionSpread, double ionFraction, double neutralSticking,
                                       double selectivity)
    : LineOfSightProcess(volume), m_material(material), m_depth(depth), m_ionSpread(ionSpread),
      m_ionFraction(ionFraction), m_neutralSticking(neutralSticking), m_selectivity(selectivity)
{
}

unsigned IonEnhancedEtching::subSteps() const { return subStepsFor(m_depth, m_volume); }

double IonEnhancedEtching::plannedParticles() const
{
    const unsigned steps = subSteps();
    const double perTrace = double(particlesPerTrace(m_volume, steps, m_noise));
    return double(steps) * perTrace * ((usesIons() ? 1 : 0) + (usesNeutrals() ? 1 : 0));
}

double IonEnhancedEtching::plannedFlights() const
{
    const unsigned steps = subSteps();
    const double perTrace = double(particlesPerTrace(m_volume, steps, m_noise)) * steps;
    return (usesIons() ? perTrace : 0.0) + (usesNeutrals() ? perTrace * flightsPerParticle(m_neutralSticking) : 0.0);
}

QString IonEnhancedEtching::checkProcess() const
{
    Model::Automaton::CellLock lock(m_volume);
    const Model::Automaton::Voxel *cells = lock.cells();
    const uint64_t count = m_volume.getCellCount();
    for (uint64_t i = 0; i < count; ++i)
        if (cells[i].material == m_material)
            return QString();
    return QStringLiteral("The volume holds no cell of material %1, the material to etch.").arg(m_material);
}

void IonEnhancedEtching::run()
{
    m_stats = TraceStats();
    m_fractions.clear();
    const unsigned steps = subSteps();
    if (steps == 0 || m_material == 0 || !(m_selectivity > 0))
        return;
    const uint64_t particles = particlesPerTrace(m_volume, steps, m_noise);
    const double cell[3] = {m_volume.getCellSizeX(), m_volume.getCellSizeY(), m_volume.getCellSizeZ()};
    const double perStep = m_depth / steps;
    const double maskRate = 1.0 / m_selectivity;
    const uint32_t material = m_material;

    Model::Automaton::CellLock lock(m_volume);
    Model::Automaton::Voxel *cells = lock.cells();
    CellOccupancy occupancy = CellOccupancy::of(cells, m_volume.getSizeX(), m_volume.getSizeY(), m_volume.getSizeZ());
    if (occupancy.top() == 0 || occupancy.topLayerFull())
        return;
    SurfaceAdvance etch(cells, occupancy, cell, SurfaceAdvance::Mode::Etch, 0,
                        [material, maskRate](uint32_t m) { return m == material ? 1.0 : maskRate; });
    const ParticleSource ions = ParticleSource::ions(m_ionSpread);
    const ParticleSource neutrals = ParticleSource::cosine(1);
    for (unsigned step = 0; step < steps; ++step) {
        if (stopped())
            return;
        const SurfaceFaces faces = SurfaceFaces::of(occupancy, true, false);
        std::vector<double> ionFlux, neutralFlux;
        if (usesIons()) // ions react where they land
            ionFlux = trace(occupancy, faces, ions, std::vector<float>(faces.size(), 1.0f), particles);
        if (usesNeutrals()) {
            std::vector<float> sticking(faces.size(), 0.0f);
            for (size_t f = 0; f < faces.size(); ++f)
                if (cells[faces.cell(f)].material == material)
                    sticking[f] = float(m_neutralSticking);
            neutralFlux = trace(occupancy, faces, neutrals, sticking, particles);
        }
        if (stopped())
            return;
        std::vector<double> amount(faces.size(), 0.0);
        for (size_t f = 0; f < faces.size(); ++f) {
            // On the etched material the absorbed neutral flux relative to the
            // open field's is the arriving flux relative to the open field's; a
            // mask is eroded by the same fluxes at 1 / selectivity the rate.
            const double flux = (usesIons() ? m_ionFraction * ionFlux[f] : 0.0) +
                                (usesNeutrals() ? (1 - m_ionFraction) * neutralFlux[f] : 0.0);
            amount[f] = flux * perStep * (cells[faces.cell(f)].material == material ? 1.0 : maskRate);
        }
        etch.advance(faces, amount);
    }
    m_fractions = etch.fractions();
    etch.finish();
}

} // namespace Operations
} // namespace Core
