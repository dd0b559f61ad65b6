#include "distancecountingtestsupport.h"

#include "Core/Operations/DistanceCounting/anisotropicfilmdeposition.h"
#include "Core/Operations/DistanceCounting/anisotropicfilmetching.h"
#include "Core/Operations/DistanceCounting/electrodeposition.h"
#include "Core/Operations/DistanceCounting/ionimplantation.h"
#include "Core/Operations/DistanceCounting/isotropicfilmdeposition.h"
#include "Core/Operations/DistanceCounting/isotropicfilmetching.h"
#include "Core/Operations/DistanceCounting/simpledoping.h"
#include "Core/Operations/DistanceCounting/simplephysicalvapordeposition.h"
#include "Core/Operations/DistanceCounting/simplesioxidation.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

using namespace Core::Operations;
using namespace DistanceCountingTest;
using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;

namespace {

const uint32_t Si = 1, Film = 5, Mask = 7, Doped = 14;

// Silicon below z = height everywhere.
Layout flat(unsigned height, uint32_t material = Si)
{
    return [=](unsigned, unsigned, unsigned z) { return z < height ? material : 0u; };
}

// A step: four layers for x < 3, two layers beyond.
uint32_t step(unsigned x, unsigned, unsigned z) { return z < (x < 3 ? 4u : 2u) ? Si : 0u; }

const MaterialSet Dopable{1, 14, 15, 16};

} // namespace

TEST(DistanceCountingSlabs, SplitFollowsTheRemainderByThickness)
{
    struct Row
    {
        int threads;
        unsigned sizeX;
        std::vector<Util::SlabRange> slabs;
    };
    const Row rows[] = {
        {4, 10, {{0, 2}, {2, 4}, {4, 6}, {6, 10}}},
        {3, 11, {{0, 4}, {4, 8}, {8, 11}}},
        {7, 3, {{0, 3}}},
        {1, 5, {{0, 5}}},
    };
    for (const Row &row : rows) {
        PoolSize pool(row.threads);
        const boost::shared_ptr<TotalVolume> volume = makeVolume(row.sizeX, 2, 2, flat(1));
        IsotropicFilmDeposition automaton(*volume, Film, 1);
        EXPECT_EQ(automaton.getSlabs(), row.slabs) << row.threads << " threads, sizeX " << row.sizeX;
    }
}

TEST(DistanceCountingIterations, CountsAreComputedInTheirOwnPrecision)
{
    EXPECT_EQ(AbstractDistanceCountingAutomatonBase::depositionIterations(10, 1), 17);
    EXPECT_EQ(AbstractDistanceCountingAutomatonBase::etchingIterations(10, 1), 18);
    EXPECT_EQ(AbstractDistanceCountingAutomatonBase::depositionIterations(1, 1), 1);
    EXPECT_EQ(AbstractDistanceCountingAutomatonBase::depositionIterations(1.5f, 1), 3);
    EXPECT_EQ(AbstractDistanceCountingAutomatonBase::etchingIterations(1, 1), 2);
    EXPECT_EQ(AbstractDistanceCountingAutomatonBase::depositionIterations(10, 0.5f), 34);
    // Nonsense distances run nothing instead of an undefined count.
    EXPECT_EQ(AbstractDistanceCountingAutomatonBase::depositionIterations(0, 1), 0);
    EXPECT_EQ(AbstractDistanceCountingAutomatonBase::depositionIterations(-3, 1), 0);
    EXPECT_EQ(AbstractDistanceCountingAutomatonBase::depositionIterations(0, 0), 0);
    EXPECT_EQ(AbstractDistanceCountingAutomatonBase::etchingIterations(std::nan(""), 1), 0);
    EXPECT_EQ(AbstractDistanceCountingAutomatonBase::depositionIterations(5, 0), std::numeric_limits<int>::max());

    const boost::shared_ptr<TotalVolume> volume = makeVolume(4, 4, 4, flat(1));
    EXPECT_EQ(IsotropicFilmDeposition(*volume, Film, 10).iterationCount(), 17);
    EXPECT_EQ(IsotropicFilmEtching(*volume, Si, 10).iterationCount(), 18);
    // Ratio 2 halves the horizontal sizes the count is taken on; etching uses the deposition count.
    EXPECT_EQ(AnisotropicFilmDeposition(*volume, Film, 10, 2).iterationCount(), 34);
    EXPECT_EQ(AnisotropicFilmEtching(*volume, Si, 10, 1).iterationCount(), 17);
    EXPECT_EQ(AnisotropicFilmDeposition(*volume, Film, 10, 1).iterationCount(),
              IsotropicFilmDeposition(*volume, Film, 10).iterationCount());
}

TEST(IsotropicFilmDeposition, ThicknessOneFillsExactlyTheFirstLayerInOneIteration)
{
    const boost::shared_ptr<TotalVolume> volume = makeVolume(5, 4, 6, flat(2));
    IsotropicFilmDeposition automaton(*volume, Film, 1);
    EXPECT_EQ(automaton.iterationCount(), 1);
    automaton.simulate();
    EXPECT_EQ(automaton.getIterationsRun(), 1);
    EXPECT_EQ(materialsOf(*volume),
              materialsOf(*makeVolume(5, 4, 6, [](unsigned, unsigned, unsigned z) {
                  return z < 2 ? Si : z == 2 ? Film : 0u;
              })));
}

TEST(IsotropicFilmDeposition, DiagonalCellAtAStepEdgeNeedsMoreThanOneCell)
{
    const boost::shared_ptr<TotalVolume> thin = makeVolume(6, 3, 7, step);
    IsotropicFilmDeposition(*thin, Film, 1).simulate();
    EXPECT_EQ(materialAt(*thin, 3, 1, 4), 0u); // √2 from the edge cell
    EXPECT_EQ(materialAt(*thin, 2, 1, 4), Film);
    EXPECT_EQ(materialAt(*thin, 3, 1, 2), Film); // against the side wall
    EXPECT_EQ(materialAt(*thin, 3, 1, 3), Film);

    const boost::shared_ptr<TotalVolume> thick = makeVolume(6, 3, 7, step);
    IsotropicFilmDeposition deposition(*thick, Film, 1.5f);
    deposition.keepScratchAfterRun(true);
    deposition.simulate();
    EXPECT_EQ(materialAt(*thick, 3, 1, 4), Film);
    EXPECT_EQ(materialAt(*thick, 4, 1, 4), 0u);
    const AbstractDistanceCountingAutomatonBase::ScratchValue cell =
        deposition.scratchAfterRun(uint32_t(thick->cellIndex(3, 1, 4)));
    const float *v = cell.vector;
    EXPECT_EQ(v[0], -1.0f);
    EXPECT_EQ(v[1], 0.0f);
    EXPECT_EQ(v[2], -1.0f);
}

