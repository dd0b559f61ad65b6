// The flux engine against view factors and radiosity computed in
// viewfactors.h from geometry alone.

#include "viewfactors.h"

#include "Core/Operations/LineOfSight/celloccupancy.h"
#include "Core/Operations/LineOfSight/fluxengine.h"
#include "Core/Operations/LineOfSight/surfacefaces.h"
#include "volumetestsupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace Core::Operations;

namespace {

typedef std::function<bool(unsigned x, unsigned y, unsigned z)> Shape;

CellOccupancy occupancyOf(unsigned sx, unsigned sy, unsigned sz, const Shape &solid)
{
    CellOccupancy occupancy(sx, sy, sz);
    for (unsigned x = 0; x < sx; ++x)
        for (unsigned y = 0; y < sy; ++y)
            for (unsigned z = 0; z < sz; ++z)
                if (solid(x, y, z))
                    occupancy.set(size_t(x) * sy + y, z, true);
    return occupancy;
}

// The mean flux of the faces that pass keep(x, y, z, direction).
struct Mean
{
    double sum = 0;
    int count = 0;
    double value() const { return count ? sum / count : 0; }
};

Mean meanOf(const SurfaceFaces &faces, const std::vector<double> &flux, unsigned sy,
            const std::function<bool(unsigned, unsigned, unsigned, unsigned)> &keep)
{
    Mean mean;
    for (size_t f = 0; f < faces.size(); ++f)
        if (keep(faces.column(f) / sy, faces.column(f) % sy, faces.z(f), faces.direction(f))) {
            mean.sum += flux[f];
            ++mean.count;
        }
    return mean;
}

} // namespace

TEST(SurfaceFaces, ExposedFacesWrapSidewaysAndOpenOnlyTowardsASource)
{
    // A 3 x 2 x 3 block of solid cells with one column missing, in a 3 x 2 x 4 volume.
    const CellOccupancy occupancy =
        occupancyOf(3, 2, 4, [](unsigned x, unsigned y, unsigned z) { return z < 3 && !(x == 1 && y == 0); });
    const SurfaceFaces top = SurfaceFaces::of(occupancy, true, false);
    const SurfaceFaces both = SurfaceFaces::of(occupancy, true, true);
    // Tops of the five columns, and the hole's four neighbours (wrapping along y: both y sides) over 3 layers.
    EXPECT_EQ(top.size(), 5u + 4u * 3u);
    EXPECT_EQ(both.size(), top.size() + 5u);
    EXPECT_EQ(SurfaceFaces::count(occupancy, true, false), top.size());
    // Column (1, 1) sees the hole across -y and +y: the field wraps.
    EXPECT_GE(top.find(1 * 2 + 1, 1, SurfaceFaces::MinusY), 0);
    EXPECT_GE(top.find(1 * 2 + 1, 1, SurfaceFaces::PlusY), 0);
    EXPECT_GE(top.find(0 * 2 + 0, 2, SurfaceFaces::PlusX), 0);
    EXPECT_GE(top.find(2 * 2 + 0, 0, SurfaceFaces::MinusX), 0);
    EXPECT_EQ(top.find(0, 0, SurfaceFaces::MinusZ), -1);
    EXPECT_GE(both.find(0, 0, SurfaceFaces::MinusZ), 0);
    EXPECT_EQ(top.find(0, 1, SurfaceFaces::PlusZ), -1);
    for (size_t f = 1; f < top.size(); ++f)
        EXPECT_TRUE(top.column(f - 1) < top.column(f) ||
                    (top.column(f - 1) == top.column(f) && (top.z(f - 1) * 8 + top.direction(f - 1) <
                                                            top.z(f) * 8 + top.direction(f))));
}

