// Sputter deposition, ion-enhanced etching and the Bosch process against
// references computed from geometry in viewfactors.h, and against each other
// for any thread count.

#include "viewfactors.h"

#include "Core/Operations/LineOfSight/boschetching.h"
#include "Core/Operations/LineOfSight/ionenhancedetching.h"
#include "Core/Operations/LineOfSight/sputterdeposition.h"
#include "volumetestsupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;
using TestSupport::makeVolume;
using TestSupport::materialAt;
using TestSupport::materialsOf;

namespace {

const uint32_t Si = 1, Oxide = 3, Aluminium = 4;

// The film in cell units each cell holds after a deposition: 1 for a cell of
// the film, or the fraction it was filled to before the run rounded it.
double filmIn(TotalVolume &volume, const LineOfSightProcess &process, uint32_t material, unsigned x, unsigned y,
              unsigned z)
{
    const auto found = process.lastFractions().find(uint32_t(volume.cellIndex(x, y, z)));
    if (found != process.lastFractions().end())
        return found->second;
    return materialAt(volume, x, y, z) == material ? 1.0 : 0.0;
}

// A column's film from z upward (deposition) or its etched depth from z downward (etching), in cells.
double columnAmount(TotalVolume &volume, const LineOfSightProcess &process, unsigned x, unsigned y, unsigned from,
                    bool up, const std::function<double(unsigned z)> &amountAt)
{
    double sum = 0;
    if (up)
        for (unsigned z = from; z < volume.getSizeZ(); ++z)
            sum += amountAt(z);
    else
        for (int z = int(from); z >= 0; --z)
            sum += amountAt(unsigned(z));
    (void)process;
    (void)x;
    (void)y;
    return sum;
}

// Silicon to base + depth, with a trench w wide in the middle of a field 3 w wide.
boost::shared_ptr<TotalVolume> trenchField(unsigned w, unsigned depth, unsigned sy, unsigned base, unsigned room)
{
    return makeVolume(3 * w, sy, base + depth + room, [=](unsigned x, unsigned, unsigned z) -> uint32_t {
        return z < base || (z < base + depth && (x < w || x >= 2 * w)) ? Si : 0u;
    });
}

} // namespace

// A thin film (thickness a tenth of the width): the bottom centre gets the
// view factor of the opening, w / sqrt(w^2 + 4 h^2), of what the top gets.
TEST(SputterDeposition, AThinFilmOnATrenchBottomFollowsTheViewFactorOfTheOpening)
{
    const unsigned w = 40, sy = 4, base = 3;
    for (unsigned h : {40u, 80u}) {
        SCOPED_TRACE(h);
        const double thickness = w / 10.0;
        const boost::shared_ptr<TotalVolume> volume = trenchField(w, h, sy, base, 10);
        SputterDeposition deposition(*volume, Aluminium, thickness, 1, 1);
        deposition.setNoise(0.05);
        ASSERT_TRUE(deposition.check().isEmpty()) << qPrintable(deposition.check());
        deposition.run();
        double top = 0, bottom = 0;
        for (unsigned y = 0; y < sy; ++y) {
            for (unsigned x : {w / 4, w / 2, 5 * w / 2, 11 * w / 4}) // the field's top, far from the edges
                top += columnAmount(*volume, deposition, x, y, base + h, true,
                                    [&](unsigned z) { return filmIn(*volume, deposition, Aluminium, x, y, z); });
            for (unsigned x = 3 * w / 2 - 2; x < 3 * w / 2 + 2; ++x) // the bottom's centre
                bottom += columnAmount(*volume, deposition, x, y, base, true, [&](unsigned z) {
                    return z < base + h / 2 ? filmIn(*volume, deposition, Aluminium, x, y, z) : 0.0;
                });
        }
        top /= 4 * sy;
        bottom /= 4 * sy;
        EXPECT_NEAR(top, thickness, 0.05 * thickness);
        const double expected = ViewFactors::trenchBottomMean(w, h, -2, 2);
        EXPECT_NEAR(bottom / top / expected, 1.0, 0.15) << bottom / top << " against " << expected;
    }
}