TEST(IsotropicFilmDeposition, ScratchFollowsTheSurfaceNotTheVolume)
{
    // A flat surface half way up a tall volume: a film of 2 reaches a few
    // layers of 64 x 64 cells, not the million cells of the volume.
    for (double share : {AbstractDistanceCountingAutomatonBase::bandShare(), 0.0}) {
        const double saved = AbstractDistanceCountingAutomatonBase::bandShare();
        AbstractDistanceCountingAutomatonBase::setBandShare(share);
        const boost::shared_ptr<TotalVolume> volume = makeVolume(64, 64, 256, flat(128));
        IsotropicFilmDeposition deposition(*volume, Film, 2);
        deposition.keepScratchAfterRun(true);
        deposition.simulate();
        AbstractDistanceCountingAutomatonBase::setBandShare(saved);
        EXPECT_EQ(TestSupport::countOf(materialsOf(*volume), Film), 64u * 64 * 2) << "band share " << share;
        EXPECT_GT(deposition.scratchCellsAfterRun(), 64u * 64 * 2) << "band share " << share;
        EXPECT_LE(deposition.scratchCellsAfterRun(), 64u * 64 * 32) << "band share " << share; // two pages a column
    }
}

TEST(IsotropicFilmDeposition, ZeroThicknessOrNoSourceDepositsNothing)
{
    const boost::shared_ptr<TotalVolume> zero = makeVolume(5, 4, 6, flat(2));
    const std::vector<uint32_t> before = materialsOf(*zero);
    IsotropicFilmDeposition automaton(*zero, Film, 0);
    automaton.run(5); // even when told to iterate
    EXPECT_EQ(materialsOf(*zero), before);

    const boost::shared_ptr<TotalVolume> empty = makeVolume(5, 4, 6, flat(0));
    IsotropicFilmDeposition(*empty, Film, 3).simulate();
    EXPECT_EQ(materialsOf(*empty), materialsOf(*makeVolume(5, 4, 6, flat(0))));
}

// Two solid neighbours give candidates of equal length: the first in the order
// -z, +z, -y, +y, -x, +x wins, so the vector is that neighbour's step.
class NeighbourOrderTieBreak : public ::testing::TestWithParam<std::pair<int, int>>
{
};

TEST_P(NeighbourOrderTieBreak, FirstNeighbourInOrderWins)
{
    static const int offsets[6][3] = {{0, 0, -1}, {0, 0, 1}, {0, -1, 0}, {0, 1, 0}, {-1, 0, 0}, {1, 0, 0}};
    const int a = GetParam().first, b = GetParam().second;
    const boost::shared_ptr<TotalVolume> volume = makeVolume(3, 3, 3, [&](unsigned x, unsigned y, unsigned z) {
        for (int d : {a, b})
            if (int(x) == 1 + offsets[d][0] && int(y) == 1 + offsets[d][1] && int(z) == 1 + offsets[d][2])
                return Si;
        return 0u;
    });
    IsotropicFilmDeposition deposition(*volume, Film, 1);
    deposition.keepScratchAfterRun(true);
    deposition.simulate();
    EXPECT_EQ(materialAt(*volume, 1, 1, 1), Film);
    const AbstractDistanceCountingAutomatonBase::ScratchValue centre =
        deposition.scratchAfterRun(uint32_t(volume->cellIndex(1, 1, 1)));
    const float *v = centre.vector;
    for (unsigned axis = 0; axis < 3; ++axis)
        EXPECT_EQ(v[axis], float(offsets[a][axis])) << "axis " << axis;
}

INSTANTIATE_TEST_SUITE_P(Pairs, NeighbourOrderTieBreak,
                         ::testing::Values(std::make_pair(0, 1), std::make_pair(0, 2), std::make_pair(1, 3),
                                           std::make_pair(2, 5), std::make_pair(3, 4), std::make_pair(4, 5)));

TEST(IsotropicFilmEtching, OtherMaterialsStayEvenWhenSurrounded)
{
    // A block of film open at the top, holding one mask cell in its middle and
    // shielded by a mask lid with one hole.
    const Layout layout = [](unsigned x, unsigned y, unsigned z) {
        if (x == 3 && y == 3 && z == 2)
            return Mask;
        if (z == 6)
            return (x == 3 && y == 3) ? 0u : Mask;
        return z < 6 ? Film : 0u;
    };
    const boost::shared_ptr<TotalVolume> volume = makeVolume(7, 7, 8, layout);
    IsotropicFilmEtching etch(*volume, Film, 2);
    etch.simulate();
    EXPECT_EQ(materialAt(*volume, 3, 3, 2), Mask);
    EXPECT_EQ(materialAt(*volume, 3, 3, 6), 0u);
    EXPECT_EQ(materialAt(*volume, 3, 3, 5), 0u); // below the hole
    EXPECT_EQ(materialAt(*volume, 3, 3, 4), 0u);
    EXPECT_EQ(materialAt(*volume, 3, 3, 3), Film); // 3 below the hole
    EXPECT_EQ(materialAt(*volume, 0, 0, 5), Film); // shielded by the lid
    for (unsigned x = 0; x < 7; ++x)
        for (unsigned y = 0; y < 7; ++y)
            if (x != 3 || y != 3)
                EXPECT_EQ(materialAt(*volume, x, y, 6), Mask);

    // Deep enough to reach everything: the film goes, the enclosed mask cell stays.
    const boost::shared_ptr<TotalVolume> deep = makeVolume(7, 7, 8, layout);
    IsotropicFilmEtching(*deep, Film, 50).simulate();
    EXPECT_EQ(materialAt(*deep, 3, 3, 2), Mask);
    EXPECT_EQ(materialAt(*deep, 0, 0, 0), 0u);
}