// Every particle lands on the flat top, wherever it was launched: the mean is
// 1 exactly, no column near the volume's sides gets less, and the noise per
// face is the Poisson noise of the particles asked for.
TEST(FluxEngine, AnOpenFlatFieldGetsOneEverywhereWithNoEdgeEffect)
{
    struct Row
    {
        ParticleSource source;
        double cell[3];
    } rows[] = {{ParticleSource::cosine(1), {1, 1, 1}},
                {ParticleSource::cosine(0), {1, 1, 1}},
                {ParticleSource::cosine(20), {2, 1, 0.5}},
                {ParticleSource::ions(5), {0.5, 0.5, 2}}};
    const unsigned sx = 24, sy = 16, sz = 8;
    const CellOccupancy occupancy = occupancyOf(sx, sy, sz, [](unsigned, unsigned, unsigned z) { return z < 3; });
    const SurfaceFaces faces = SurfaceFaces::of(occupancy, true, false);
    ASSERT_EQ(faces.size(), size_t(sx) * sy);
    const double noise = 0.05;
    for (const Row &row : rows) {
        const FluxEngine engine(occupancy, faces, row.cell[0], row.cell[1], row.cell[2]);
        TraceStats stats;
        const std::vector<double> flux = engine.trace(row.source, std::vector<float>(faces.size(), 1.0f),
                                                      FluxEngine::particlesFor(noise, sx, sy), 7, &stats);
        EXPECT_EQ(stats.particles, FluxEngine::particlesFor(noise, sx, sy));
        EXPECT_EQ(stats.truncated, 0u);
        double sum = 0, squares = 0, edges = 0;
        int edgeCount = 0;
        for (size_t f = 0; f < faces.size(); ++f) {
            sum += flux[f];
            squares += flux[f] * flux[f];
            const unsigned x = faces.column(f) / sy, y = faces.column(f) % sy;
            if (x == 0 || x == sx - 1 || y == 0 || y == sy - 1) {
                edges += flux[f];
                ++edgeCount;
            }
        }
        const double mean = sum / faces.size();
        EXPECT_NEAR(mean, 1.0, 1e-9);
        EXPECT_LT(std::sqrt(squares / faces.size() - mean * mean), 1.3 * noise);
        // 76 edge faces: their mean is off by less than four standard errors.
        EXPECT_NEAR(edges / edgeCount, 1.0, 4 * noise / std::sqrt(double(edgeCount)));
    }
}

// A diffuse source and unity sticking: the flux in a long trench is the view
// factor of its opening, at the bottom centre and half way down the walls.
TEST(FluxEngine, ALongTrenchGetsTheViewFactorOfItsOpening)
{
    const unsigned w = 8, sy = 2, sx = 3 * w, first = w, last = 2 * w;
    for (unsigned h : {4u, 8u, 16u, 32u}) { // aspect ratios 0.5, 1, 2, 4
        SCOPED_TRACE(h);
        const unsigned base = 2, sz = base + h + 2;
        const CellOccupancy occupancy = occupancyOf(sx, sy, sz, [&](unsigned x, unsigned, unsigned z) {
            return z < base || (z < base + h && (x < first || x >= last));
        });
        const SurfaceFaces faces = SurfaceFaces::of(occupancy, true, false);
        const FluxEngine engine(occupancy, faces, 1, 1, 1);
        const std::vector<double> flux = engine.trace(ParticleSource::cosine(1), std::vector<float>(faces.size(), 1.0f),
                                                      FluxEngine::particlesFor(0.01, sx, sy), 11);
        // Bottom: the two middle columns, x from -1 to 1 about the centre line.
        const Mean bottom = meanOf(faces, flux, sy, [&](unsigned x, unsigned, unsigned z, unsigned d) {
            return d == SurfaceFaces::PlusZ && z == base - 1 && (x == first + w / 2 - 1 || x == first + w / 2);
        });
        ASSERT_EQ(bottom.count, int(2 * sy));
        EXPECT_NEAR(bottom.value() / ViewFactors::trenchBottomMean(w, h, -1, 1), 1.0, 0.05)
            << bottom.value() << " against " << ViewFactors::trenchBottom(w, h, 0);
        // Walls: the rows one cell either side of half the depth, both walls.
        const Mean wall = meanOf(faces, flux, sy, [&](unsigned x, unsigned, unsigned z, unsigned d) {
            const unsigned depthBelowTop = base + h - 1 - z; // the face spans [depthBelowTop, depthBelowTop + 1]
            const bool facing = (d == SurfaceFaces::PlusX && x == first - 1) || (d == SurfaceFaces::MinusX && x == last);
            return facing && (depthBelowTop == h / 2 - 1 || depthBelowTop == h / 2);
        });
        ASSERT_EQ(wall.count, int(4 * sy));
        EXPECT_NEAR(wall.value() / ViewFactors::trenchWallMean(w, h / 2.0 - 1, h / 2.0 + 1), 1.0, 0.05)
            << wall.value() << " against " << ViewFactors::trenchWall(w, h / 2.0);
    }
}

