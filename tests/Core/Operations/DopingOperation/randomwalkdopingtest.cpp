#include "Core/Operations/DopingOperation/randomwalkdoping.h"
#include "Model/Analysis/crosssection.h"
#include "Model/Automaton/totalvolume.h"

#include "volumetestsupport.h"

#include <gtest/gtest.h>

#include <QThreadPool>

#include <cmath>
#include <cstring>
#include <functional>
#include <ostream>
#include <random>

using Core::Operations::RandomWalkDoping;
using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;
using Model::Geometry::FieldPainter;
using Model::Geometry::ParticleCounter;
using Model::Geometry::ParticleCounterArray;

namespace {

const uint32_t Si = 1, NDoped = 14, PDoped = 15, Oxide = 3;
const double Never = 1e300; // a threshold no count reaches

using TestSupport::makeVolume;
using TestSupport::materialAt;

uint32_t silicon(unsigned, unsigned, unsigned) { return Si; }

int64_t cellSum(const ParticleCounter &c)
{
    int64_t s = 0;
    for (int l = 0; l < 7; ++l)
        s += c.values[l];
    return s;
}

int64_t total(const ParticleCounterArray &a)
{
    int64_t s = 0;
    for (const ParticleCounter &c : *a)
        s += cellSum(c);
    return s;
}

// Parameters with q = 1 - 6 D dt / L^2 = 0.5 (p = 1/12) in cells of 1 um.
struct Walk
{
    double D = 1e-13, dt = 0.8333333333, L = 1e-6, cs = 0.0, cth = Never;
};

RandomWalkDoping walker(TotalVolume &v, uint32_t material, const Walk &w, uint32_t seed = 42)
{
    return RandomWalkDoping(v, material, w.D, w.dt, w.L, w.cs, w.cth, seed);
}

// Puts n particles of the type in the cell at rest, on counters the next walk of that type continues.
ParticleCounterArray plant(TotalVolume &v, const QString &property, unsigned x, unsigned y, unsigned z, int32_t n)
{
    ParticleCounterArray counts(new std::vector<ParticleCounter>(v.getCellCount(), ParticleCounter{{0}}));
    (*counts)[v.cellIndex(x, y, z)].values[6] = n;
    v.setProperty(property, FieldPainter::toProperty(counts));
    return counts;
}

} // namespace

TEST(RandomWalkGenerator, MersenneTwisterMatchesPublishedOutputs)
{
    RandomWalkDoping::Generator g(5489u);
    const uint32_t first[] = {3499211612u, 581869302u, 3890346734u, 3586334585u, 545404204u};
    for (uint32_t expected : first)
        EXPECT_EQ(g(), expected);
    RandomWalkDoping::Generator h(5489u);
    h.discard(9999);
    EXPECT_EQ(h(), 4123659995u); // the 10000th output
    // The same stream as the standard library's typedef for any seed.
    RandomWalkDoping::Generator ours(1765432109u);
    std::mt19937 standard(1765432109u);
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(ours(), standard()) << i;
}

TEST(RandomWalkGenerator, BinomialStaysInRangeAndHasTheRightMean)
{
    RandomWalkDoping::Generator g(7u);
    double sum = 0;
    const int draws = 4000;
    for (int i = 0; i < draws; ++i) {
        const uint32_t k = RandomWalkDoping::binomial(g, 45, 0.1f);
        ASSERT_LE(k, 45u);
        sum += k;
    }
    EXPECT_NEAR(sum / draws, 4.5, 0.15);
    RandomWalkDoping::Generator top(1u);
    EXPECT_GE(RandomWalkDoping::uniform01(top), 0.0);
    EXPECT_LE(RandomWalkDoping::uniform01(top), 1.0);
}

namespace {

struct CertainDraw
{
    uint32_t n;
    float x;
    uint32_t expected;
};

void PrintTo(const CertainDraw &d, std::ostream *out) { *out << "B(" << d.n << ", " << d.x << ")"; }

class BinomialCertainOutcomes : public ::testing::TestWithParam<CertainDraw>
{
};

const uint32_t Beyond24Bits = (1u << 24) + 1; // the smallest count a float cannot hold
const uint32_t RoundsUp = (1u << 24) + 3;     // float(n) > n

} // namespace