TEST(AnisotropicFilmDeposition, RatioZeroGivesNoSideWallFilm)
{
    // A pillar at x = 2 on a one-layer floor.
    const Layout pillar = [](unsigned x, unsigned, unsigned z) { return z < 1 || (x == 2 && z < 6) ? Si : 0u; };
    const boost::shared_ptr<TotalVolume> volume = makeVolume(6, 2, 10, pillar);
    AnisotropicFilmDeposition(*volume, Film, 2, 0).simulate();
    for (unsigned y = 0; y < 2; ++y) {
        EXPECT_EQ(materialAt(*volume, 3, y, 4), 0u); // beside the wall
        EXPECT_EQ(materialAt(*volume, 1, y, 4), 0u);
        EXPECT_EQ(materialAt(*volume, 2, y, 6), Film);
        EXPECT_EQ(materialAt(*volume, 2, y, 7), Film);
        EXPECT_EQ(materialAt(*volume, 2, y, 8), 0u);
        EXPECT_EQ(materialAt(*volume, 4, y, 2), Film);
        EXPECT_EQ(materialAt(*volume, 4, y, 3), 0u);
    }
    const boost::shared_ptr<TotalVolume> isotropic = makeVolume(6, 2, 10, pillar);
    AnisotropicFilmDeposition(*isotropic, Film, 2, 1).simulate();
    EXPECT_EQ(materialAt(*isotropic, 3, 0, 4), Film);
}

TEST(AnisotropicFilmDeposition, RatioOneEqualsIsotropicCellForCell)
{
    const Layout layout = [](unsigned x, unsigned y, unsigned z) {
        return z < 2 + (x * 7 + y * 3) % 5 ? Si : 0u;
    };
    const boost::shared_ptr<TotalVolume> a = makeVolume(9, 8, 12, layout), b = makeVolume(9, 8, 12, layout);
    AnisotropicFilmDeposition(*a, Film, 3.5f, 1).simulate();
    IsotropicFilmDeposition(*b, Film, 3.5f).simulate();
    EXPECT_EQ(materialsOf(*a), materialsOf(*b));
}

TEST(AnisotropicFilmDeposition, RatioTwoDoublesTheLateralReach)
{
    // A single pillar: with ratio 2 the film reaches twice as far sideways as upward.
    const boost::shared_ptr<TotalVolume> volume =
        makeVolume(11, 1, 8, [](unsigned x, unsigned, unsigned z) { return x == 5 && z < 4 ? Si : 0u; });
    AnisotropicFilmDeposition(*volume, Film, 1, 2).simulate();
    EXPECT_EQ(materialAt(*volume, 5, 0, 4), Film);
    EXPECT_EQ(materialAt(*volume, 5, 0, 5), 0u);
    EXPECT_EQ(materialAt(*volume, 3, 0, 2), Film);
    EXPECT_EQ(materialAt(*volume, 7, 0, 2), Film);
    EXPECT_EQ(materialAt(*volume, 2, 0, 2), 0u);
}

TEST(AnisotropicFilmEtching, LeavesOtherMaterialsAndReachesExposedCells)
{
    const Layout layout = [](unsigned x, unsigned, unsigned z) {
        if (z == 4)
            return x >= 3 && x < 6 ? 0u : Mask; // a mask with an opening
        if (x == 4 && z == 6)
            return Film; // a loose cell touching only empty space
        return z < 4 ? Film : 0u;
    };
    const boost::shared_ptr<TotalVolume> volume = makeVolume(9, 2, 8, layout);
    AnisotropicFilmEtching(*volume, Film, 2, 0).simulate();
    for (unsigned x = 0; x < 9; ++x) {
        const bool open = x >= 3 && x < 6;
        EXPECT_EQ(materialAt(*volume, x, 0, 4), open ? 0u : Mask);
        EXPECT_EQ(materialAt(*volume, x, 0, 3), open ? 0u : Film) << x;
        EXPECT_EQ(materialAt(*volume, x, 0, 2), open ? 0u : Film) << x;
        EXPECT_EQ(materialAt(*volume, x, 0, 1), Film) << x;
    }
    EXPECT_EQ(materialAt(*volume, 4, 0, 6), 0u);
}

// A floor, and a two-cell shelf at z = 4..5 carried by a pillar at x = 0.
uint32_t overhang(unsigned x, unsigned, unsigned z)
{
    if (z == 0 || (x == 0 && z <= 5) || (x < 3 && (z == 4 || z == 5)))
        return Si;
    return 0u;
}

TEST(SimplePhysicalVaporDeposition, ModesCoatFacesLookingUpDownOrBoth)
{
    struct Row
    {
        int mode;
        bool onShelf, underShelf, onFloor;
    };
    const Row rows[] = {{1, true, false, true}, {2, false, true, false}, {3, true, true, true}};
    for (const Row &row : rows) {
        const boost::shared_ptr<TotalVolume> volume = makeVolume(6, 2, 8, overhang);
        SimplePhysicalVaporDeposition(*volume, Film, 1, 1, row.mode).simulate();
        EXPECT_EQ(materialAt(*volume, 2, 1, 6) == Film, row.onShelf) << "mode " << row.mode;
        EXPECT_EQ(materialAt(*volume, 2, 1, 3) == Film, row.underShelf) << "mode " << row.mode;
        EXPECT_EQ(materialAt(*volume, 4, 1, 1) == Film, row.onFloor) << "mode " << row.mode;
        EXPECT_EQ(materialAt(*volume, 2, 1, 2), 0u) << "mode " << row.mode;
    }
}

TEST(Electrodeposition, GrowsOnlyAroundTheConductor)
{
    const uint32_t Conductor = 6;
    const Layout layout = [=](unsigned x, unsigned, unsigned z) {
        if (z < 2)
            return Si;
        return z == 2 && x < 3 ? Conductor : 0u;
    };
    const boost::shared_ptr<TotalVolume> absent = makeVolume(7, 2, 6, flat(2));
    const std::vector<uint32_t> before = materialsOf(*absent);
    Electrodeposition(*absent, Film, Conductor, 2).simulate();
    EXPECT_EQ(materialsOf(*absent), before);

    const boost::shared_ptr<TotalVolume> volume = makeVolume(7, 2, 6, layout);
    Electrodeposition(*volume, Film, Conductor, 1).simulate();
    EXPECT_EQ(materialAt(*volume, 1, 0, 3), Film);
    EXPECT_EQ(materialAt(*volume, 3, 0, 2), Film); // beside the conductor, on silicon
    EXPECT_EQ(materialAt(*volume, 4, 0, 2), 0u);   // silicon alone does not plate
    EXPECT_EQ(materialAt(*volume, 1, 0, 4), 0u);
}

