#include "layertestsupport.h"

#include "Core/Operations/Moore/mooreneighborhooddeposition.h"
#include "Core/Operations/stepoperations.h"
#include "Core/Operations/Moore/mooreneighborhoodetching.h"
#include "Core/Operations/Moore/slabfronts.h"
#include "Core/Operations/workspace.h"
#include "Util/stoptoken.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <deque>
#include <random>

using namespace Core::Operations;
using namespace LayerTest;
using Model::Automaton::TotalVolume;

namespace {

// Chebyshev distance from (x, y, z) to the box [lo, hi) on every axis.
unsigned boxDistance(const unsigned p[3], const unsigned lo[3], const unsigned hi[3])
{
    unsigned d = 0;
    for (int a = 0; a < 3; ++a) {
        const unsigned da = p[a] < lo[a] ? lo[a] - p[a] : p[a] >= hi[a] ? p[a] - hi[a] + 1 : 0;
        d = std::max(d, da);
    }
    return d;
}

// Independent reference: breadth-first Moore distances from the cells that pass isSource,
// walking only through cells that pass isPath.
template <class Source, class Path>
std::vector<unsigned> mooreDistances(const std::vector<uint32_t> &m, unsigned sx, unsigned sy, unsigned sz,
                                     Source isSource, Path isPath)
{
    std::vector<unsigned> dist(m.size(), UINT_MAX);
    std::deque<size_t> queue;
    for (size_t i = 0; i < m.size(); ++i)
        if (isSource(m[i])) {
            dist[i] = 0;
            queue.push_back(i);
        }
    while (!queue.empty()) {
        const size_t i = queue.front();
        queue.pop_front();
        const int x = int(i / (size_t(sy) * sz)), y = int(i / sz % sy), z = int(i % sz);
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                for (int dz = -1; dz <= 1; ++dz) {
                    const int nx = x + dx, ny = y + dy, nz = z + dz;
                    if (nx < 0 || ny < 0 || nz < 0 || nx >= int(sx) || ny >= int(sy) || nz >= int(sz))
                        continue;
                    const size_t n = (size_t(nx) * sy + ny) * sz + nz;
                    if (dist[n] != UINT_MAX || !isPath(m[n]))
                        continue;
                    dist[n] = dist[i] + 1;
                    queue.push_back(n);
                }
    }
    return dist;
}

// Random cells of 0, the film material 3 and a blocking material 7, denser towards the bottom.
Layout randomLayout(unsigned seed, unsigned sz)
{
    auto m = std::make_shared<std::mt19937>(seed);
    auto cells = std::make_shared<std::map<std::tuple<unsigned, unsigned, unsigned>, uint32_t>>();
    return [m, cells, sz](unsigned x, unsigned y, unsigned z) {
        auto key = std::make_tuple(x, y, z);
        auto it = cells->find(key);
        if (it != cells->end())
            return it->second;
        const unsigned r = (*m)() % 100;
        const unsigned solid = 80 - 70 * z / sz;
        const uint32_t material = r < solid ? (r % 5 == 0 ? 7u : 3u) : 0u;
        (*cells)[key] = material;
        return material;
    };
}

struct RandomCase
{
    unsigned sx, sy, sz, iterations, seed;
};

class MooreAgainstReference : public ::testing::TestWithParam<RandomCase>
{
};

} // namespace

TEST(MooreNeighborhoodDeposition, OneStepOnAFlatSurfaceFillsExactlyOneLayer)
{
    const boost::shared_ptr<TotalVolume> volume = makeVolume(6, 5, 6, [](unsigned, unsigned, unsigned z) {
        return z < 2 ? 1u : 0u;
    });
    EXPECT_EQ(MooreNeighborhoodDeposition(*volume, 4).run(1), 1);
    EXPECT_EQ(materialsOf(*volume), expected(6, 5, 6, [](unsigned, unsigned, unsigned z) {
                  return z < 2 ? 1u : z == 2 ? 4u : 0u;
              }));
}