// What does not stick comes back: at sticking 0.05 the bottom of a trench as
// deep as it is wide gets at least 0.8 of the top's film.
TEST(SputterDeposition, LowStickingEvensTheFilmOut)
{
    const unsigned w = 20, h = 20, sy = 2, base = 2;
    const boost::shared_ptr<TotalVolume> volume = trenchField(w, h, sy, base, 8);
    SputterDeposition deposition(*volume, Aluminium, 2, 1, 0.05);
    deposition.run();
    double top = 0, bottom = 0;
    // The middle half of the field's top and of the trench's bottom, clear of the walls' film.
    for (unsigned y = 0; y < sy; ++y)
        for (unsigned x = w / 4; x < 3 * w / 4; ++x) {
            top += columnAmount(*volume, deposition, x, y, base + h, true,
                                [&](unsigned z) { return filmIn(*volume, deposition, Aluminium, x, y, z); });
            const unsigned inside = w + x;
            bottom += columnAmount(*volume, deposition, inside, y, base, true, [&](unsigned z) {
                return z < base + h / 2 ? filmIn(*volume, deposition, Aluminium, inside, y, z) : 0.0;
            });
        }
    EXPECT_GE(bottom / top, 0.8) << bottom / top;
    EXPECT_LT(bottom / top, 1.05);
}

// At unity sticking the upper walls see more of the source than the lower
// ones: the film at the mouth grows over the trench (film above empty cells).
TEST(SputterDeposition, UnitStickingGrowsOverhangsAtTheTopCorners)
{
    const unsigned w = 16, h = 32, sy = 4, base = 4;
    const boost::shared_ptr<TotalVolume> volume = trenchField(w, h, sy, base, 16);
    SputterDeposition(*volume, Aluminium, 8, 1, 1).run();
    double mouth = 0, middle = 0;
    int overhanging = 0;
    for (unsigned y = 0; y < sy; ++y) {
        for (unsigned x = w; x < 2 * w; ++x) {
            mouth += materialAt(*volume, x, y, base + h - 1) == Aluminium;
            middle += materialAt(*volume, x, y, base + h / 2) == Aluminium;
            for (unsigned z = base + h / 2; z < base + h + 4; ++z)
                overhanging += materialAt(*volume, x, y, z) == Aluminium && materialAt(*volume, x, y, z - 1) == 0;
        }
    }
    EXPECT_GT(mouth, 1.5 * middle) << mouth << " " << middle;
    EXPECT_GT(overhanging, 0);
}

// Neutral-limited etching (ion fraction 0) under an inert mask slot: the
// silicon at the slot's bottom etches at the incident neutral flux the
// slot's radiosity balance gives (inert walls, sticking s on the bottom).
TEST(IonEnhancedEtching, NeutralEtchingUnderASlotFollowsItsTransmission)
{
    const struct
    {
        unsigned w, h;
        double sticking;
    } rows[] = {{8, 16, 0.1}, {8, 32, 0.1}, {4, 32, 0.1}, {8, 16, 0.5}};
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << row.w << " x " << row.h << ", sticking " << row.sticking);
        const unsigned sy = 4, base = 8, sx = 3 * row.w, top = base + row.h;
        const boost::shared_ptr<TotalVolume> volume = makeVolume(sx, sy, top + 4, [&](unsigned x, unsigned, unsigned z) {
            return z < base ? Si : z < top && (x < row.w || x >= 2 * row.w) ? Oxide : 0u;
        });
        const double depth = 2;
        IonEnhancedEtching etch(*volume, Si, depth, 5, 0, row.sticking, 1e9);
        etch.setNoise(0.04);
        ASSERT_TRUE(etch.check().isEmpty()) << qPrintable(etch.check());
        etch.run();
        double etched = 0;
        for (unsigned x = row.w; x < 2 * row.w; ++x)
            for (unsigned y = 0; y < sy; ++y)
                etched += columnAmount(*volume, etch, x, y, base - 1, false, [&](unsigned z) {
                    const auto found = etch.lastFractions().find(uint32_t(volume->cellIndex(x, y, z)));
                    if (found != etch.lastFractions().end())
                        return found->second;
                    return materialAt(*volume, x, y, z) == 0 ? 1.0 : 0.0;
                });
        etched /= row.w * sy;
        const double expected = ViewFactors::slotBottom(row.w, row.h, 0, row.sticking);
        EXPECT_NEAR(etched / depth / expected, 1.0, 0.15) << etched / depth << " against " << expected;
    }
}