TEST(Electrodeposition, VoidsTheElectrolyteCannotReachStayEmpty)
{
    const uint32_t Conductor = 6;
    enum Part { Bulk, Single, Sealed, Pocket, Well, Above };
    // A conductor block on silicon, from z = 1 to 8, holding a closed cell, a
    // closed 2 x 2 x 2 void, a cell closed off at the volume's side face and a
    // well open to the top.
    const auto partOf = [](unsigned x, unsigned y, unsigned z) {
        if (z >= 8)
            return Above;
        if (x == 5 && y == 5 && z == 3)
            return Single;
        if (x >= 6 && x < 8 && y >= 2 && y < 4 && z >= 4 && z < 6)
            return Sealed;
        if (x == 0 && y == 7 && z == 4)
            return Pocket;
        if (x >= 2 && x < 4 && y >= 6 && y < 8 && z >= 5)
            return Well;
        return Bulk;
    };
    const boost::shared_ptr<TotalVolume> volume = makeVolume(10, 10, 12, [&](unsigned x, unsigned y, unsigned z) {
        if (z == 0)
            return Si;
        return partOf(x, y, z) == Bulk ? Conductor : 0u;
    });
    Electrodeposition(*volume, Film, Conductor, 1).simulate();
    int wrong[Above + 1] = {0, 0, 0, 0, 0, 0};
    for (unsigned x = 0; x < 10; ++x)
        for (unsigned y = 0; y < 10; ++y)
            for (unsigned z = 1; z < 12; ++z) {
                const Part part = partOf(x, y, z);
                // Every cell of the well touches the conductor: one unit of film fills it.
                // Above the well the nearest conductor lies a diagonal away, beyond one unit.
                const bool overWell = x >= 2 && x < 4 && y >= 6 && y < 8;
                const bool film = part == Well || (part == Above && z == 8 && !overWell);
                const uint32_t expected = part == Bulk ? Conductor : film ? Film : 0u;
                wrong[part] += materialAt(*volume, x, y, z) != expected ? 1 : 0;
            }
    EXPECT_EQ(wrong[Single], 0) << "of 1 cell closed in by the conductor";
    EXPECT_EQ(wrong[Sealed], 0) << "of 8 cells in the sealed void";
    EXPECT_EQ(wrong[Pocket], 0) << "of 1 cell closed off at the side face";
    EXPECT_EQ(wrong[Well], 0) << "of 12 cells in the open well";
    EXPECT_EQ(wrong[Bulk] + wrong[Above], 0);
}

TEST(Electrodeposition, OpenEmptyCellsAreThoseJoinedToAFaceOfTheVolume)
{
    // A closed shell of oxide around one empty cell, inside an empty volume.
    const boost::shared_ptr<TotalVolume> volume = makeVolume(5, 5, 5, [](unsigned x, unsigned y, unsigned z) {
        const bool inShell = x >= 1 && x <= 3 && y >= 1 && y <= 3 && z >= 1 && z <= 3;
        return inShell && !(x == 2 && y == 2 && z == 2) ? 3u : 0u;
    });
    CellLock lock(*volume);
    const std::vector<uint8_t> open = Electrodeposition::openEmptyCells(lock.cells(), 5, 5, 5);
    for (unsigned x = 0; x < 5; ++x)
        for (unsigned y = 0; y < 5; ++y)
            for (unsigned z = 0; z < 5; ++z) {
                const bool empty = lock.cells()[volume->cellIndex(x, y, z)].material == 0;
                const bool centre = x == 2 && y == 2 && z == 2;
                ASSERT_EQ(open[volume->cellIndex(x, y, z)], empty && !centre ? 1 : 0) << x << "," << y << "," << z;
            }
}

TEST(Electrodeposition, OpenEmptyCellsMatchACellByCellFlood)
{
    // Random fillings from sparse to dense, where voids of every shape appear.
    for (unsigned seed = 1; seed <= 12; ++seed) {
        const unsigned sx = 11, sy = 9, sz = 10;
        const double filled = 0.3 + 0.04 * seed;
        std::mt19937 random(seed);
        std::vector<uint32_t> layout(size_t(sx) * sy * sz);
        for (uint32_t &m : layout)
            m = std::uniform_real_distribution<double>(0, 1)(random) < filled ? 3u : 0u;
        const boost::shared_ptr<TotalVolume> volume = makeVolume(
            sx, sy, sz, [&](unsigned x, unsigned y, unsigned z) { return layout[(size_t(x) * sy + y) * sz + z]; });
        // The reference: a plain flood over cells from every empty cell on a face.
        std::vector<uint8_t> expected(layout.size(), 0);
        std::vector<std::array<int, 3>> todo;
        const auto visit = [&](int x, int y, int z) {
            if (x < 0 || y < 0 || z < 0 || x >= int(sx) || y >= int(sy) || z >= int(sz))
                return;
            const size_t i = (size_t(x) * sy + y) * sz + z;
            if (layout[i] == 0 && !expected[i]) {
                expected[i] = 1;
                todo.push_back({x, y, z});
            }
        };
        for (int x = 0; x < int(sx); ++x)
            for (int y = 0; y < int(sy); ++y)
                for (int z = 0; z < int(sz); ++z)
                    if (x == 0 || y == 0 || z == 0 || x + 1 == int(sx) || y + 1 == int(sy) || z + 1 == int(sz))
                        visit(x, y, z);
        while (!todo.empty()) {
            const std::array<int, 3> c = todo.back();
            todo.pop_back();
            visit(c[0] - 1, c[1], c[2]);
            visit(c[0] + 1, c[1], c[2]);
            visit(c[0], c[1] - 1, c[2]);
            visit(c[0], c[1] + 1, c[2]);
            visit(c[0], c[1], c[2] - 1);
            visit(c[0], c[1], c[2] + 1);
        }
        CellLock lock(*volume);
        const std::vector<uint8_t> open = Electrodeposition::openEmptyCells(lock.cells(), sx, sy, sz);
        size_t sealed = 0;
        for (size_t i = 0; i < layout.size(); ++i) {
            ASSERT_EQ(open[i], expected[i]) << "cell " << i << ", seed " << seed;
            sealed += layout[i] == 0 && !expected[i] ? 1 : 0;
        }
        if (seed == 12)
            EXPECT_GT(sealed, 0u); // dense enough to seal some voids
    }
}