TEST(MooreNeighborhoodDeposition, GrowsCubesAroundAConvexBlockIncludingItsDiagonals)
{
    const unsigned lo[3] = {3, 3, 0}, hi[3] = {6, 5, 3};
    auto inBlock = [&](unsigned x, unsigned y, unsigned z) {
        const unsigned p[3] = {x, y, z};
        return boxDistance(p, lo, hi) == 0;
    };
    for (unsigned n : {1u, 2u}) {
        const boost::shared_ptr<TotalVolume> volume =
            makeVolume(9, 8, 7, [&](unsigned x, unsigned y, unsigned z) { return inBlock(x, y, z) ? 1u : 0u; });
        MooreNeighborhoodDeposition(*volume, 5).run(n);
        EXPECT_EQ(materialsOf(*volume), expected(9, 8, 7, [&](unsigned x, unsigned y, unsigned z) {
                      const unsigned p[3] = {x, y, z};
                      const unsigned d = boxDistance(p, lo, hi);
                      return d == 0 ? 1u : d <= n ? 5u : 0u;
                  }))
            << "after " << n << " steps";
    }
    // The diagonal cell off the block's top edge corner is filled after one step.
    const boost::shared_ptr<TotalVolume> volume =
        makeVolume(9, 8, 7, [&](unsigned x, unsigned y, unsigned z) { return inBlock(x, y, z) ? 1u : 0u; });
    MooreNeighborhoodDeposition(*volume, 5).run(1);
    EXPECT_EQ(materialAt(*volume, 6, 5, 3), 5u);
    EXPECT_EQ(materialAt(*volume, 2, 2, 3), 5u);
    EXPECT_EQ(materialAt(*volume, 7, 5, 3), 0u);
}

TEST(MooreNeighborhoodEtching, EtchesNLayersFromTheOnlyExposedFace)
{
    const boost::shared_ptr<TotalVolume> volume = makeVolume(7, 4, 8, [](unsigned, unsigned, unsigned z) {
        return z < 6 ? 2u : 0u;
    });
    MooreNeighborhoodEtching(*volume, 2).run(3);
    EXPECT_EQ(materialsOf(*volume), expected(7, 4, 8, [](unsigned, unsigned, unsigned z) {
                  return z < 3 ? 2u : 0u;
              }));
}

TEST(MooreNeighborhoodEtching, OtherMaterialsStayAndShieldWhatLiesBehindThem)
{
    // Material 2 up to z = 5; a lid of 7 over x < 3 at z = 5 and a cell of 7 buried in 2.
    auto layout = [](unsigned x, unsigned, unsigned z) -> uint32_t {
        if (z == 5 && x < 3)
            return 7;
        if (z == 2 && x == 5)
            return 7;
        return z < 6 ? 2u : 0u;
    };
    const boost::shared_ptr<TotalVolume> volume = makeVolume(8, 3, 8, layout);
    MooreNeighborhoodEtching(*volume, 2).run(2);
    EXPECT_EQ(materialAt(*volume, 5, 1, 2), 7u); // buried cell kept
    EXPECT_EQ(materialAt(*volume, 1, 1, 5), 7u); // lid kept
    EXPECT_EQ(materialAt(*volume, 0, 1, 4), 2u); // two cells under the lid, out of reach
    EXPECT_EQ(materialAt(*volume, 3, 1, 4), 0u); // diagonal under the lid's edge: reached
    EXPECT_EQ(materialAt(*volume, 2, 1, 4), 0u);
    EXPECT_EQ(materialAt(*volume, 1, 1, 4), 2u);
    EXPECT_EQ(materialAt(*volume, 6, 1, 3), 2u);
    EXPECT_EQ(materialAt(*volume, 6, 1, 4), 0u);
}

TEST(MooreNeighborhoodDeposition, NothingToGrowOnStopsEarly)
{
    const boost::shared_ptr<TotalVolume> empty = makeVolume(4, 4, 4, [](unsigned, unsigned, unsigned) { return 0u; });
    EXPECT_EQ(MooreNeighborhoodDeposition(*empty, 3).run(999999999u), 0);
    EXPECT_EQ(materialsOf(*empty), std::vector<uint32_t>(64, 0));

    // A huge thickness fills every empty cell and stops once the volume is full.
    const boost::shared_ptr<TotalVolume> volume =
        makeVolume(5, 4, 6, [](unsigned, unsigned, unsigned z) { return z == 0 ? 1u : 0u; });
    EXPECT_LE(MooreNeighborhoodDeposition(*volume, 3).run(999999999u), 7);
    EXPECT_EQ(materialsOf(*volume), expected(5, 4, 6, [](unsigned, unsigned, unsigned z) {
                  return z == 0 ? 1u : 3u;
              }));
}

