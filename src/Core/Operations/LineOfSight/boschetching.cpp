#include "boschetching.h"

#include "celloccupancy.h"
#include "surfaceadvance.h"
#include "surfacefaces.h"
#include "Model/Automaton/totalvolume.h"

#include <unordered_map>

namespace Core {
namespace Operations {

namespace {

uint64_t faceKey(const SurfaceFaces &faces, size_t face)
{
    return (uint64_t(faces.cell(face)) << 3) | faces.direction(face);
}

} // namespace

BoschEtching::BoschEtching(Model::Automaton::TotalVolume &volume, const MaterialSet &etched, unsigned cycles,
                           double etchPerCycle, double passivationPerCycle, double ionSpread, double neutralSticking)
    : LineOfSightProcess(volume), m_etched(etched), m_cycles(cycles), m_etchPerCycle(etchPerCycle),
      m_passivationPerCycle(passivationPerCycle), m_ionSpread(ionSpread), m_neutralSticking(neutralSticking)
{
}

unsigned BoschEtching::subStepsPerCycle() const { return subStepsFor(m_etchPerCycle, m_volume); }

double BoschEtching::plannedParticles() const
{
    const unsigned steps = subStepsPerCycle();
    // Per cycle: one ion trace, and the etch's sub-steps share one cycle's noise.
    return double(m_cycles) * (double(particlesPerTrace(m_volume, 1, ionNoise())) +
                               double(steps) * double(particlesPerTrace(m_volume, steps, m_noise)));
}

double BoschEtching::plannedFlights() const
{
    const unsigned steps = subStepsPerCycle();
    return double(m_cycles) *
           (double(particlesPerTrace(m_volume, 1, ionNoise())) +
            double(steps) * double(particlesPerTrace(m_volume, steps, m_noise)) * flightsPerParticle(m_neutralSticking));
}

QString BoschEtching::checkValues(double etchPerCycle, double passivationPerCycle)
{
    if (!(passivationPerCycle <= etchPerCycle))
        return QStringLiteral("The passivation per cycle (%1) must not be above the etch per cycle (%2): the ions "
                              "of a cycle clear as much passivation as the cycle etches on an open field, so "
                              "nothing would ever open.")
            .arg(passivationPerCycle)
            .arg(etchPerCycle);
    return QString();
}

QString BoschEtching::checkProcess() const
{
    const QString values = checkValues(m_etchPerCycle, m_passivationPerCycle);
    if (!values.isEmpty())
        return values;
    Model::Automaton::CellLock lock(m_volume);
    const Model::Automaton::Voxel *cells = lock.cells();
    const uint64_t count = m_volume.getCellCount();
    for (uint64_t i = 0; i < count; ++i)
        if (m_etched.contains(cells[i].material) && cells[i].material != 0)
            return QString();
    return QStringLiteral("The volume holds none of the materials the DRIE process etches (the compatible "
                          "materials of its catalogue entry).");
}

void BoschEtching::run()
{
    m_stats = TraceStats();
    m_fractions.clear();
    const unsigned steps = subStepsPerCycle();
    if (steps == 0 || m_cycles == 0 || !(m_passivationPerCycle <= m_etchPerCycle))
        return;
    const uint64_t ionParticles = particlesPerTrace(m_volume, 1, ionNoise());
    const uint64_t neutralParticles = particlesPerTrace(m_volume, steps, m_noise);
    const double cell[3] = {m_volume.getCellSizeX(), m_volume.getCellSizeY(), m_volume.getCellSizeZ()};
    const double perStep = m_etchPerCycle / steps;
    const MaterialSet etched = m_etched;

    Model::Automaton::CellLock lock(m_volume);
    Model::Automaton::Voxel *cells = lock.cells();
    CellOccupancy occupancy = CellOccupancy::of(cells, m_volume.getSizeX(), m_volume.getSizeY(), m_volume.getSizeZ());
    if (occupancy.top() == 0 || occupancy.topLayerFull())
        return;
    SurfaceAdvance etch(cells, occupancy, cell, SurfaceAdvance::Mode::Etch, 0,
                        [&etched](uint32_t m) { return etched.contains(m) ? 1.0 : 0.0; });
    const ParticleSource ions = ParticleSource::ions(m_ionSpread);
    const ParticleSource neutrals = ParticleSource::cosine(1);
    const auto isEtched = [&](const SurfaceFaces &faces, size_t f) {
        const uint32_t m = cells[faces.cell(f)].material;
        return m != 0 && etched.contains(m);
    };

    // Passivation thickness per face (cell << 3 | direction); absent: open.
    std::unordered_map<uint64_t, double> passivation;
    for (unsigned cycle = 0; cycle < m_cycles; ++cycle) {
        if (stopped())
            return;
        SurfaceFaces faces = SurfaceFaces::of(occupancy, true, false);
        // 1. Passivate every exposed face; faces no longer exposed drop out.
        std::unordered_map<uint64_t, double> coated;
        coated.reserve(faces.size());
        for (size_t f = 0; f < faces.size(); ++f)
            if (isEtched(faces, f)) {
                const uint64_t key = faceKey(faces, f);
                const auto old = passivation.find(key);
                coated[key] = (old == passivation.end() ? 0.0 : old->second) + m_passivationPerCycle;
            }
        // 2. The ions clear it where they land.
        const std::vector<double> ionFlux = faces.averagedNearby(
            trace(occupancy, faces, ions, std::vector<float>(faces.size(), 1.0f), ionParticles), m_volume.getSizeX(),
            m_volume.getSizeY(), OpeningRadius, cell);
        if (stopped())
            return;
        passivation.clear();
        for (size_t f = 0; f < faces.size(); ++f) {
            if (!isEtched(faces, f))
                continue;
            const uint64_t key = faceKey(faces, f);
            const double left = coated[key] - m_etchPerCycle * ionFlux[f];
            if (left > 0)
                passivation.emplace(key, left);
        }
        // 3. The neutrals etch the open faces.
        for (unsigned step = 0; step < steps; ++step) {
            if (step > 0)
                faces = SurfaceFaces::of(occupancy, true, false);
            std::vector<float> sticking(faces.size(), 0.0f);
            for (size_t f = 0; f < faces.size(); ++f)
                if (isEtched(faces, f) && !passivation.count(faceKey(faces, f)))
                    sticking[f] = float(m_neutralSticking);
            const std::vector<double> neutralFlux = trace(occupancy, faces, neutrals, sticking, neutralParticles);
            if (stopped())
                return;
            std::vector<double> amount(faces.size(), 0.0);
            for (size_t f = 0; f < faces.size(); ++f)
                if (sticking[f] > 0)
                    amount[f] = neutralFlux[f] * perStep;
            etch.advance(faces, amount);
        }
    }
    m_fractions = etch.fractions();
    etch.finish();
}

} // namespace Operations
} // namespace Core