TEST(SimpleDoping, DepthOneDopesExactlyTheTopLayer)
{
    const boost::shared_ptr<TotalVolume> volume = makeVolume(5, 4, 6, flat(3));
    SimpleDoping(*volume, Doped, 1, Dopable).simulate();
    EXPECT_EQ(materialsOf(*volume), materialsOf(*makeVolume(5, 4, 6, [](unsigned, unsigned, unsigned z) {
                  return z < 2 ? Si : z == 2 ? Doped : 0u;
              })));
}

TEST(SimpleDoping, MaterialsOutsideTheSetAreNeitherDopedNorPassed)
{
    // Silicon under a film of another material, open only at x = 0.
    const boost::shared_ptr<TotalVolume> volume = makeVolume(6, 1, 6, [](unsigned x, unsigned, unsigned z) {
        if (z < 3)
            return Si;
        return z == 3 && x > 0 ? Film : 0u;
    });
    SimpleDoping(*volume, Doped, 2.2f, Dopable).simulate();
    EXPECT_EQ(materialAt(*volume, 0, 0, 2), Doped);
    EXPECT_EQ(materialAt(*volume, 0, 0, 1), Doped);
    EXPECT_EQ(materialAt(*volume, 1, 0, 2), Doped); // √2 around the film's edge
    EXPECT_EQ(materialAt(*volume, 2, 0, 2), Si);    // √5
    EXPECT_EQ(materialAt(*volume, 1, 0, 1), Si);
    // Two cells below open space, but only through the film: not doped.
    EXPECT_EQ(materialAt(*volume, 4, 0, 2), Si);
    for (unsigned x = 1; x < 6; ++x)
        EXPECT_EQ(materialAt(*volume, x, 0, 3), Film);
}

TEST(IonImplantation, BandSitsAtTheDepthBelowEachColumnsSurface)
{
    struct Row
    {
        float depth, spread, annealing;
        std::vector<uint32_t> column; // z = 0 .. 5 after the run; the surface is at z = 6 (cells 0..5 silicon)
    };
    const uint32_t S = Si, D = Doped;
    const Row rows[] = {
        {0, 0, 0, {S, S, S, S, S, S}},      // no cell centre band within half a cell of depth 0
        {1, 0, 0, {S, S, S, S, S, D}},      // the surface layer
        {3, 0, 0, {S, S, S, D, S, S}},      // depth counted to the cell's lower face
        {3, 1, 0, {S, S, D, D, D, S}},      // widened by the spread
        {3, 0, 1, {S, S, D, D, D, S}},      // widened by annealing
        {3, 0, 2, {S, D, D, D, D, D}},
    };
    for (const Row &row : rows) {
        const boost::shared_ptr<TotalVolume> volume = makeVolume(4, 3, 9, flat(6));
        IonImplantation(*volume, D, row.depth, row.spread, row.annealing, Dopable).simulate();
        for (unsigned x = 0; x < 4; ++x)
            for (unsigned y = 0; y < 3; ++y) {
                for (unsigned z = 0; z < 6; ++z)
                    EXPECT_EQ(materialAt(*volume, x, y, z), row.column[z])
                        << "depth " << row.depth << " spread " << row.spread << " annealing " << row.annealing
                        << " z " << z;
                for (unsigned z = 6; z < 9; ++z)
                    EXPECT_EQ(materialAt(*volume, x, y, z), 0u);
            }
    }
}

TEST(IonImplantation, DepthFollowsTheLocalSurfaceAndSkipsOtherMaterials)
{
    // A mask layer on the right half: its columns' surface is higher and the mask is not implanted.
    const boost::shared_ptr<TotalVolume> volume = makeVolume(6, 2, 9, [](unsigned x, unsigned, unsigned z) {
        if (z < 5)
            return Si;
        return z == 5 && x >= 3 ? Mask : 0u;
    });
    IonImplantation(*volume, Doped, 2, 0, 0, Dopable).simulate();
    EXPECT_EQ(materialAt(*volume, 0, 0, 3), Doped);
    EXPECT_EQ(materialAt(*volume, 0, 0, 4), Si);
    EXPECT_EQ(materialAt(*volume, 4, 0, 4), Doped);
    EXPECT_EQ(materialAt(*volume, 4, 0, 3), Si);
    EXPECT_EQ(materialAt(*volume, 4, 0, 5), Mask);
}

TEST(SimpleSiOxidation, OxideLayersFollowTheOutwardAndInwardShares)
{
    // Cells of size 1, surface cell at z = 14: empty cell n above turns when
    // n + 0.5 <= 0.56 X, silicon n below the surface cell when n + 0.5 <= 0.44 X.
    for (double thickness : {0.5, 3.0, 10.0, 12.3}) {
        const boost::shared_ptr<TotalVolume> volume = makeVolume(3, 3, 30, flat(15));
        SimpleSiOxidation oxidation(*volume, MaterialSet{1, 14, 15, 16}, 1.0);
        oxidation.oxidize(thickness);
        for (unsigned z = 0; z < 30; ++z) {
            const bool above = z >= 15;
            const double n = above ? z - 14.0 : 14.0 - z;
            const double limit = above ? 0.5600000023841858 * thickness : thickness - 0.5600000023841858 * thickness;
            const uint32_t expected = n + 0.5 <= limit ? 3u : above ? 0u : Si;
            EXPECT_EQ(materialAt(*volume, 1, 1, z), expected) << "X " << thickness << " z " << z;
        }
    }
}

TEST(SimpleSiOxidation, Conversion)
{
    // 0.1 µm at 100 cells per micron is 10 cells: five above the surface, four into it.
    const boost::shared_ptr<TotalVolume> volume = makeVolume(2, 2, 30, flat(15));
    SimpleSiOxidation oxidation(*volume, MaterialSet{1}, 100);
    oxidation.oxidize(0.1);
    EXPECT_NEAR(oxidation.thicknessInCells(), 10.0, 1e-9);
    EXPECT_EQ(oxidation.iterationCount(), 10);
    EXPECT_EQ(materialAt(*volume, 0, 0, 19), 3u);
    EXPECT_EQ(materialAt(*volume, 0, 0, 20), 0u);
    EXPECT_EQ(materialAt(*volume, 0, 0, 11), 3u);
    EXPECT_EQ(materialAt(*volume, 0, 0, 10), Si);
}