// Openings of 2 to 32 cells side by side: the narrower, the shallower.
TEST(IonEnhancedEtching, NarrowerOpeningsEtchShallower)
{
    const unsigned widths[] = {32, 16, 8, 4, 2};
    const unsigned pitch = 48, sy = 4, base = 40, mask = 4, sx = pitch * 5;
    const boost::shared_ptr<TotalVolume> volume = makeVolume(sx, sy, base + mask + 6, [&](unsigned x, unsigned, unsigned z) {
        if (z < base)
            return Si;
        const unsigned w = widths[x / pitch], at = x % pitch;
        return z < base + mask && !(at >= (pitch - w) / 2 && at < (pitch + w) / 2) ? Oxide : 0u;
    });
    IonEnhancedEtching(*volume, Si, 20, 10, 0.6, 0.1, 50).run();
    double last = 1e9;
    for (unsigned i = 0; i < 5; ++i) {
        double depth = 0;
        for (unsigned y = 0; y < sy; ++y) {
            const unsigned x = i * pitch + pitch / 2;
            unsigned z = base;
            while (z > 0 && materialAt(*volume, x, y, z - 1) == 0)
                --z;
            depth += base - z;
        }
        depth /= sy;
        EXPECT_LT(depth, last) << widths[i];
        if (i == 0) {
            EXPECT_NEAR(depth, 20, 2);
        }
        last = depth;
    }
    EXPECT_GT(last, 0);
}

TEST(IonEnhancedEtching, TheMaskErodesByTheSelectivity)
{
    // An oxide film on silicon: ions and neutrals alike erode it at 1 / 4 of the rate.
    const boost::shared_ptr<TotalVolume> volume =
        makeVolume(16, 4, 30, [](unsigned, unsigned, unsigned z) { return z < 10 ? Si : z < 20 ? Oxide : 0u; });
    IonEnhancedEtching(*volume, Si, 16, 5, 0.5, 0.3, 4).run();
    for (unsigned x = 0; x < 16; ++x)
        for (unsigned y = 0; y < 4; ++y) {
            EXPECT_EQ(materialAt(*volume, x, y, 15), Oxide);
            EXPECT_EQ(materialAt(*volume, x, y, 16), 0u);
        }
}

namespace {

// Silicon to 'surface', an oxide mask two cells thick with the openings given (x ranges).
boost::shared_ptr<TotalVolume> maskedSilicon(unsigned sx, unsigned sy, unsigned surface, unsigned room,
                                             const std::vector<std::pair<unsigned, unsigned>> &openings)
{
    return makeVolume(sx, sy, surface + 2 + room, [=](unsigned x, unsigned, unsigned z) -> uint32_t {
        if (z < surface)
            return Si;
        if (z >= surface + 2)
            return 0;
        for (const auto &opening : openings)
            if (x >= opening.first && x < opening.second)
                return 0;
        return Oxide;
    });
}

// The x of the first solid cell from the trench's middle towards side (-1 or +1), averaged over y.
double wallAt(TotalVolume &volume, unsigned middle, int side, unsigned z)
{
    double sum = 0;
    for (unsigned y = 0; y < volume.getSizeY(); ++y) {
        int x = int(middle);
        while (x + side >= 0 && x + side < int(volume.getSizeX()) && materialAt(volume, unsigned(x + side), y, z) == 0)
            x += side;
        sum += x + (side > 0 ? 1 : 0); // the wall's plane
    }
    return sum / volume.getSizeY();
}

double depthAt(TotalVolume &volume, unsigned x, unsigned surface)
{
    double sum = 0;
    for (unsigned y = 0; y < volume.getSizeY(); ++y) {
        unsigned z = surface;
        while (z > 0 && materialAt(volume, x, y, z - 1) == 0)
            --z;
        sum += surface - z;
    }
    return sum / volume.getSizeY();
}

} // namespace

TEST(BoschEtching, AWideOpeningEtchesCyclesTimesTheEtchPerCycle)
{
    const unsigned surface = 40;
    const boost::shared_ptr<TotalVolume> volume = maskedSilicon(128, 2, surface, 4, {{16, 112}});
    BoschEtching etch(*volume, MaterialSet{Si}, 10, 3, 1, 3, 0.1);
    ASSERT_TRUE(etch.check().isEmpty()) << qPrintable(etch.check());
    etch.run();
    EXPECT_NEAR(depthAt(*volume, 64, surface), 30, 3);
    EXPECT_EQ(materialAt(*volume, 64, 0, surface + 1), 0u);
    EXPECT_EQ(materialAt(*volume, 8, 0, surface + 1), Oxide); // the mask stays
}