// Re-emission: the bottom of a slot whose walls and bottom stick with given
// probabilities gets the flux the radiosity balance of the slot gives.
TEST(FluxEngine, ASlotWithReemissionMatchesItsRadiosityBalance)
{
    const struct
    {
        unsigned w, h;
        double wall, bottom;
    } rows[] = {{8, 16, 0.0, 0.1}, {8, 32, 0.0, 0.1}, {8, 16, 0.5, 0.5}, {8, 16, 0.1, 0.1}, {6, 24, 1.0, 0.2}};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.w << " x " << row.h << ", walls " << row.wall << ", bottom " << row.bottom);
        const unsigned sy = 2, sx = 3 * row.w, first = row.w, last = 2 * row.w, base = 2, sz = base + row.h + 2;
        const CellOccupancy occupancy = occupancyOf(sx, sy, sz, [&](unsigned x, unsigned, unsigned z) {
            return z < base || (z < base + row.h && (x < first || x >= last));
        });
        const SurfaceFaces faces = SurfaceFaces::of(occupancy, true, false);
        std::vector<float> sticking(faces.size(), 1.0f); // the field's top takes what lands on it
        for (size_t f = 0; f < faces.size(); ++f) {
            const unsigned x = faces.column(f) / sy, z = faces.z(f), d = faces.direction(f);
            if (d == SurfaceFaces::PlusZ && z == base - 1)
                sticking[f] = float(row.bottom);
            else if (d == SurfaceFaces::PlusX || d == SurfaceFaces::MinusX)
                sticking[f] = float(row.wall);
            (void)x;
        }
        const FluxEngine engine(occupancy, faces, 1, 1, 1);
        TraceStats stats;
        const std::vector<double> flux =
            engine.trace(ParticleSource::cosine(1), sticking, FluxEngine::particlesFor(0.02, sx, sy), 3, &stats);
        const Mean bottom = meanOf(faces, flux, sy, [&](unsigned x, unsigned, unsigned z, unsigned d) {
            return d == SurfaceFaces::PlusZ && z == base - 1 && x >= first && x < last;
        });
        const double expected = ViewFactors::slotBottom(row.w, row.h, row.wall, row.bottom);
        EXPECT_NEAR(bottom.value() / expected, 1.0, 0.05) << bottom.value() << " against " << expected;
        EXPECT_LT(stats.truncated, stats.particles / 10000 + 1);
    }
}

// The flux on a cliff face that sees the whole sky on its side, relative to
// the flat top: E[tan theta] / pi over the source's polar angles (1/2 for a
// diffuse source, the sky view factor of a vertical face).
TEST(FluxEngine, ACliffFaceGetsTheSourcesSidewaysShare)
{
    const double pi = 3.14159265358979323846;
    const auto gaussian = [pi](double degrees) {
        const double s = degrees * pi / 180;
        return [s](double t) { return t * std::exp(-t * t / (2 * s * s)); };
    };
    // The floor in front of the cliff is wide enough that no direction the
    // source sends noticeably is cut off by the next plateau.
    const struct
    {
        ParticleSource source;
        std::function<double(double)> density;
        unsigned floor;
    } rows[] = {{ParticleSource::cosine(1), [](double t) { return std::cos(t) * std::sin(t); }, 80},
                {ParticleSource::cosine(4), [](double t) { return std::pow(std::cos(t), 4) * std::sin(t); }, 80},
                {ParticleSource::ions(5), gaussian(5), 16},
                {ParticleSource::ions(15), gaussian(15), 24}};
    for (const auto &row : rows) {
        const double expected = ViewFactors::cliffFace(row.density);
        SCOPED_TRACE(expected);
        const unsigned plateau = 8, sx = plateau + row.floor, sy = 4, sz = 12;
        const CellOccupancy occupancy =
            occupancyOf(sx, sy, sz, [&](unsigned x, unsigned, unsigned z) { return z < 2 || (z < 8 && x < plateau); });
        const SurfaceFaces faces = SurfaceFaces::of(occupancy, true, false);
        const FluxEngine engine(occupancy, faces, 1, 1, 1);
        // About 1000 arrivals on each cliff face.
        const std::vector<double> flux = engine.trace(row.source, std::vector<float>(faces.size(), 1.0f),
                                                      FluxEngine::particlesFor(std::sqrt(expected / 1000), sx, sy), 5);
        const Mean cliff = meanOf(faces, flux, sy, [&](unsigned x, unsigned, unsigned z, unsigned d) {
            return d == SurfaceFaces::PlusX && x == plateau - 1 && z == 7;
        });
        ASSERT_EQ(cliff.count, int(sy));
        EXPECT_NEAR(cliff.value() / expected, 1.0, 0.05) << cliff.value();
    }
}

