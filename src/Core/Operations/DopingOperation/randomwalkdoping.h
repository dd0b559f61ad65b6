#pragma once

#include "Core/Operations/DistanceCounting/materialset.h"
#include "Model/Geometry/fieldpainter.h"

#include <QString>

#include <cstdint>
#include <random>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
struct Voxel;
} // namespace Automaton
} // namespace Model

namespace Core {
namespace Operations {

// Diffusion of dopant atoms as a lattice random walk of whole particles. Each
// cell keeps seven counters (six outgoing directions and the particles that
// stay; a cell's particle count is all seven); the counters live on the volume
// as a property, so later runs of the same dopant type continue where the last
// one stopped. A particle headed for a cell it may not enter (a non-dopable
// material, the volume's top or bottom) stays where it is.
class RandomWalkDoping
{
public:
    // What the open surface does: cells next to it are held at the surface
    // concentration (a source), or nothing passes it (sealed).
    enum Surface { Source = 0, Sealed = 1 };

    // MT19937 exactly as Generator, but on 32-bit state words: the same
    // outputs, with a state refill the compiler can vectorise.
    typedef std::mersenne_twister_engine<uint32_t, 32, 624, 397, 31, 0x9908b0dfu, 11, 0xffffffffu, 7, 0x9d2c5680u, 15,
                                         0xefc60000u, 18, 1812433253u>
        Generator;

    // The process whose compatible materials take part in the walk.
    static const unsigned DopableProcessId = 13;
    static const uint32_t NDopedSiliconId = 14;
    // Counts up to this are moved particle by particle; larger ones are split binomially.
    static constexpr int32_t SingleParticleLimit = 40;

    // D in m^2/s, dt in s, cellSize (L) in m, concentrations in m^-3. seed: the
    // generator's seed; the default takes the current time so two runs differ.
    RandomWalkDoping(Model::Automaton::TotalVolume &volume, uint32_t dopedMaterial, double diffusionCoefficient,
                     double timeStep, double cellSize, double surfaceConcentration, double thresholdConcentration);
    RandomWalkDoping(Model::Automaton::TotalVolume &volume, uint32_t dopedMaterial, double diffusionCoefficient,
                     double timeStep, double cellSize, double surfaceConcentration, double thresholdConcentration,
                     uint32_t seed);

    void setSurface(Surface surface) { m_surface = surface; }
    Surface surface() const { return m_surface; }

    // False when the parameters admit no walk (a stay probability below 0,
    // a time step or cell size that is not positive); error() says why.
    bool isValid() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

    // Runs floor(dopingTime / dt) steps under the volume's cell lock. False,
    // with nothing changed, when the parameters are not valid.
    bool dope(double dopingTime);

    // Empty when a walk with these parameters can run, else the reason it cannot.
    static QString checkParameters(double diffusionCoefficient, double timeStep, double cellSize,
                                   double surfaceConcentration, double thresholdConcentration);

    // Counts the steps a doping time gives (0 when the time is shorter than a step).
    unsigned stepsFor(double dopingTime) const;

    // Every step walks the whole volume, so ten million of them take days even
    // on a small one; dope() refuses more.
    static constexpr unsigned MaxSteps = 10000000;

    float stayProbability() const { return m_q; }
    float moveProbability() const { return m_p; }
    int32_t surfaceCount() const { return m_surfaceCount; }
    int32_t thresholdCount() const { return m_thresholdCount; }
    QString propertyName() const { return m_propertyName; }
    bool allocatedNewArray() const { return m_newArray; }
    Model::Geometry::ParticleCounterArray counters() const { return m_counters; }

    // Seconds since 1970, truncated to 32 bits.
    static uint32_t timeSeed();

    // The draws of the walk, on any generator (public for tests).
    static double uniform01(Generator &generator);
    static double normal(Generator &generator, double mean, double sd);
    // B(n, x) by a rounded normal draw, always in 0..n and always ending:
    // x <= 0 gives 0 and x >= 1 gives n without a draw.
    static uint32_t binomial(Generator &generator, uint32_t n, float x);

private:
    void initialise(Model::Automaton::Voxel *cells);
    void gather(const Model::Automaton::Voxel *cells);
    void distribute(Model::Automaton::Voxel *cells);
    void finalise(const Model::Automaton::Voxel *cells);

    Model::Automaton::TotalVolume &m_volume;
    float m_timeStep;
    uint32_t m_dopedMaterial;
    int32_t m_surfaceCount = 0;
    int32_t m_thresholdCount = 0;
    float m_q = 1.0f;
    float m_p = 0.0f;
    QString m_propertyName;
    bool m_newArray = false;
    std::vector<uint8_t> m_fixed; // per cell while a walk runs: 1 where particles never go
    Model::Geometry::ParticleCounterArray m_counters;
    Surface m_surface = Source;
    MaterialSet m_compatible;
    std::vector<Generator> m_generators;
    QString m_error;
};

} // namespace Operations
} // namespace Core