TEST_P(MooreAgainstReference, DepositionMatchesBreadthFirstDistancesForEveryPoolSize)
{
    const RandomCase c = GetParam();
    const Layout layout = randomLayout(c.seed, c.sz);
    const std::vector<uint32_t> start = expected(c.sx, c.sy, c.sz, layout);
    const std::vector<unsigned> dist = mooreDistances(
        start, c.sx, c.sy, c.sz, [](uint32_t m) { return m != 0; }, [](uint32_t m) { return m == 0; });
    std::vector<uint32_t> want = start;
    for (size_t i = 0; i < want.size(); ++i)
        if (want[i] == 0 && dist[i] <= c.iterations)
            want[i] = 9;

    bool allEqual = false;
    const std::vector<uint32_t> got = sameForEveryPoolSize(
        c.sx, c.sy, c.sz, layout, [&](TotalVolume &v) { MooreNeighborhoodDeposition(v, 9).run(c.iterations); },
        &allEqual);
    EXPECT_TRUE(allEqual);
    EXPECT_EQ(got, want);
}

TEST_P(MooreAgainstReference, EtchingMatchesBreadthFirstDistancesForEveryPoolSize)
{
    const RandomCase c = GetParam();
    const Layout layout = randomLayout(c.seed, c.sz);
    const std::vector<uint32_t> start = expected(c.sx, c.sy, c.sz, layout);
    const std::vector<unsigned> dist = mooreDistances(
        start, c.sx, c.sy, c.sz, [](uint32_t m) { return m == 0; }, [](uint32_t m) { return m == 3; });
    std::vector<uint32_t> want = start;
    for (size_t i = 0; i < want.size(); ++i)
        if (want[i] == 3 && dist[i] <= c.iterations)
            want[i] = 0;

    bool allEqual = false;
    const std::vector<uint32_t> got = sameForEveryPoolSize(
        c.sx, c.sy, c.sz, layout, [&](TotalVolume &v) { MooreNeighborhoodEtching(v, 3).run(c.iterations); },
        &allEqual);
    EXPECT_TRUE(allEqual);
    EXPECT_EQ(got, want);
}

INSTANTIATE_TEST_SUITE_P(Volumes, MooreAgainstReference,
                         ::testing::Values(RandomCase{23, 7, 9, 1, 1}, RandomCase{23, 7, 9, 3, 2},
                                           RandomCase{17, 5, 12, 6, 3}, RandomCase{5, 9, 8, 2, 4},
                                           RandomCase{1, 6, 6, 4, 5}, RandomCase{40, 3, 5, 2, 6}));

TEST(MooreSlabs, SplitIntoEqualSlabsUnlessThinnerThanTwoLayers)
{
    struct Row
    {
        int threads;
        unsigned sizeX;
        unsigned slabs;
    };
    for (const Row &row : {Row{4, 8, 4}, Row{4, 7, 1}, Row{3, 7, 3}, Row{7, 13, 1}, Row{7, 14, 7}, Row{1, 3, 1}}) {
        PoolSize pool(row.threads);
        const boost::shared_ptr<TotalVolume> volume =
            makeVolume(row.sizeX, 2, 2, [](unsigned, unsigned, unsigned) { return 0u; });
        EXPECT_EQ(MooreNeighborhoodDeposition(*volume, 1).slabCount(), row.slabs) << row.threads << " " << row.sizeX;
        EXPECT_EQ(MooreNeighborhoodEtching(*volume, 1).slabCount(), row.slabs);
    }
}

namespace {

struct Scene
{
    Workspace workspace;
    boost::shared_ptr<TotalVolume> volume =
        makeVolume(6, 5, 8, [](unsigned x, unsigned, unsigned z) { return z < 3 ? 1u : (z == 3 && x < 2) ? 6u : 0u; });
    Scene() { workspace.document().addObject(volume); }

    template <class Op>
    boost::shared_ptr<Op> start(std::function<void(Op &)> set)
    {
        return TestSupport::startWithDialog(workspace, boost::shared_ptr<Op>(new Op(&workspace)),
                                            boost::shared_ptr<TestSupport::FakeDialog>(new TestSupport::FakeDialog),
                                            set);
    }
};

} // namespace

