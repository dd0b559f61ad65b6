#include "sputterdeposition.h"

#include "celloccupancy.h"
#include "surfaceadvance.h"
#include "surfacefaces.h"
#include "Model/Automaton/totalvolume.h"

namespace Core {
namespace Operations {

SputterDeposition::SputterDeposition(Model::Automaton::TotalVolume &volume, uint32_t material, double thickness,
                                     double exponent, double sticking)
    : LineOfSightProcess(volume), m_material(material), m_thickness(thickness), m_exponent(exponent),
      m_sticking(sticking)
{
}

unsigned SputterDeposition::subSteps() const { return subStepsFor(m_thickness, m_volume); }

double SputterDeposition::plannedParticles() const
{
    const unsigned steps = subSteps();
    return double(steps) * double(particlesPerTrace(m_volume, steps, m_noise));
}

double SputterDeposition::plannedFlights() const
{
    return plannedParticles() * flightsPerParticle(m_sticking);
}

void SputterDeposition::run()
{
    m_stats = TraceStats();
    m_fractions.clear();
    const unsigned steps = subSteps();
    if (steps == 0 || m_material == 0 || !(m_sticking > 0))
        return;
    const uint64_t particles = particlesPerTrace(m_volume, steps, m_noise);
    const double cell[3] = {m_volume.getCellSizeX(), m_volume.getCellSizeY(), m_volume.getCellSizeZ()};
    const double perStep = m_thickness / steps;

    Model::Automaton::CellLock lock(m_volume);
    CellOccupancy occupancy =
        CellOccupancy::of(lock.cells(), m_volume.getSizeX(), m_volume.getSizeY(), m_volume.getSizeZ());
    if (occupancy.top() == 0 || occupancy.topLayerFull())
        return;
    SurfaceAdvance film(lock.cells(), occupancy, cell, SurfaceAdvance::Mode::Deposit, m_material);
    const ParticleSource source = ParticleSource::cosine(m_exponent);
    for (unsigned step = 0; step < steps; ++step) {
        if (stopped())
            return;
        const SurfaceFaces faces = SurfaceFaces::of(occupancy, true, false);
        // Every surface sticks alike, so the absorbed flux relative to the
        // open field's is the arriving flux relative to the open field's.
        const std::vector<float> sticking(faces.size(), float(m_sticking));
        std::vector<double> amount = trace(occupancy, faces, source, sticking, particles);
        if (stopped())
            return;
        for (double &a : amount)
            a *= perStep;
        film.advance(faces, amount);
    }
    m_fractions = film.fractions();
    film.finish();
}

} // namespace Operations
} // namespace Core
