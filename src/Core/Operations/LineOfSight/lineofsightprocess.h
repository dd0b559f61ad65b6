#pragma once

#include "fluxengine.h"

#include <QString>

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

class CellOccupancy;
class SurfaceFaces;

// What the line-of-sight processes share: the sub-steps a surface moves in,
// the particles each flux trace launches, the checks before a run, and the
// run's figures. A process turns traced flux into amounts per face and lets
// SurfaceAdvance move the surface, tracing again after every sub-step so
// that the changed shape (overhangs, closing openings, deeper trenches) sees
// its own flux.
class LineOfSightProcess
{
public:
    // The open-field flux a whole step integrates has at most this relative
    // noise on every cell of the source plane.
    static constexpr double DefaultNoise = 0.1;
    // Fewest particles per source cell in one trace, so that no sub-step's
    // flux is a handful of single arrivals.
    static constexpr unsigned MinParticlesPerCell = 8;
    // The work a step may take, in particle flights: about ten minutes on
    // two cores of a 2020s desktop (bench/lineofsightbench.cpp measures the rate).
    static constexpr double MaxFlights = 6e9;

    explicit LineOfSightProcess(Model::Automaton::TotalVolume &volume);
    virtual ~LineOfSightProcess() = default;

    // The relative noise of the open-field flux the step integrates (0 < noise <= 1).
    void setNoise(double noise) { m_noise = noise; }
    void setSeed(uint64_t seed) { m_seed = seed; }

    // Empty when the run can go ahead, else a sentence saying why not. The
    // run itself does nothing on a volume this refuses.
    QString check() const;
    // Runs under the volume's cell lock; a stop request ends it between
    // flights (the caller puts the cells back).
    virtual void run() = 0;

    // The particles the run will launch and the flights it is estimated to
    // fly (launches times the expected re-emissions); in double precision, so
    // that absurd requests cannot wrap around.
    virtual double plannedParticles() const = 0;
    virtual double plannedFlights() const = 0;

    // What all traces of the last run did.
    const TraceStats &stats() const { return m_stats; }
    // Cells part filled or part etched just before the run ended (the
    // rounding to whole cells), by cell index.
    const std::unordered_map<uint32_t, double> &lastFractions() const { return m_fractions; }

    // Sub-steps for a surface to move distance: at most one cell (the
    // smallest edge) per sub-step.
    static unsigned subStepsFor(double distance, const Model::Automaton::TotalVolume &volume);
    // Particles per trace when sharing traces integrate one step.
    static uint64_t particlesPerTrace(const Model::Automaton::TotalVolume &volume, unsigned sharing, double noise);
    // Expected flights per launched particle for a sticking probability.
    static double flightsPerParticle(double sticking);

protected:
    // The process's own checks (materials, values); the base checks the volume and the work.
    virtual QString checkProcess() const { return QString(); }
    uint64_t traceSeed(uint64_t trace) const;
    void addStats(const TraceStats &stats);
    std::vector<double> trace(const CellOccupancy &occupancy, const SurfaceFaces &faces, const ParticleSource &source,
                              const std::vector<float> &sticking, uint64_t particles);
    bool stopped() const;

    Model::Automaton::TotalVolume &m_volume;
    double m_noise = DefaultNoise;
    uint64_t m_seed = 0x746F7276616E65ull;
    uint64_t m_traces = 0;
    TraceStats m_stats;
    std::unordered_map<uint32_t, double> m_fractions;
};

} // namespace Operations
} // namespace Core