TEST(MooreOperations, DepositionAndEtchingShareNameAndKeyButUndoTheirOwnRecords)
{
    Scene scene;
    const std::vector<uint32_t> original = materialsOf(*scene.volume);
    scene.workspace.setLatticeStale(scene.volume->getId(), false);

    const auto dep = scene.start<MooreNeighborhoodDepositionOperation>([](MooreNeighborhoodDepositionOperation &op) {
        op.setValues({{"Material", 4u}, {"Thickness", 2u}});
    });
    EXPECT_EQ(scene.workspace.console().lastMessage(), QStringLiteral("Moore film deposition: Operation finished."));
    EXPECT_FALSE(scene.workspace.isLatticeStale(scene.volume->getId()));
    const std::vector<uint32_t> afterDeposition = materialsOf(*scene.volume);
    EXPECT_EQ(materialAt(*scene.volume, 4, 2, 3), 4u);
    EXPECT_EQ(materialAt(*scene.volume, 4, 2, 4), 4u);
    EXPECT_EQ(materialAt(*scene.volume, 4, 2, 5), 0u);

    const auto etch = scene.start<MooreNeighborhoodEtchingOperation>([](MooreNeighborhoodEtchingOperation &op) {
        op.setValues({{"Material", 1u}, {"Depth", 1u}});
    });
    EXPECT_EQ(scene.workspace.console().lastMessage(), QStringLiteral("Moore film deposition: Operation finished."));
    EXPECT_EQ(scene.workspace.history().undoName(), QStringLiteral("Moore film deposition"));
    EXPECT_EQ(dep->snapshot().key(), etch->snapshot().key());
    EXPECT_NE(dep->snapshot().serial(), etch->snapshot().serial());
    // Silicon is covered by the film and the lid everywhere: nothing to etch.
    EXPECT_EQ(materialsOf(*scene.volume), afterDeposition);
    EXPECT_TRUE(scene.workspace.isLatticeStale(scene.volume->getId()));

    ASSERT_TRUE(scene.workspace.history().undo());
    EXPECT_EQ(materialsOf(*scene.volume), afterDeposition);
    ASSERT_TRUE(scene.workspace.history().undo());
    EXPECT_EQ(materialsOf(*scene.volume), original);
    ASSERT_TRUE(scene.workspace.history().redo());
    EXPECT_EQ(materialsOf(*scene.volume), afterDeposition);
}

TEST(MooreOperations, RefusedOrRejectedValuesCancel)
{
    Scene scene;
    const std::vector<uint32_t> original = materialsOf(*scene.volume);
    // The dialog's field starts at one layer: zero is outside the declared range.
    scene.start<MooreNeighborhoodEtchingOperation>(
        [](MooreNeighborhoodEtchingOperation &op) { op.setValues({{"Material", 1u}, {"Depth", 0u}}); });
    EXPECT_EQ(scene.workspace.console().lastMessage(), QStringLiteral("Moore film deposition: Operation canceled."));
    scene.start<MooreNeighborhoodDepositionOperation>(std::function<void(MooreNeighborhoodDepositionOperation &)>());
    EXPECT_EQ(scene.workspace.console().lastMessage(), QStringLiteral("Moore film deposition: Operation canceled."));
    EXPECT_EQ(scene.workspace.history().undoCount(), 0u);
    EXPECT_EQ(materialsOf(*scene.volume), original);
}


// A front walking one cell per iteration along x: a stop asked during the
// second iteration ends the run there, with and without barriers between slabs.
TEST(SlabFrontsStop, AStopEndsTheIterationsAtTheNextOne)
{
    for (const bool slabLocal : {false, true}) {
        const Util::SlabPlan plan = Util::planSlabs(0, 64, slabLocal ? 1 : 2, Util::SlabSplit::RemainderByThickness);
        for (const bool stopping : {false, true}) {
            SlabFronts fronts(plan, 1);
            Util::StopToken stop;
            int updates = 0;
            const auto initialize = [&](const Util::SlabRange &range, unsigned slab) {
                if (slab == 0)
                    fronts.addToFront(slab, range.first);
            };
            const auto update = [&](const Util::SlabRange &range, unsigned slab) {
                for (uint32_t cell : fronts.front(slab))
                    if (cell + 1 < (slabLocal ? range.last : 64u))
                        fronts.route(slab, cell + 1);
                if (slab == 0 && ++updates == 2 && stopping)
                    stop.request();
            };
            const auto apply = [](const Util::SlabRange &, unsigned) {};
            const Util::StopScope scope(&stop);
            const int stepped = fronts.run(40, initialize, update, apply, slabLocal);
            EXPECT_EQ(stepped, stopping ? 2 : 40) << slabLocal << stopping;
        }
    }
}
