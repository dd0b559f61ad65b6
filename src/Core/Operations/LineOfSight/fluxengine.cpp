#include "fluxengine.h"

#include "celloccupancy.h"
#include "surfacefaces.h"
#include "Util/slabrunner.h"
#include "Util/stoptoken.h"

#include <atomic>
#include <cmath>
#include <limits>
#include <memory>

namespace Core {
namespace Operations {

namespace {

const double Pi = 3.14159265358979323846;
// Fixed-point weight of a launched particle; sums of 2^24 per particle stay
// exact in 64 bits for up to 10^12 arrivals on one face.
const uint64_t StartWeight = uint64_t(1) << 24;
const uint64_t RouletteBelow = StartWeight / 16;
// Particles per task between two looks at the stop token.
const uint64_t BlockSize = 4096;

uint64_t mix64(uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// SplitMix64 (Steele, Lea and Flood, OOPSLA 2014): one 64-bit state, a fresh
// stream per particle from its index.
class Random
{
public:
    Random(uint64_t seed, uint64_t index) : m_state(mix64(seed ^ 0x6A09E667F3BCC909ull) ^ mix64(index + 0x9E3779B97F4A7C15ull)) {}
    uint64_t next()
    {
        m_state += 0x9E3779B97F4A7C15ull;
        return mix64(m_state);
    }
    // In [0, 1).
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }

private:
    uint64_t m_state;
};

// A uniform azimuth as its cosine and sine: a point drawn in the unit disc
// (Marsaglia's rejection; no trigonometric calls on the hot path).
void azimuth(Random &random, double &cosPhi, double &sinPhi)
{
    for (;;) {
        const double a = 2 * random.uniform() - 1, b = 2 * random.uniform() - 1, r2 = a * a + b * b;
        if (r2 <= 1 && r2 > 1e-300) {
            const double r = std::sqrt(r2);
            cosPhi = a / r;
            sinPhi = b / r;
            return;
        }
    }
}

// A direction (x, y, z) about the axis a (0 x, 1 y, 2 z) with the given sign:
// polar angle from cosTheta, a uniform azimuth.
void around(unsigned axis, int sign, double cosTheta, Random &random, double d[3])
{
    const double sinTheta = std::sqrt(std::max(0.0, 1.0 - cosTheta * cosTheta));
    double cosPhi = 0, sinPhi = 0;
    azimuth(random, cosPhi, sinPhi);
    d[axis] = sign * cosTheta;
    d[(axis + 1) % 3] = sinTheta * cosPhi;
    d[(axis + 2) % 3] = sinTheta * sinPhi;
}

// A launch direction, going down (-z).
void sampleSource(const ParticleSource &source, Random &random, double d[3])
{
    if (source.kind == ParticleSource::Kind::Cosine) {
        // Density per solid angle ~ cos^n: cos(theta) = u^(1 / (n + 1)).
        const double u = 1.0 - random.uniform(); // (0, 1]
        const double cosTheta = source.exponent == 1 ? std::sqrt(u) : std::pow(u, 1.0 / (source.exponent + 1.0));
        around(2, -1, cosTheta, random, d);
        return;
    }
    // Tilts tx, ty ~ N(0, sigma): the polar angle is Rayleigh distributed.
    const double sigma = source.spread * Pi / 180.0;
    double theta = 0;
    for (int attempt = 0; attempt < 64; ++attempt) {
        theta = sigma * std::sqrt(-2.0 * std::log(1.0 - random.uniform()));
        if (theta < Pi / 2)
            break;
        theta = 0;
    }
    around(2, -1, std::cos(theta), random, d);
}

struct Hit
{
    int64_t face = -1;
    unsigned axis = 0;
    int normalSign = 0;  // the face's outward normal along axis
    int emptyCell[3];    // the cell the particle came from
    double point[3];     // where it met the face, in the empty cell's frame
};

// One frame of the trace: the grid as the source sees it (source above).
struct Grid
{
    const CellOccupancy &occupancy;
    const SurfaceFaces &faces;
    const float *sticking;
    int size[3];
    int top; // flights rise out above this layer
    uint64_t maxCrossings;
};

// Walks from p (cell units) along v through cell c until a solid cell or the
// field's end. False when the flight leaves (or is given up).
bool march(const Grid &grid, const double p[3], const double v[3], int c[3], Hit &hit, TraceStats &stats)
{
    static const unsigned base[3] = {SurfaceFaces::MinusX, SurfaceFaces::MinusY, SurfaceFaces::MinusZ};
    const double infinity = std::numeric_limits<double>::infinity();
    int step[3];
    double tMax[3], tDelta[3];
    for (int a = 0; a < 3; ++a) {
        if (v[a] > 0) {
            step[a] = 1;
            tDelta[a] = 1.0 / v[a];
            tMax[a] = (c[a] + 1 - p[a]) * tDelta[a];
        } else if (v[a] < 0) {
            step[a] = -1;
            tDelta[a] = -1.0 / v[a];
            tMax[a] = (p[a] - c[a]) * tDelta[a];
        } else {
            step[a] = 0;
            tDelta[a] = tMax[a] = infinity;
        }
        if (tMax[a] < 0)
            tMax[a] = 0;
    }
    double shift[2] = {0, 0};
    const int sy = grid.size[1];
    // The first word of the current column, kept as the flight moves sideways.
    const size_t words = grid.occupancy.wordsPerColumn();
    const uint64_t *bits = grid.occupancy.column(0);
    size_t column = (size_t(c[0]) * unsigned(sy) + unsigned(c[1])) * words;
    const size_t xStride = size_t(sy) * words, xSpan = size_t(grid.size[0]) * xStride, ySpan = size_t(sy) * words;
    for (uint64_t n = 0; n < grid.maxCrossings; ++n) {
        const int a = tMax[0] < tMax[1] ? (tMax[0] < tMax[2] ? 0 : 2) : (tMax[1] < tMax[2] ? 1 : 2);
        const double t = tMax[a];
        tMax[a] += tDelta[a];
        const int previous = c[a];
        c[a] += step[a];
        if (a == 2) {
            if (c[2] < 0 || c[2] >= grid.top) {
                stats.cellsCrossed += n + 1;
                return false;
            }
        } else {
            const size_t stride = a == 0 ? xStride : words;
            if (step[a] > 0)
                column += stride;
            else
                column -= stride;
            if (c[a] < 0) {
                c[a] += grid.size[a];
                shift[a] += grid.size[a];
                column += a == 0 ? xSpan : ySpan;
            } else if (c[a] >= grid.size[a]) {
                c[a] -= grid.size[a];
                shift[a] -= grid.size[a];
                column -= a == 0 ? xSpan : ySpan;
            }
        }
        if (!((bits[column + (unsigned(c[2]) >> 6)] >> (unsigned(c[2]) & 63)) & 1u))
            continue;
        stats.cellsCrossed += n + 1;
        // Entered the solid cell through its face looking back along a.
        const unsigned direction = base[a] + (step[a] < 0 ? 1u : 0u);
        hit.face = grid.faces.find(size_t(c[0]) * unsigned(sy) + unsigned(c[1]), unsigned(c[2]), direction);
        hit.axis = unsigned(a);
        hit.normalSign = -step[a];
        for (int b = 0; b < 3; ++b)
            hit.emptyCell[b] = c[b];
        hit.emptyCell[a] = previous;
        for (int b = 0; b < 3; ++b) {
            if (b == a) {
                hit.point[b] = step[a] > 0 ? previous + 1 : previous;
                continue;
            }
            double x = p[b] + t * v[b] + (b < 2 ? shift[b] : 0.0);
            // Rounding must not put the point outside the cell it leaves from.
            x = std::min(std::max(x, double(hit.emptyCell[b])), double(hit.emptyCell[b] + 1));
            hit.point[b] = x;
        }
        return true;
    }
    stats.cellsCrossed += grid.maxCrossings;
    ++stats.truncated;
    return false;
}

void traceParticles(const Grid &grid, const ParticleSource &source, const double cell[3], uint64_t seed,
                    uint64_t first, uint64_t last, std::atomic<uint64_t> *arrived, TraceStats &stats,
                    const Util::StopToken *stop)
{
    const uint64_t launchCells = uint64_t(grid.size[0]) * unsigned(grid.size[1]);
    for (uint64_t i = first; i < last; ++i) {
        if ((i - first) % 1024 == 0 && stop && stop->requested()) {
            stats.stopped = true;
            return;
        }
        ++stats.particles;
        Random random(seed, i);
        // One particle per source cell in turn, anywhere on it.
        const uint64_t column = i % launchCells;
        int c[3] = {int(column / unsigned(grid.size[1])), int(column % unsigned(grid.size[1])), grid.top - 1};
        double p[3] = {c[0] + random.uniform(), c[1] + random.uniform(), double(grid.top)};
        double d[3];
        sampleSource(source, random, d);
        uint64_t weight = StartWeight;
        if (grid.occupancy.solid(column, unsigned(c[2]))) {
            // The highest layer itself: the particle lands on the cell's top
            // face, and whatever is re-emitted there rises out of the field.
            ++stats.segments;
            ++stats.hits;
            const int64_t face = grid.faces.find(column, unsigned(c[2]), SurfaceFaces::PlusZ);
            if (face >= 0)
                arrived[face].fetch_add(weight, std::memory_order_relaxed);
            continue;
        }
        for (uint32_t segment = 0;; ++segment) {
            if (segment == FluxEngine::MaxSegments) {
                ++stats.truncated;
                break;
            }
            ++stats.segments;
            const double v[3] = {d[0] / cell[0], d[1] / cell[1], d[2] / cell[2]};
            Hit hit;
            if (!march(grid, p, v, c, hit, stats))
                break;
            ++stats.hits;
            if (hit.face < 0)
                break; // a face the set does not hold: its flux is not asked for
            arrived[hit.face].fetch_add(weight, std::memory_order_relaxed);
            const double sticking = grid.sticking[hit.face];
            if (sticking >= 1)
                break;
            weight -= std::min(weight, uint64_t(double(weight) * sticking + 0.5));
            if (weight < RouletteBelow) {
                if (weight == 0 || random.uniform() >= 0.5)
                    break;
                weight *= 2;
            }
            // Diffuse re-emission: cos(theta) = sqrt(u) about the face normal.
            around(hit.axis, hit.normalSign, std::sqrt(random.uniform()), random, d);
            for (int b = 0; b < 3; ++b) {
                p[b] = hit.point[b];
                c[b] = hit.emptyCell[b];
            }
        }
    }
}

} // namespace

FluxEngine::FluxEngine(const CellOccupancy &occupancy, const SurfaceFaces &faces, double cellX, double cellY,
                       double cellZ)
    : m_occupancy(occupancy), m_faces(faces), m_cell{cellX, cellY, cellZ}
{
}

uint64_t FluxEngine::particlesFor(double noise, unsigned sizeX, unsigned sizeY)
{
    const double perCell = std::ceil(1.0 / (noise * noise));
    return uint64_t(perCell) * sizeX * sizeY;
}

std::vector<double> FluxEngine::trace(const ParticleSource &source, const std::vector<float> &sticking,
                                      uint64_t particles, uint64_t seed, TraceStats *stats) const
{
    const size_t faceCount = m_faces.size();
    std::vector<double> flux(faceCount, 0.0);
    TraceStats total;
    const unsigned sx = m_occupancy.sizeX(), sy = m_occupancy.sizeY(), sz = m_occupancy.sizeZ();
    if (stats)
        *stats = total;
    if (faceCount == 0 || particles == 0 || sx == 0 || sy == 0 || sz == 0 || sticking.size() != faceCount)
        return flux;

    // A source below traces the volume upside down; its faces map back to ours.
    CellOccupancy flippedOccupancy;
    SurfaceFaces flippedFaces;
    std::vector<int64_t> toOurs;
    std::vector<float> flippedSticking;
    const CellOccupancy *occupancy = &m_occupancy;
    const SurfaceFaces *faces = &m_faces;
    const float *faceSticking = sticking.data();
    if (source.fromBelow) {
        flippedOccupancy = m_occupancy.flipped();
        flippedFaces = SurfaceFaces::of(flippedOccupancy, true, false);
        toOurs.resize(flippedFaces.size());
        flippedSticking.resize(flippedFaces.size(), 1.0f);
        for (size_t f = 0; f < flippedFaces.size(); ++f) {
            const unsigned direction = flippedFaces.direction(f);
            const unsigned ours = direction < 2 ? (direction ^ 1u) : direction;
            toOurs[f] = m_faces.find(flippedFaces.column(f), sz - 1 - flippedFaces.z(f), ours);
            if (toOurs[f] >= 0)
                flippedSticking[f] = sticking[size_t(toOurs[f])];
        }
        occupancy = &flippedOccupancy;
        faces = &flippedFaces;
        faceSticking = flippedSticking.data();
    }

    const int top = int(occupancy->top());
    if (top == 0)
        return flux;
    const Grid grid{*occupancy, *faces, faceSticking, {int(sx), int(sy), int(sz)}, top,
                    16 * (uint64_t(sx) + sy) + 4 * uint64_t(sz) + 1024};

    std::unique_ptr<std::atomic<uint64_t>[]> arrived(new std::atomic<uint64_t>[faces->size()]);
    for (size_t f = 0; f < faces->size(); ++f)
        arrived[f].store(0, std::memory_order_relaxed);

    const Util::StopToken *stop = Util::currentStopToken();
    const uint64_t blocks = (particles + BlockSize - 1) / BlockSize;
    const unsigned blockCount = unsigned(std::min<uint64_t>(blocks, std::numeric_limits<unsigned>::max()));
    const uint64_t perBlock = (particles + blockCount - 1) / blockCount;
    const Util::SlabPlan plan =
        Util::planSlabs(0, blockCount, Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount, 1);
    const std::vector<TraceStats> parts = Util::mapSlabs<TraceStats>(plan, [&](const Util::SlabRange &range, unsigned) {
        TraceStats part;
        const uint64_t first = std::min(particles, uint64_t(range.first) * perBlock);
        const uint64_t last = std::min(particles, uint64_t(range.last) * perBlock);
        traceParticles(grid, source, m_cell, seed, first, last, arrived.get(), part, stop);
        return part;
    });
    for (const TraceStats &part : parts) {
        total.particles += part.particles;
        total.segments += part.segments;
        total.cellsCrossed += part.cellsCrossed;
        total.hits += part.hits;
        total.truncated += part.truncated;
        total.stopped = total.stopped || part.stopped;
    }
    if (stats)
        *stats = total;

    // Arrivals per area over the launched particles per area of the source plane.
    const double area[3] = {m_cell[1] * m_cell[2], m_cell[0] * m_cell[2], m_cell[0] * m_cell[1]};
    const double plane = double(sx) * m_cell[0] * double(sy) * m_cell[1];
    const double perParticle = plane / (double(StartWeight) * double(particles));
    for (size_t f = 0; f < faces->size(); ++f) {
        const uint64_t sum = arrived[f].load(std::memory_order_relaxed);
        if (sum == 0)
            continue;
        const size_t ours = source.fromBelow ? size_t(toOurs[f]) : f;
        if (source.fromBelow && toOurs[f] < 0)
            continue;
        flux[ours] = double(sum) * perParticle / area[SurfaceFaces::axis(faces->direction(f))];
    }
    return flux;
}

} // namespace Operations
} // namespace Core
