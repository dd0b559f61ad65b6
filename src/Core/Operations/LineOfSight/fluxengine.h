#pragma once

#include <cstdint>
#include <vector>

namespace Core {
namespace Operations {

class CellOccupancy;
class SurfaceFaces;

// Where particles come from and in which directions.
struct ParticleSource
{
    enum class Kind {
        Cosine,  // density per solid angle proportional to cos^n of the angle from the vertical
        Gaussian // ions: a tilt from the vertical with a normal distribution in each direction
    };
    Kind kind = Kind::Cosine;
    double exponent = 1; // n of cos^n: 1 is a diffuse (Lambertian) source, 0 an isotropic one
    double spread = 0;   // degrees: the standard deviation of the tilt along x and along y
    bool fromBelow = false; // the plane below the volume, particles going up

    static ParticleSource cosine(double exponent)
    {
        ParticleSource source;
        source.exponent = exponent;
        return source;
    }
    static ParticleSource ions(double spreadDegrees)
    {
        ParticleSource source;
        source.kind = Kind::Gaussian;
        source.spread = spreadDegrees;
        return source;
    }
};

// What one trace did, for benchmarks and tests.
struct TraceStats
{
    uint64_t particles = 0;    // launched
    uint64_t segments = 0;     // straight flights (launch and every re-emission)
    uint64_t cellsCrossed = 0; // cell faces a flight crossed
    uint64_t hits = 0;         // flights that ended on a solid face
    uint64_t truncated = 0;    // flights given up after MaxCrossings cells or MaxSegments re-emissions
    bool stopped = false;      // the thread's stop token ended the trace early
};

// Line-of-sight particle transport through the cells. Particles start on a
// plane just above the highest solid cell (or below the lowest, for a source
// below), uniformly over the volume's x-y extent, with the source's angular
// distribution, and fly straight through the grid (Amanatides and Woo's 3-D
// DDA) to the first solid cell. There each one sticks with the face's sticking
// probability or is re-emitted diffusely (cosine about the face normal). The
// sides wrap around: the volume is one period of an infinite field, so edges
// cast no shadow. A particle carries a weight; what it loses at each hit is
// what stuck, and below 1/16 of its start it survives a coin toss with twice
// the weight (Russian roulette: unbiased, and every flight ends).
//
// Results are exact sums of fixed-point weights, and particle i draws its
// random numbers from a stream seeded by (seed, i) alone, so the flux is the
// same bit for bit for any thread count.
class FluxEngine
{
public:
    static const uint32_t MaxSegments = 4096;

    // The occupancy and faces must outlive the engine; cell sizes in the volume's units.
    FluxEngine(const CellOccupancy &occupancy, const SurfaceFaces &faces, double cellX, double cellY, double cellZ);

    // The flux each face receives (everything that arrives, stuck or
    // re-emitted), per unit area, relative to the flux on an open flat field:
    // a flat surface facing the source gets 1. sticking holds one probability
    // in [0, 1] per face (a list of another length traces nothing). A source below sees the faces of the set that face
    // down; a face the set lacks gets nothing.
    std::vector<double> trace(const ParticleSource &source, const std::vector<float> &sticking, uint64_t particles,
                              uint64_t seed, TraceStats *stats = nullptr) const;

    // Particles for a trace whose open-field flux has relative noise at most
    // noise per face: 1 / noise² arrivals on every cell of the source plane.
    static uint64_t particlesFor(double noise, unsigned sizeX, unsigned sizeY);

private:
    const CellOccupancy &m_occupancy;
    const SurfaceFaces &m_faces;
    double m_cell[3];
};

} // namespace Operations
} // namespace Core