TEST(FluxEngine, TheFluxIsTheSameBitForBitForAnyThreadCount)
{
    // Trenches of several widths, an overhang and a buried void, sticking 0.3.
    const unsigned sx = 40, sy = 6, sz = 20;
    const CellOccupancy occupancy = occupancyOf(sx, sy, sz, [](unsigned x, unsigned y, unsigned z) {
        if (z < 4)
            return true;
        if (z == 6 && x > 3 && x < 7)
            return false; // void
        if (z >= 12)
            return z == 12 && x >= 20 && x < 26 && y > 0; // a roof over part of a trench
        return !(x % 10 < 1 + x / 10) && !(x >= 22 && x < 30);
    });
    const SurfaceFaces faces = SurfaceFaces::of(occupancy, true, false);
    const FluxEngine engine(occupancy, faces, 1, 0.5, 2);
    std::vector<std::vector<double>> results;
    for (int threads : {1, 2, 3, 7}) {
        TestSupport::PoolSize pool(threads);
        for (const ParticleSource &source : {ParticleSource::cosine(1), ParticleSource::ions(10)})
            results.push_back(
                engine.trace(source, std::vector<float>(faces.size(), 0.3f), 20000, 99));
    }
    for (size_t i = 2; i < results.size(); ++i)
        EXPECT_EQ(results[i], results[i % 2]) << i;
    EXPECT_NE(results[0], results[1]);
}

// A source below sees the volume as a source above sees it turned upside down.
TEST(FluxEngine, ASourceBelowSeesTheVolumeUpsideDown)
{
    const unsigned sx = 20, sy = 4, sz = 16;
    const Shape shape = [](unsigned x, unsigned, unsigned z) { return z >= 10 || (z >= 4 && (x < 6 || x > 11)); };
    const CellOccupancy occupancy = occupancyOf(sx, sy, sz, shape);
    const CellOccupancy upsideDown =
        occupancyOf(sx, sy, sz, [&](unsigned x, unsigned y, unsigned z) { return shape(x, y, sz - 1 - z); });
    const SurfaceFaces faces = SurfaceFaces::of(occupancy, false, true);
    const SurfaceFaces flippedFaces = SurfaceFaces::of(upsideDown, true, false);
    ASSERT_EQ(faces.size(), flippedFaces.size());
    ParticleSource below = ParticleSource::cosine(2);
    below.fromBelow = true;
    const std::vector<double> fromBelow =
        FluxEngine(occupancy, faces, 1, 1, 1).trace(below, std::vector<float>(faces.size(), 0.5f), 30000, 4);
    const std::vector<double> fromAbove = FluxEngine(upsideDown, flippedFaces, 1, 1, 1)
                                              .trace(ParticleSource::cosine(2),
                                                     std::vector<float>(faces.size(), 0.5f), 30000, 4);
    double total = 0;
    for (size_t f = 0; f < faces.size(); ++f) {
        const unsigned d = faces.direction(f);
        const int64_t mirror =
            flippedFaces.find(faces.column(f), sz - 1 - faces.z(f), d < 2 ? (d ^ 1u) : d);
        ASSERT_GE(mirror, 0);
        EXPECT_EQ(fromBelow[f], fromAbove[size_t(mirror)]);
        total += fromBelow[f];
    }
    EXPECT_GT(total, 0);
}