TEST(SimpleSiOxidation, OtherMaterialsAreNotOxidized)
{
    // A mask over half of the silicon: oxide grows only where silicon meets empty space.
    const boost::shared_ptr<TotalVolume> volume = makeVolume(8, 2, 14, [](unsigned x, unsigned, unsigned z) {
        if (z < 6)
            return Si;
        return z == 6 && x >= 4 ? Mask : 0u;
    });
    SimpleSiOxidation(*volume, MaterialSet{1}, 1).oxidize(4);
    EXPECT_EQ(materialAt(*volume, 0, 0, 5), 3u);
    EXPECT_EQ(materialAt(*volume, 0, 0, 6), 3u);
    EXPECT_EQ(materialAt(*volume, 7, 0, 6), Mask);
    EXPECT_EQ(materialAt(*volume, 7, 0, 5), Si);
    EXPECT_EQ(materialAt(*volume, 7, 0, 7), 0u);
}

namespace {

// Deal and Grove's table (J. Appl. Phys. 36, 3770 (1965)), (111) silicon at 1 atm:
// B = C1 exp(-E1 / kT) in µm²/h, B/A = C2 exp(-E2 / kT) in µm/h; for (100) C2 is
// divided by 1.68, for (110) by 1.68 / 1.45. Dry oxidation starts from 25 nm.
struct DealGroveTable
{
    double c1, e1, c2, e2, initial;
};
const DealGroveTable DryTable{772, 1.23, 6.23e6, 2.0, 0.025};
const DealGroveTable WetTable{386, 0.78, 1.63e8, 2.05, 0.0};

// x = (A / 2) (sqrt(1 + (t + τ) / (A² / 4B)) - 1), τ = (x_i² + A x_i) / B.
double dealGroveFormula(const DealGroveTable &table, double orientationFactor, double hours, double kelvin,
                        double initial = -1)
{
    const double kT = 8.617333262e-5 * kelvin;
    const double B = table.c1 * std::exp(-table.e1 / kT);
    const double A = B / (table.c2 * orientationFactor * std::exp(-table.e2 / kT));
    const double xi = initial >= 0 ? initial : table.initial;
    const double tau = (xi * xi + A * xi) / B;
    return A / 2 * (std::sqrt(1 + (hours + tau) / (A * A / (4 * B))) - 1);
}

// Dry oxidation of (100) silicon at kelvin and 1 atm.
double dealGroveReference(double hours, double kelvin)
{
    return dealGroveFormula(DryTable, 1 / 1.68, hours, kelvin);
}

// Along a line of cells from (x, y, z) in steps of (dx, 0, dz): the first and
// the count of the run of oxide after the first non-empty cell.
struct OxideRun
{
    int start = -1, length = 0;
};

OxideRun oxideAlong(TotalVolume &volume, int x, int y, int z, int dx, int dz)
{
    OxideRun run;
    for (int step = 0; x >= 0 && z >= 0 && x < int(volume.getSizeX()) && z < int(volume.getSizeZ());
         ++step, x += dx, z += dz) {
        const uint32_t m = materialAt(volume, unsigned(x), unsigned(y), unsigned(z));
        if (m == 3) {
            if (run.start < 0)
                run.start = step;
            ++run.length;
        } else if (run.start >= 0) {
            break;
        }
    }
    return run;
}

// Silicon below z = 45, with a trench 40 cells wide down to z = 15: flat tops and side walls.
uint32_t trench(unsigned x, unsigned, unsigned z) { return z < 15 || (z < 45 && (x < 20 || x >= 60)) ? Si : 0u; }

struct SplitCase
{
    std::vector<double> hours; // the steps one after another
    double kelvin;
};

void PrintTo(const SplitCase &c, std::ostream *os)
{
    for (double h : c.hours)
        *os << h << "h ";
    *os << "at " << c.kelvin << " K";
}

class OxidationSteps : public ::testing::TestWithParam<SplitCase>
{
};

} // namespace

TEST_P(OxidationSteps, StepsOfT1AndT2GiveTheOxideOfOneStepOfT1PlusT2)
{
    const SplitCase c = GetParam();
    double total = 0;
    for (double h : c.hours)
        total += h;
    const double cellsPerMicron = 100;
    const boost::shared_ptr<TotalVolume> split = makeVolume(80, 2, 70, trench);
    for (double h : c.hours)
        SimpleSiOxidation(*split, MaterialSet{1}, cellsPerMicron).oxidizeFor(h, c.kelvin, 1);
    const boost::shared_ptr<TotalVolume> once = makeVolume(80, 2, 70, trench);
    SimpleSiOxidation(*once, MaterialSet{1}, cellsPerMicron).oxidizeFor(total, c.kelvin, 1);

    // Flat wafer, from the top down: the oxide of the Deal–Grove thickness,
    // 56 % above the former surface at z = 45 and 44 % below it.
    const double expected = dealGroveReference(total, c.kelvin) * cellsPerMicron;
    const OxideRun flatSplit = oxideAlong(*split, 5, 0, 69, 0, -1), flatOnce = oxideAlong(*once, 5, 0, 69, 0, -1);
    EXPECT_NEAR(flatSplit.length, flatOnce.length, 1);
    EXPECT_NEAR(flatSplit.length, expected, 1.5);
    EXPECT_NEAR(flatSplit.start, flatOnce.start, 1);
    EXPECT_NEAR(69 - flatSplit.start + 1 - 45, 0.56 * expected, 1.5);
    // The trench's floor and both side walls at mid height.
    const OxideRun floorSplit = oxideAlong(*split, 40, 0, 69, 0, -1), floorOnce = oxideAlong(*once, 40, 0, 69, 0, -1);
    EXPECT_NEAR(floorSplit.length, floorOnce.length, 1);
    EXPECT_NEAR(floorSplit.length, expected, 1.5);
    for (int dx : {-1, 1}) {
        const int from = dx < 0 ? 40 : 40;
        const OxideRun wallSplit = oxideAlong(*split, from, 1, 30, dx, 0), wallOnce = oxideAlong(*once, from, 1, 30, dx, 0);
        EXPECT_NEAR(wallSplit.length, wallOnce.length, 1) << "wall " << dx;
        EXPECT_NEAR(wallSplit.start, wallOnce.start, 1) << "wall " << dx;
        EXPECT_NEAR(wallSplit.length, expected, 1.5) << "wall " << dx;
    }
}