// Twenty cycles: walls within 2 degrees of vertical, scallops one cycle's
// etch apart, and a narrow opening behind a wide one (less neutral flux).
TEST(BoschEtching, WallsStayVerticalWithOneScallopPerCycleAndNarrowOpeningsLag)
{
    const unsigned surface = 130, cycles = 20;
    const double perCycle = 6;
    const boost::shared_ptr<TotalVolume> volume = maskedSilicon(96, 4, surface, 4, {{16, 48}, {72, 76}});
    BoschEtching(*volume, MaterialSet{Si}, cycles, perCycle, 2, 3, 0.1).run();
    const double wide = depthAt(*volume, 32, surface), narrow = depthAt(*volume, 74, surface);
    EXPECT_GT(wide, 0.85 * cycles * perCycle);
    EXPECT_LT(narrow, 0.9 * wide);

    // Wall positions from one cycle below the mask to one cycle above the floor.
    const unsigned high = surface - unsigned(perCycle) - 1, low = surface - unsigned(wide) + unsigned(perCycle);
    for (int side : {-1, 1}) {
        SCOPED_TRACE(side);
        std::vector<double> z, x;
        for (unsigned at = low; at <= high; ++at) {
            z.push_back(at);
            x.push_back(wallAt(*volume, 32, side, at));
        }
        // Least-squares line x = a + b z: the wall's angle from the vertical.
        const double n = double(z.size());
        double sz = 0, sx = 0, szz = 0, szx = 0;
        for (size_t i = 0; i < z.size(); ++i) {
            sz += z[i];
            sx += x[i];
            szz += z[i] * z[i];
            szx += z[i] * x[i];
        }
        const double slope = (n * szx - sz * sx) / (n * szz - sz * sz);
        const double a = (sx - slope * sz) / n;
        EXPECT_LT(std::fabs(std::atan(slope)) * 180 / 3.14159265358979, 2.0) << slope;
        // The scallop period: the period (3 to 12 cells) with the most power in the detrended wall.
        double bestPeriod = 0, bestPower = -1;
        for (double period = 3; period <= 12; period += 0.05) {
            double re = 0, im = 0;
            for (size_t i = 0; i < x.size(); ++i) {
                const double rest = x[i] - (a + slope * z[i]), phase = 2 * 3.14159265358979 * z[i] / period;
                re += rest * std::cos(phase);
                im += rest * std::sin(phase);
            }
            if (re * re + im * im > bestPower) {
                bestPower = re * re + im * im;
                bestPeriod = period;
            }
        }
        EXPECT_LE(std::fabs(bestPeriod - perCycle), 1.0) << bestPeriod;
        EXPECT_NEAR(bestPeriod, wide / cycles, 0.5); // one scallop for each cycle's etch
    }
}

// Every engine gives the same cells, bit for bit, for any thread count.
TEST(LineOfSight, EveryEngineGivesTheSameCellsForAnyThreadCount)
{
    const auto start = [] {
        return maskedSilicon(40, 6, 16, 14, {{4, 8}, {14, 26}});
    };
    const std::vector<std::function<void(TotalVolume &)>> runs = {
        [](TotalVolume &v) { SputterDeposition(v, Aluminium, 3, 2, 0.4).run(); },
        [](TotalVolume &v) { IonEnhancedEtching(v, Si, 5, 8, 0.7, 0.2, 5).run(); },
        [](TotalVolume &v) { BoschEtching(v, MaterialSet{Si}, 3, 2, 0.5, 4, 0.2).run(); }};
    for (size_t engine = 0; engine < runs.size(); ++engine) {
        SCOPED_TRACE(engine);
        std::vector<uint32_t> reference;
        for (int threads : {1, 2, 3, 7}) {
            TestSupport::PoolSize pool(threads);
            const boost::shared_ptr<TotalVolume> volume = start();
            const std::vector<uint32_t> before = materialsOf(*volume);
            runs[engine](*volume);
            const std::vector<uint32_t> after = materialsOf(*volume);
            EXPECT_NE(after, before);
            if (reference.empty())
                reference = after;
            else
                EXPECT_EQ(after, reference) << threads;
        }
    }
}