// A stay probability of 0 or 1, however it was reached (D = 0, or 6 D dt / L^2
// below single precision), leaves nothing to draw: all go or all stay.
TEST_P(BinomialCertainOutcomes, EndAndGiveTheOnlyPossibleCount)
{
    const CertainDraw d = GetParam();
    RandomWalkDoping::Generator g(11u);
    for (int i = 0; i < 8; ++i)
        ASSERT_EQ(RandomWalkDoping::binomial(g, d.n, d.x), d.expected) << d.n << " at " << d.x;
}

INSTANTIATE_TEST_SUITE_P(
    CountsAndProbabilities, BinomialCertainOutcomes,
    ::testing::Values(CertainDraw{500, 1.0f, 500}, CertainDraw{500, 0.0f, 0}, CertainDraw{0, 0.5f, 0},
                      CertainDraw{Beyond24Bits, 1.0f, Beyond24Bits}, CertainDraw{Beyond24Bits, 0.0f, 0},
                      CertainDraw{RoundsUp, 1.0f, RoundsUp}, CertainDraw{RoundsUp, 0.0f, 0},
                      CertainDraw{0x7fffffffu, 1.0f, 0x7fffffffu},
                      CertainDraw{Beyond24Bits, float(1.0 - 6e-10), Beyond24Bits}));

TEST(RandomWalkGenerator, BinomialOfLargeOddCountsNearCertaintyStaysInRange)
{
    // The largest probability below 1: n * x in single precision would exceed n.
    const float nearlyOne = std::nextafter(1.0f, 0.0f);
    RandomWalkDoping::Generator g(5u);
    for (uint32_t n : {Beyond24Bits, RoundsUp, (1u << 25) + 1, 0x7fffffffu}) {
        double sum = 0;
        for (int i = 0; i < 200; ++i) {
            const uint32_t k = RandomWalkDoping::binomial(g, n, nearlyOne);
            ASSERT_LE(k, n);
            sum += double(n - k);
        }
        // On average n (1 - x) leave, a few at most for these counts.
        const double leave = double(n) * (1.0 - double(nearlyOne));
        EXPECT_NEAR(sum / 200, leave, 3.0 * std::sqrt(leave) + 1.0) << n;
    }
}

// A walk at 1e8 particles per cell spreads large odd counts; a second walk
// whose stay probability rounds to 1 must end, and move nothing.
TEST(RandomWalkDoping, WalkWithAStayProbabilityOfOneEndsAndMovesNothing)
{
    for (double still : {1e-20, 0.0}) {
        const boost::shared_ptr<TotalVolume> v =
            makeVolume(10, 10, 20, [](unsigned, unsigned, unsigned z) { return z < 15 ? Si : 0u; });
        Walk w;
        w.cs = 1e26;
        w.cth = 1e30;
        ASSERT_TRUE(walker(*v, PDoped, w, 3).dope(4.27));
        w.D = still;
        w.dt = 0.01;
        RandomWalkDoping again = walker(*v, PDoped, w, 4);
        ASSERT_EQ(again.stayProbability(), 1.0f);
        ASSERT_TRUE(again.dope(0.02));
        const ParticleCounterArray &a = again.counters();
        size_t large = 0;
        for (unsigned x = 0; x < 10; ++x)
            for (unsigned y = 0; y < 10; ++y)
                for (unsigned z = 0; z < 14; ++z) {
                    const ParticleCounter &c = (*a)[v->cellIndex(x, y, z)];
                    for (int l = 0; l < 6; ++l)
                        ASSERT_EQ(c.values[l], 0) << x << "," << y << "," << z;
                    // Odd counts beyond 24 bits are the ones single precision rounds up.
                    large += c.values[6] > int32_t(Beyond24Bits) && c.values[6] % 2 == 1 ? 1 : 0;
                }
        EXPECT_GT(large, 20u) << "D = " << still;
    }
}