INSTANTIATE_TEST_SUITE_P(Splits, OxidationSteps,
                         ::testing::Values(SplitCase{{2, 2}, 1273}, SplitCase{{1, 1, 1, 1}, 1273},
                                           SplitCase{{0.5, 3}, 1273}, SplitCase{{3, 0.5}, 1273},
                                           SplitCase{{1, 2}, 1373}));

TEST(SimpleSiOxidation, SiliconUnderThickOxideGrowsLessThanBareSilicon)
{
    // Half the wafer carries 20 cells (0.2 µm) of oxide, the other half is bare.
    const boost::shared_ptr<TotalVolume> volume = makeVolume(60, 2, 70, [](unsigned x, unsigned, unsigned z) {
        if (z < 40)
            return Si;
        return x < 30 && z < 60 ? 3u : 0u;
    });
    SimpleSiOxidation(*volume, MaterialSet{1}, 100).oxidizeFor(4, 1273, 1);
    // Bare: the Deal–Grove thickness of 4 h. Covered: up to the thickness for 4 h from 0.2 µm.
    const double bare = dealGroveReference(4, 1273) * 100;
    const double covered = dealGroveFormula(DryTable, 1 / 1.68, 4, 1273, 0.2) * 100;
    ASSERT_GT(covered - 20, 1.0);
    EXPECT_NEAR(oxideAlong(*volume, 55, 0, 69, 0, -1).length, bare, 1.5);
    const OxideRun thick = oxideAlong(*volume, 5, 0, 69, 0, -1);
    EXPECT_NEAR(thick.length, covered, 1.5);
    // 56 % of the new oxide on top of the old, 44 % below the former interface at z = 40.
    EXPECT_NEAR(69 - thick.start + 1 - 60, 0.56 * (covered - 20), 1.0);
    EXPECT_NEAR(40 - (69 - thick.start + 1 - thick.length), 0.44 * (covered - 20), 1.0);
}

TEST(SimpleSiOxidation, AThicknessStepIsTheOxidationThatGrowsItOnBareSilicon)
{
    // Bare silicon on the left, silicon under 0.3 µm of oxide in the middle, and
    // on the right oxide on a material that does not oxidize, far from silicon.
    const Layout layout = [](unsigned x, unsigned, unsigned z) {
        if (x >= 60)
            return z < 20 ? Mask : z < 50 ? 3u : 0u;
        if (z < 20)
            return Si;
        return x >= 20 && z < 50 ? 3u : 0u;
    };
    const double thickness = dealGroveReference(5, 1273);
    const boost::shared_ptr<TotalVolume> byThickness = makeVolume(150, 2, 80, layout);
    SimpleSiOxidation(*byThickness, MaterialSet{1}, 100).oxidize(thickness);
    const boost::shared_ptr<TotalVolume> byTime = makeVolume(150, 2, 80, layout);
    SimpleSiOxidation(*byTime, MaterialSet{1}, 100).oxidizeFor(5, 1273, 1);
    for (int x : {5, 40, 140}) {
        const OxideRun a = oxideAlong(*byThickness, x, 0, 79, 0, -1), b = oxideAlong(*byTime, x, 0, 79, 0, -1);
        EXPECT_NEAR(a.start, b.start, 1) << x;
        EXPECT_NEAR(a.length, b.length, 1) << x;
    }
    EXPECT_GT(oxideAlong(*byThickness, 40, 0, 79, 0, -1).length, 32);
    EXPECT_EQ(oxideAlong(*byThickness, 140, 0, 79, 0, -1).length, 30);
    EXPECT_EQ(oxideAlong(*byThickness, 140, 0, 79, 0, -1).start, 79 - 49);
    const SimpleSiOxidation kinetics(*byTime, MaterialSet{1}, 100);
    EXPECT_NEAR(kinetics.equivalentHours(DealGrove().thickness(5, 1273, 1)), 5.0, 1e-9);
}

TEST(SimpleSiOxidation, DryAndWetOxideFollowDealGroveForEachOrientation)
{
    struct Kinetics
    {
        DealGrove::Ambient ambient;
        DealGrove::Orientation orientation;
        const DealGroveTable &table;
        double factor; // B/A against (111)
    };
    const Kinetics kinetics[] = {{DealGrove::Dry, DealGrove::Plane100, DryTable, 1 / 1.68},
                                 {DealGrove::Wet, DealGrove::Plane100, WetTable, 1 / 1.68},
                                 {DealGrove::Dry, DealGrove::Plane111, DryTable, 1.0},
                                 {DealGrove::Wet, DealGrove::Plane110, WetTable, 1.45 / 1.68}};
    for (const Kinetics &k : kinetics)
        for (double kelvin : {1273.15, 1373.15})
            for (double hours : {0.5, 2.0, 6.0}) {
                const double expected = dealGroveFormula(k.table, k.factor, hours, kelvin);
                // About 40 cells of oxide, whatever the thickness.
                const double cellsPerMicron = 40 / expected;
                const boost::shared_ptr<TotalVolume> volume = makeVolume(2, 2, 80, flat(40));
                SimpleSiOxidation(*volume, MaterialSet{1}, cellsPerMicron, DealGrove(k.ambient, k.orientation))
                    .oxidizeFor(hours, kelvin, 1);
                const double grown = oxideAlong(*volume, 0, 0, 79, 0, -1).length / cellsPerMicron;
                EXPECT_NEAR(grown, expected, 0.05 * expected)
                    << "ambient " << k.ambient << " (" << k.orientation << ") " << hours << " h at " << kelvin << " K";
            }
}

