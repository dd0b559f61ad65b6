#include "lineofsightprocess.h"

#include "celloccupancy.h"
#include "surfacefaces.h"
#include "Model/Automaton/totalvolume.h"
#include "Util/stoptoken.h"

#include <algorithm>
#include <cmath>

namespace Core {
namespace Operations {

LineOfSightProcess::LineOfSightProcess(Model::Automaton::TotalVolume &volume) : m_volume(volume) {}

unsigned LineOfSightProcess::subStepsFor(double distance, const Model::Automaton::TotalVolume &volume)
{
    if (!(distance > 0))
        return 0;
    const double edge = std::min({double(volume.getCellSizeX()), double(volume.getCellSizeY()),
                                  double(volume.getCellSizeZ())});
    const double steps = std::ceil(distance / edge - 1e-9);
    return steps >= 4e9 ? 4000000000u : std::max(1u, unsigned(steps));
}

uint64_t LineOfSightProcess::particlesPerTrace(const Model::Automaton::TotalVolume &volume, unsigned sharing,
                                               double noise)
{
    const double perCell = std::max(double(MinParticlesPerCell), std::ceil(1.0 / (noise * noise * std::max(1u, sharing))));
    return uint64_t(perCell) * volume.getSizeX() * volume.getSizeY();
}

double LineOfSightProcess::flightsPerParticle(double sticking)
{
    // A particle that does not stick flies again; in a deep feature it keeps
    // flying until it sticks (1 / s flights) or leaves. Capped: most leave.
    return sticking >= 1 ? 1.0 : std::min(1.0 / std::max(sticking, 1e-6), 20.0);
}

QString LineOfSightProcess::check() const
{
    if (m_volume.getCellCount() == 0)
        return QStringLiteral("The volume has no cells.");
    {
        Model::Automaton::CellLock lock(m_volume);
        const CellOccupancy occupancy =
            CellOccupancy::of(lock.cells(), m_volume.getSizeX(), m_volume.getSizeY(), m_volume.getSizeZ());
        if (occupancy.top() == 0)
            return QStringLiteral("The volume holds no solid cell: there is no surface for the particles to reach.");
        if (occupancy.topLayerFull())
            return QStringLiteral("The top layer of the volume is filled: the particles have no empty space above "
                                  "the surface to fly through. Give the volume empty layers above the substrate.");
        if (SurfaceFaces::count(occupancy, true, false) > SurfaceFaces::MaxFaces)
            return QStringLiteral("The surface has more cell faces than one run can follow.");
    }
    const QString own = checkProcess();
    if (!own.isEmpty())
        return own;
    const double flights = plannedFlights();
    if (flights > MaxFlights)
        return QStringLiteral("The step would trace about %1 particle flights (%2 launched on a %3 x %4 cell "
                              "surface); more than %5 would not finish in reasonable time. Use a thinner film, a "
                              "smaller depth, fewer cycles or a smaller volume.")
            .arg(flights, 0, 'g', 3)
            .arg(plannedParticles(), 0, 'g', 3)
            .arg(m_volume.getSizeX())
            .arg(m_volume.getSizeY())
            .arg(MaxFlights, 0, 'g', 3);
    return QString();
}

uint64_t LineOfSightProcess::traceSeed(uint64_t trace) const
{
    return m_seed * 0x9E3779B97F4A7C15ull + trace;
}

void LineOfSightProcess::addStats(const TraceStats &stats)
{
    m_stats.particles += stats.particles;
    m_stats.segments += stats.segments;
    m_stats.cellsCrossed += stats.cellsCrossed;
    m_stats.hits += stats.hits;
    m_stats.truncated += stats.truncated;
    m_stats.stopped = m_stats.stopped || stats.stopped;
}

std::vector<double> LineOfSightProcess::trace(const CellOccupancy &occupancy, const SurfaceFaces &faces,
                                              const ParticleSource &source, const std::vector<float> &sticking,
                                              uint64_t particles)
{
    TraceStats stats;
    const FluxEngine engine(occupancy, faces, m_volume.getCellSizeX(), m_volume.getCellSizeY(),
                            m_volume.getCellSizeZ());
    std::vector<double> flux = engine.trace(source, sticking, particles, traceSeed(m_traces++), &stats);
    addStats(stats);
    return flux;
}

bool LineOfSightProcess::stopped() const { return m_stats.stopped || Util::stopRequested(); }

} // namespace Operations
} // namespace Core