namespace {

// x with erfc(x) = y, by bisection on the standard library's erfc.
double inverseErfc(double y)
{
    double lo = 0.0, hi = 6.0;
    for (int i = 0; i < 200; ++i) {
        const double mid = 0.5 * (lo + hi);
        (std::erfc(mid) > y ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

// Silicon below z = 40 under an open top, doped from the constant surface
// concentration for the time given; returns the junction depth in cells below
// the surface cell: halfway between the deepest doped cell and the next.
double junctionDepth(double dt, double time)
{
    const unsigned top = 40;
    const boost::shared_ptr<TotalVolume> v =
        makeVolume(4, 4, top + 4, [top](unsigned, unsigned, unsigned z) { return z < top ? Si : 0u; });
    Walk w;
    w.dt = dt;
    w.cs = 1e26;  // 1e8 particles per cell of 1 um
    w.cth = 1e25; // a tenth of it
    RandomWalkDoping doping = walker(*v, PDoped, w, 17);
    EXPECT_TRUE(doping.dope(time));
    double depths = 0;
    for (unsigned x = 0; x < 4; ++x)
        for (unsigned y = 0; y < 4; ++y) {
            unsigned z = top;
            while (z > 0 && materialAt(*v, x, y, z - 1) == PDoped)
                --z;
            // The surface cell, held at the surface concentration, is depth 0.
            depths += double(top - 1 - z) + 0.5;
        }
    return depths / 16.0;
}

} // namespace

TEST(RandomWalkDoping, JunctionDepthFollowsTheErfcProfileForEveryTimeStep)
{
    // D = 1e-13 m^2/s in cells of 1 um: the dialog's own step 0.8333 s (q = 0.5), its half and its quarter.
    const double D = 1e-13, L = 1e-6, time = 250.0;
    const double expected = 2.0 * std::sqrt(D * time) * inverseErfc(0.1) / L;
    ASSERT_NEAR(expected, 11.63, 0.01);
    const double steps[] = {0.8333333333, 0.8333333333 / 2, 0.8333333333 / 4};
    double depths[3];
    for (int i = 0; i < 3; ++i) {
        depths[i] = junctionDepth(steps[i], time);
        EXPECT_NEAR(depths[i], expected, 1.5) << "dt = " << steps[i];
    }
    EXPECT_NEAR(depths[1], depths[0], 1.0);
    EXPECT_NEAR(depths[2], depths[0], 1.0);
}

// Silicon 40 cells high in a volume 48 high once grew a doped ball round the
// centre, 1,400 cells below z = 30. The continuum's junction lies at
// x_j = 2 sqrt(D t) erfc^-1(threshold / Cs) below the surface cell; no cell
// wholly deeper than that may be doped.
TEST(RandomWalkDoping, NoCellBelowTheContinuumJunctionIsDoped)
{
    const unsigned top = 40;
    const boost::shared_ptr<TotalVolume> v =
        makeVolume(16, 16, 48, [top](unsigned, unsigned, unsigned z) { return z < top ? Si : 0u; });
    Walk w;
    w.D = 1e-16;
    w.dt = 8.333;
    w.L = 1e-7;
    w.cs = 1e24;
    w.cth = 1e23;
    const double time = 400.0;
    ASSERT_TRUE(walker(*v, NDoped, w, 2024).dope(time));
    const double junction = 2.0 * std::sqrt(w.D * time) * inverseErfc(w.cth / w.cs) / w.L; // cells
    ASSERT_NEAR(junction, 4.65, 0.01);
    int doped = 0, deep = 0;
    for (unsigned x = 0; x < 16; ++x)
        for (unsigned y = 0; y < 16; ++y)
            for (unsigned z = 0; z < top; ++z) {
                if (materialAt(*v, x, y, z) != NDoped)
                    continue;
                ++doped;
                // The surface cell's centre is depth 0; a cell spans its depth +- 1/2.
                const double depth = double(top - 1 - z);
                deep += depth - 0.5 > junction ? 1 : 0;
            }
    EXPECT_EQ(0, deep);
    EXPECT_GE(doped, 16 * 16 * 4); // the layers above the junction
}

// The counts a section exports are whole cells' counts: averaged over the plane
// they follow C(x) = Cs erfc(x / (2 sqrt(D t))) from the surface cell down.
TEST(RandomWalkDoping, ExportedCountsFollowTheErfcProfile)
{
    const unsigned top = 40, side = 8;
    const boost::shared_ptr<TotalVolume> v =
        makeVolume(side, side, top + 2, [top](unsigned, unsigned, unsigned z) { return z < top ? Si : 0u; });
    Walk w;
    w.cs = 1e22; // 10,000 particles in a cell of 1 um
    const double time = 250.0; // 2 sqrt(D t) = 10 cells
    ASSERT_TRUE(walker(*v, PDoped, w, 77).dope(time));
    std::vector<double> mean(top, 0.0);
    for (unsigned y = 0; y < side; ++y) {
        Model::Analysis::SectionGrid grid;
        QString error;
        ASSERT_TRUE(Model::Analysis::sliceVolume(*v, Model::Analysis::SectionAxis::Y, y, &grid, &error,
                                                 Model::Analysis::ParticleView::PType))
            << error.toStdString();
        ASSERT_EQ(grid.particles.size(), size_t(side) * (top + 2));
        for (unsigned z = 0; z < top; ++z)
            for (unsigned x = 0; x < side; ++x)
                mean[z] += double(grid.particles[size_t(z) * grid.width + x]) / (side * side);
    }
    const double cs = w.cs * w.L * w.L * w.L, spread = 2.0 * std::sqrt(w.D * time) / w.L;
    double error2 = 0, norm2 = 0;
    for (unsigned z = 0; z < top; ++z) {
        const double expected = cs * std::erfc(double(top - 1 - z) / spread);
        error2 += (mean[z] - expected) * (mean[z] - expected);
        norm2 += expected * expected;
    }
    EXPECT_LT(std::sqrt(error2 / norm2), 0.02);
}

TEST(RandomWalkDoping, RefusesATimeStepWithNegativeStayProbability)
{
    const boost::shared_ptr<TotalVolume> v = makeVolume(4, 4, 4, silicon);
    Walk w;
    w.dt = 3.0; // 6 D dt / L^2 = 1.8
    RandomWalkDoping doping = walker(*v, NDoped, w);
    EXPECT_FALSE(doping.isValid());
    EXPECT_TRUE(doping.error().contains(QStringLiteral("too long")));
    EXPECT_FALSE(doping.dope(100.0));
    EXPECT_FALSE(v->getProperty(FieldPainter::nTypeProperty()).isValid());
    // Exactly at the bound the walk may run: every particle moves.
    EXPECT_TRUE(RandomWalkDoping::checkParameters(1e-13, 1e-12 / 6e-13, 1e-6, 0, 0).isEmpty());
    EXPECT_FALSE(RandomWalkDoping::checkParameters(1e-13, 0.0, 1e-6, 0, 0).isEmpty());
    EXPECT_FALSE(RandomWalkDoping::checkParameters(1e-13, 1.0, 0.0, 0, 0).isEmpty());
}

TEST(RandomWalkDoping, TimeShorterThanAStepRunsNothing)
{
    const boost::shared_ptr<TotalVolume> v = makeVolume(6, 6, 6, silicon);
    RandomWalkDoping doping = walker(*v, NDoped, Walk());
    EXPECT_EQ(doping.stepsFor(0.5), 0u);
    EXPECT_TRUE(doping.dope(0.5));
    EXPECT_EQ(total(doping.counters()), 0);
    CellLock lock(*v);
    for (size_t i = 0; i < v->getCellCount(); ++i)
        ASSERT_EQ(lock.cells()[i].material, Si);
}

// Particles never pass the volume's top or bottom, a non-dopable cell or, sealed,
// the open surface: the count a walk starts with is the count it ends with.
TEST(RandomWalkDoping, ClosedVolumeKeepsEveryParticle)
{
    struct Case
    {
        const char *name;
        std::function<uint32_t(unsigned, unsigned, unsigned)> cells;
        RandomWalkDoping::Surface surface;
    };
    const Case cases[] = {
        {"silicon throughout", silicon, RandomWalkDoping::Source},
        {"an oxide block inside", [](unsigned x, unsigned, unsigned z) { return x >= 5 && x < 7 && z < 6 ? Oxide : Si; },
         RandomWalkDoping::Source},
        {"sealed under an open top", [](unsigned x, unsigned, unsigned z) { return z < 6 || (x < 2 && z < 8) ? Si : 0u; },
         RandomWalkDoping::Sealed},
    };
    for (const Case &c : cases) {
        const boost::shared_ptr<TotalVolume> v = makeVolume(9, 9, 9, c.cells);
        plant(*v, FieldPainter::pTypeProperty(), 4, 4, 4, 700000);
        RandomWalkDoping doping = walker(*v, PDoped, Walk());
        doping.setSurface(c.surface);
        ASSERT_TRUE(doping.dope(40 * 0.8333333333 + 0.1)) << c.name; // long enough to reach every face
        EXPECT_EQ(total(doping.counters()), 700000) << c.name;
        const ParticleCounterArray &a = doping.counters();
        EXPECT_GT(cellSum((*a)[v->cellIndex(4, 4, 0)]), 0) << c.name;
        EXPECT_GT(cellSum((*a)[v->cellIndex(0, 0, 5)]), 0) << c.name;
    }
}

// Once made a buried ball of 700,000 particles at the volume's centre on every run.
TEST(RandomWalkDoping, NoParticleAppearsAwayFromTheSurface)
{
    for (auto surface : {RandomWalkDoping::Source, RandomWalkDoping::Sealed}) {
        const boost::shared_ptr<TotalVolume> v = makeVolume(9, 9, 9, silicon);
        RandomWalkDoping doping = walker(*v, NDoped, Walk());
        doping.setSurface(surface);
        ASSERT_TRUE(doping.dope(10 * 0.8333333333));
        EXPECT_EQ(total(doping.counters()), 0) << surface;
    }
}

TEST(RandomWalkDoping, CountersContinueAcrossRunsAndTypesKeepTheirOwnArrays)
{
    const boost::shared_ptr<TotalVolume> v = makeVolume(9, 9, 9, silicon);
    const ParticleCounterArray first = plant(*v, FieldPainter::nTypeProperty(), 4, 4, 4, 5000);
    {
        RandomWalkDoping doping = walker(*v, NDoped, Walk(), 1);
        EXPECT_FALSE(doping.allocatedNewArray());
        EXPECT_EQ(doping.counters(), first);
        ASSERT_TRUE(doping.dope(10 * 0.8333333333));
    }
    const std::vector<ParticleCounter> afterFirst = *first;
    {
        RandomWalkDoping again = walker(*v, NDoped, Walk(), 2);
        EXPECT_EQ(again.counters(), first);
        ASSERT_TRUE(again.dope(10 * 0.8333333333));
        EXPECT_EQ(total(first), 5000);
        EXPECT_NE(0, std::memcmp(afterFirst.data(), first->data(), afterFirst.size() * sizeof(ParticleCounter)));
    }
    {
        RandomWalkDoping other = walker(*v, PDoped, Walk(), 3);
        EXPECT_TRUE(other.allocatedNewArray());
        EXPECT_NE(other.counters(), first);
        EXPECT_EQ(other.propertyName(), FieldPainter::pTypeProperty());
    }
    EXPECT_EQ(FieldPainter::countersOf(v->getProperty(FieldPainter::nTypeProperty())), first);
}

// One step with D = 0 moves nothing new: only the particles already in flight arrive.
TEST(RandomWalkDoping, ParticlesWrapInXAndYAndNeverLeaveThroughZ)
{
    const boost::shared_ptr<TotalVolume> v = makeVolume(8, 8, 8, silicon);
    ParticleCounterArray counts(new std::vector<ParticleCounter>(v->getCellCount(), ParticleCounter{{0}}));
    struct Flight
    {
        unsigned x, y, z;
        int slot;
        int32_t n;
        unsigned tx, ty, tz;
    };
    const Flight flights[] = {
        {0, 3, 3, 5, 5, 7, 3, 3},  // towards x - 1: wraps to the last column
        {7, 2, 2, 4, 6, 0, 2, 2},  // towards x + 1: wraps to the first
        {3, 7, 5, 2, 7, 3, 0, 5},  // towards y + 1
        {2, 0, 5, 3, 8, 2, 7, 5},  // towards y - 1
        {1, 1, 0, 1, 9, 1, 1, 0},  // towards z - 1 through the bottom: stays
        {6, 6, 7, 0, 11, 6, 6, 7}, // towards z + 1 through the top: stays
    };
    for (const Flight &f : flights)
        (*counts)[v->cellIndex(f.x, f.y, f.z)].values[f.slot] = f.n;
    v->setProperty(FieldPainter::nTypeProperty(), FieldPainter::toProperty(counts));

    Walk still;
    still.D = 0.0;
    RandomWalkDoping doping = walker(*v, NDoped, still);
    EXPECT_FALSE(doping.allocatedNewArray());
    ASSERT_TRUE(doping.dope(1.0));
    for (const Flight &f : flights)
        EXPECT_EQ((*counts)[v->cellIndex(f.tx, f.ty, f.tz)].values[6], f.n) << f.x << "," << f.y << "," << f.z;
    EXPECT_EQ(total(counts), 5 + 6 + 7 + 8 + 9 + 11);
}

TEST(RandomWalkDoping, SpreadGrowsBySixPCellsSquaredPerStep)
{
    const unsigned n = 31, c = 15, steps = 24;
    const boost::shared_ptr<TotalVolume> v = makeVolume(n, n, n, silicon);
    plant(*v, FieldPainter::nTypeProperty(), c, c, c, 700000);
    RandomWalkDoping doping = walker(*v, NDoped, Walk(), 12345);
    ASSERT_TRUE(doping.dope((steps + 0.5) * 0.8333333333));
    const ParticleCounterArray &a = doping.counters();
    // Count the particles in flight at the cells they are heading to.
    const int d[6][3] = {{0, 0, 1}, {0, 0, -1}, {0, 1, 0}, {0, -1, 0}, {1, 0, 0}, {-1, 0, 0}};
    double weight = 0, moment = 0;
    for (unsigned x = 0; x < n; ++x)
        for (unsigned y = 0; y < n; ++y)
            for (unsigned z = 0; z < n; ++z) {
                const ParticleCounter &cell = (*a)[v->cellIndex(x, y, z)];
                for (int l = 0; l < 7; ++l) {
                    const double dx = double(x) - c + (l < 6 ? d[l][0] : 0);
                    const double dy = double(y) - c + (l < 6 ? d[l][1] : 0);
                    const double dz = double(z) - c + (l < 6 ? d[l][2] : 0);
                    weight += cell.values[l];
                    moment += cell.values[l] * (dx * dx + dy * dy + dz * dz);
                }
            }
    ASSERT_EQ(weight, 700000.0);
    // Each step moves a particle one cell with probability 6 p.
    const double expected = 6.0 * doping.moveProbability() * steps;
    EXPECT_NEAR(moment / weight, expected, 0.03 * expected);
}

TEST(RandomWalkDoping, OpenSurfacePinsCellsAndThresholdDecidesDoping)
{
    // Silicon up to z = 5 under an open top, one oxide cell in its top layer.
    const boost::shared_ptr<TotalVolume> v = makeVolume(6, 6, 10, [](unsigned x, unsigned y, unsigned z) {
        return x == 3 && y == 3 && z == 5 ? Oxide : z < 6 ? Si : 0u;
    });
    Walk w;
    w.cs = 500e18;  // 500 particles per cell
    w.cth = 100e18; // 100
    RandomWalkDoping doping = walker(*v, PDoped, w);
    // L^3 * C is formed in single precision and truncated, so 500 may come out as 499.
    EXPECT_NEAR(doping.surfaceCount(), 500, 1);
    EXPECT_NEAR(doping.thresholdCount(), 100, 1);
    ASSERT_TRUE(doping.dope(3 * 0.8333333333));
    const ParticleCounterArray &a = doping.counters();
    CellLock lock(*v);
    for (unsigned x = 0; x < 6; ++x)
        for (unsigned y = 0; y < 6; ++y) {
            if (x == 3 && y == 3)
                continue;
            const size_t top = v->cellIndex(x, y, 5);
            EXPECT_EQ(cellSum((*a)[top]), doping.surfaceCount());
            EXPECT_EQ(lock.cells()[top].material, PDoped);
            // Three steps cannot carry anything five cells down: below the threshold, still silicon.
            EXPECT_EQ(lock.cells()[v->cellIndex(x, y, 0)].material, Si);
            EXPECT_EQ(cellSum((*a)[v->cellIndex(x, y, 9)]), 0); // empty cells hold nothing afterwards
        }
}

TEST(RandomWalkDoping, ResultDoesNotDependOnThePoolSize)
{
    std::vector<ParticleCounter> reference;
    const int oldCount = QThreadPool::globalInstance()->maxThreadCount();
    for (int threads : {1, 2, 3, 7}) {
        QThreadPool::globalInstance()->setMaxThreadCount(threads);
        const boost::shared_ptr<TotalVolume> v =
            makeVolume(21, 9, 12, [](unsigned, unsigned, unsigned z) { return z < 8 ? Si : 0u; });
        Walk w;
        w.cs = 60e18;
        w.cth = 30e18;
        RandomWalkDoping doping = walker(*v, NDoped, w, 99);
        ASSERT_TRUE(doping.dope(12 * 0.8333333333));
        if (reference.empty()) {
            reference = *doping.counters();
            continue;
        }
        ASSERT_EQ(reference.size(), doping.counters()->size());
        EXPECT_EQ(0, std::memcmp(reference.data(), doping.counters()->data(),
                                 reference.size() * sizeof(ParticleCounter)))
            << threads << " threads";
    }
    QThreadPool::globalInstance()->setMaxThreadCount(oldCount);
}