namespace {

// Uneven terrain with a mask, a conductor and some dopable cells, so every engine has work at slab borders.
uint32_t terrain(unsigned x, unsigned y, unsigned z)
{
    const unsigned height = 3 + (x * 5 + y * 3) % 7;
    if (z < height)
        return (x + 2 * y + z) % 11 == 0 ? Mask : (x * y + z) % 13 == 0 ? 6u : (x + z) % 9 == 0 ? 15u : Si;
    if (z == height && x % 6 == 2)
        return Film;
    return 0u;
}

struct CellState
{
    std::vector<uint32_t> materials;
    std::vector<uint8_t> flags;
    std::vector<float> vectors;
    bool operator==(const CellState &o) const
    {
        return materials == o.materials && flags == o.flags &&
               std::memcmp(vectors.data(), o.vectors.data(), vectors.size() * sizeof(float)) == 0;
    }
};

// The materials, and the flags and vectors the engine's run left.
CellState stateOf(TotalVolume &volume, const AbstractDistanceCountingAutomatonBase &engine)
{
    CellState s;
    s.materials = materialsOf(volume);
    for (uint32_t i = 0; i < volume.getCellCount(); ++i) {
        const AbstractDistanceCountingAutomatonBase::ScratchValue v = engine.scratchAfterRun(i);
        s.flags.push_back(v.flag);
        s.vectors.insert(s.vectors.end(), v.vector, v.vector + 3);
    }
    return s;
}

// Runs an engine keeping its scratch, and returns the state it left.
template <class Engine, class Run>
CellState ran(TotalVolume &volume, Engine &&engine, Run run)
{
    engine.keepScratchAfterRun(true);
    run(engine);
    return stateOf(volume, engine);
}

struct EngineCase
{
    const char *name;
    std::function<CellState(TotalVolume &)> run;
};

void PrintTo(const EngineCase &c, std::ostream *os) { *os << c.name; }

class SlabCountInvariance : public ::testing::TestWithParam<EngineCase>
{
};

} // namespace

TEST_P(SlabCountInvariance, CellsAreBitIdenticalForAnySlabCount)
{
    CellState reference;
    for (int threads : {1, 2, 3, 7}) {
        PoolSize pool(threads);
        const boost::shared_ptr<TotalVolume> volume = makeVolume(23, 9, 16, terrain, 1, 1, 0.5f);
        const CellState state = GetParam().run(*volume);
        if (threads == 1) {
            reference = state;
            EXPECT_NE(state.materials, materialsOf(*makeVolume(23, 9, 16, terrain, 1, 1, 0.5f)));
        } else {
            EXPECT_TRUE(state == reference) << threads << " threads";
        }
    }
}

const auto simulate = [](auto &engine) { engine.simulate(); };

INSTANTIATE_TEST_SUITE_P(
    Engines, SlabCountInvariance,
    ::testing::Values(
        EngineCase{"IsotropicFilmDeposition", [](TotalVolume &v) { return ran(v, IsotropicFilmDeposition(v, Film, 3.3f), simulate); }},
        EngineCase{"IsotropicFilmEtching", [](TotalVolume &v) { return ran(v, IsotropicFilmEtching(v, Si, 2.7f), simulate); }},
        EngineCase{"AnisotropicFilmDeposition",
                   [](TotalVolume &v) { return ran(v, AnisotropicFilmDeposition(v, Film, 3, 0.5f), simulate); }},
        EngineCase{"AnisotropicFilmEtching", [](TotalVolume &v) { return ran(v, AnisotropicFilmEtching(v, Si, 3, 2), simulate); }},
        EngineCase{"SimplePhysicalVaporDeposition",
                   [](TotalVolume &v) { return ran(v, SimplePhysicalVaporDeposition(v, Film, 2.5f, 1.5f, 3), simulate); }},
        EngineCase{"Electrodeposition", [](TotalVolume &v) { return ran(v, Electrodeposition(v, Film, 6, 2.5f), simulate); }},
        EngineCase{"SimpleDoping", [](TotalVolume &v) { return ran(v, SimpleDoping(v, Doped, 2.2f, Dopable), simulate); }},
        EngineCase{"IonImplantation",
                   [](TotalVolume &v) { return ran(v, IonImplantation(v, Doped, 2, 0.5f, 1.7f, Dopable), simulate); }},
        EngineCase{"SimpleSiOxidation", [](TotalVolume &v) {
                       return ran(v, SimpleSiOxidation(v, MaterialSet{1, 15}, 2), [](SimpleSiOxidation &e) { e.oxidize(2.1); });
                   }},
        EngineCase{"SimpleSiOxidationUnderOxide", [](TotalVolume &v) {
                       SimpleSiOxidation(v, MaterialSet{1, 15}, 20).oxidizeFor(2, 1273, 1);
                       return ran(v, SimpleSiOxidation(v, MaterialSet{1, 15}, 20),
                                  [](SimpleSiOxidation &e) { e.oxidizeFor(3, 1373, 1); });
                   }}),
    [](const ::testing::TestParamInfo<EngineCase> &info) { return std::string(info.param.name); });

namespace {

// Requests the stop as the third iteration's steps are done, as a signal or a
// Cancel landing then would (stepSlab may run on any pool thread).
class StoppedDeposition : public IsotropicFilmDeposition
{
public:
    StoppedDeposition(TotalVolume &volume, Util::StopToken &stop) : IsotropicFilmDeposition(volume, Film, 10), m_stop(stop)
    {
    }
    void stepSlab(unsigned first, unsigned last, unsigned slab) override
    {
        IsotropicFilmDeposition::stepSlab(first, last, slab);
        if (slab == 0 && ++m_steps == 3)
            m_stop.request();
    }

private:
    Util::StopToken &m_stop;
    std::atomic<int> m_steps{0};
};

} // namespace

TEST(DistanceCountingStop, AStopEndsTheIterationsAtTheNextOne)
{
    const boost::shared_ptr<TotalVolume> volume = makeVolume(12, 6, 20, flat(4));
    Util::StopToken stop;
    StoppedDeposition automaton(*volume, stop);
    {
        const Util::StopScope scope(&stop);
        automaton.simulate();
    }
    EXPECT_EQ(automaton.getIterationsRun(), 3);

    // Without a stop the same deposition runs to its thickness.
    const boost::shared_ptr<TotalVolume> whole = makeVolume(12, 6, 20, flat(4));
    IsotropicFilmDeposition full(*whole, Film, 10);
    full.simulate();
    EXPECT_GT(full.getIterationsRun(), 3);
    EXPECT_GT(TestSupport::countOf(materialsOf(*whole), Film), TestSupport::countOf(materialsOf(*volume), Film));
}
