#include "Core/Operations/Moore/layertestsupport.h"

#include "Core/Operations/ColumnProcesses/planarization.h"
#include "Core/Operations/stepoperations.h"
#include "Core/Operations/ColumnProcesses/simplereactiveionetching.h"
#include "Core/Operations/ColumnProcesses/spincoating.h"
#include "Core/Operations/workspace.h"

#include <gtest/gtest.h>

#include <cmath>

#include <cmath>
#include <random>

using namespace Core::Operations;
using namespace LayerTest;
using Model::Automaton::TotalVolume;

namespace {

const unsigned SX = 7, SY = 3, SZ = 8;

// Silicon below z = 2, a pillar of oxide (3) up to z = 5 at x = 3, empty elsewhere.
uint32_t pillar(unsigned x, unsigned, unsigned z)
{
    if (z < 2)
        return 1;
    return x == 3 && z < 6 ? 3u : 0u;
}

// Random cells of 0, 2 and 5 for the invariance checks.
Layout randomCells(unsigned sx, unsigned sy, unsigned sz, unsigned seed)
{
    std::mt19937 random(seed);
    std::shared_ptr<std::vector<uint32_t>> cells(new std::vector<uint32_t>(size_t(sx) * sy * sz));
    for (uint32_t &m : *cells) {
        const unsigned r = random() % 10;
        m = r < 4 ? 0u : r < 8 ? 5u : 2u;
    }
    return [cells, sy, sz](unsigned x, unsigned y, unsigned z) { return (*cells)[(size_t(x) * sy + y) * sz + z]; };
}

} // namespace

TEST(Planarization, KeepsOnlyTheCellsBetweenTheHeights)
{
    struct Row
    {
        unsigned maximum, minimum;
        unsigned keepFrom, keepTo; // kept z range [from, to)
    };
    const Row rows[] = {{SZ, 0, 0, SZ},        {SZ + 100, 0, 0, SZ}, {4, 0, 0, 4},  {SZ, 1, 1, SZ},
                        {5, 2, 2, 5},          {0, 0, 0, 0},         {3, 6, 0, 0}, {SZ, 4000000000u, 0, 0}};
    for (const Row &row : rows) {
        const boost::shared_ptr<TotalVolume> volume = makeVolume(SX, SY, SZ, pillar);
        Planarization planarization(*volume, row.maximum, row.minimum);
        EXPECT_LE(planarization.maximumHeight(), SZ);
        EXPECT_LE(planarization.minimumHeight(), SZ);
        planarization.run();
        EXPECT_EQ(materialsOf(*volume), expected(SX, SY, SZ, [&](unsigned x, unsigned y, unsigned z) {
                      return z >= row.keepFrom && z < row.keepTo ? pillar(x, y, z) : 0u;
                  }))
            << "max " << row.maximum << " min " << row.minimum;
    }
}

TEST(SpinCoating, FillsOnlyEmptyCellsBelowTheHeight)
{
    for (unsigned height : {0u, 4u, SZ, SZ + 5}) {
        const boost::shared_ptr<TotalVolume> volume = makeVolume(SX, SY, SZ, pillar);
        SpinCoating(*volume, 9, height).run();
        EXPECT_EQ(materialsOf(*volume), expected(SX, SY, SZ, [&](unsigned x, unsigned y, unsigned z) {
                      const uint32_t m = pillar(x, y, z);
                      return m == 0 && z < height ? 9u : m;
                  }))
            << "height " << height;
    }
}

namespace {

struct EtchCase
{
    const char *name;
    unsigned directions, layers;
    uint32_t column[8]; // from the bottom, before
    uint32_t want[8];
};

void PrintTo(const EtchCase &c, std::ostream *os) { *os << c.name; }

class ReactiveIonEtching : public ::testing::TestWithParam<EtchCase>
{
};

} // namespace

TEST_P(ReactiveIonEtching, EtchesAlongTheColumn)
{
    const EtchCase &c = GetParam();
    const Layout layout = [&](unsigned, unsigned, unsigned z) { return c.column[z]; };
    bool allEqual = false;
    const std::vector<uint32_t> got = sameForEveryPoolSize(
        SX, SY, SZ, layout, [&](TotalVolume &v) { SimpleReactiveIonEtching(v, 4, c.layers, c.directions).run(); },
        &allEqual);
    EXPECT_TRUE(allEqual);
    EXPECT_EQ(got, expected(SX, SY, SZ, [&](unsigned, unsigned, unsigned z) { return c.want[z]; }));
}

INSTANTIATE_TEST_SUITE_P(
    Films, ReactiveIonEtching,
    ::testing::Values(
        EtchCase{"ThreeOfFiveFromTop", 1, 3, {1, 4, 4, 4, 4, 4, 0, 0}, {1, 4, 4, 0, 0, 0, 0, 0}},
        EtchCase{"NoDirection", 0, 3, {1, 4, 4, 4, 4, 4, 0, 0}, {1, 4, 4, 4, 4, 4, 0, 0}},
        EtchCase{"FromBelowOnly", 2, 2, {0, 4, 4, 4, 4, 4, 0, 0}, {0, 0, 0, 4, 4, 4, 0, 0}},
        EtchCase{"FromBelowIgnoresTheTopFace", 2, 2, {1, 4, 4, 4, 4, 4, 0, 0}, {1, 4, 4, 4, 4, 4, 0, 0}},
        EtchCase{"BothDirections", 3, 1, {0, 4, 4, 4, 4, 4, 0, 0}, {0, 0, 4, 4, 4, 0, 0, 0}},
        EtchCase{"OtherMaterialStopsTheEtch", 1, 6, {4, 4, 3, 4, 4, 0, 4, 0}, {4, 4, 3, 0, 0, 0, 0, 0}},
        EtchCase{"DeeperThanTheFilm", 1, 50, {1, 4, 4, 4, 4, 4, 0, 0}, {1, 0, 0, 0, 0, 0, 0, 0}}),
    [](const ::testing::TestParamInfo<EtchCase> &info) { return std::string(info.param.name); });

TEST(ColumnEngines, GiveTheSameCellsForEveryPoolSize)
{
    for (unsigned sx : {1u, 5u, 23u, 40u}) {
        const Layout layout = randomCells(sx, 4, 11, sx);
        bool allEqual = false;
        sameForEveryPoolSize(sx, 4, 11, layout, [](TotalVolume &v) { Planarization(v, 8, 2).run(); }, &allEqual);
        EXPECT_TRUE(allEqual) << "planarization " << sx;
        sameForEveryPoolSize(sx, 4, 11, layout, [](TotalVolume &v) { SpinCoating(v, 7, 6).run(); }, &allEqual);
        EXPECT_TRUE(allEqual) << "pouring " << sx;
        const std::vector<uint32_t> etched = sameForEveryPoolSize(
            sx, 4, 11, layout, [](TotalVolume &v) { SimpleReactiveIonEtching(v, 5, 2, 3).run(); }, &allEqual);
        EXPECT_TRUE(allEqual) << "RIE " << sx;
        EXPECT_NE(etched, expected(sx, 4, 11, layout));
    }
}

namespace {

struct Scene
{
    Workspace workspace;
    boost::shared_ptr<TotalVolume> volume = makeVolume(SX, SY, SZ, pillar);
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

TEST(ColumnOperations, RunReportUnderTheirNamesAndUndo)
{
    Scene scene;
    const std::vector<uint32_t> original = materialsOf(*scene.volume);
    scene.start<SpinCoatingOperation>([](SpinCoatingOperation &op) {
        op.setValues({{"Material", 9u}, {"Maximum Height", 3u}});
    });
    EXPECT_EQ(scene.workspace.console().lastMessage(), QStringLiteral("Spin Coating: Operation finished."));
    EXPECT_EQ(materialAt(*scene.volume, 0, 0, 2), 9u);
    const std::vector<uint32_t> poured = materialsOf(*scene.volume);

    scene.workspace.setLatticeStale(scene.volume->getId(), false);
    // A fractional depth counts by its whole layers, as the dialog's whole-number field does.
    scene.start<SimpleReactiveIonEtchingOperation>([](SimpleReactiveIonEtchingOperation &op) {
        op.setValues({{"Etch Depth", 2.7}, {"Material", 3u}, {"EtchDirectionValue", 1}});
    });
    EXPECT_EQ(scene.workspace.console().lastMessage(), QStringLiteral("Simple RIE: Operation finished."));
    EXPECT_EQ(materialAt(*scene.volume, 3, 0, 5), 0u);
    EXPECT_EQ(materialAt(*scene.volume, 3, 0, 4), 0u);
    EXPECT_EQ(materialAt(*scene.volume, 3, 0, 3), 3u);
    EXPECT_FALSE(scene.workspace.isLatticeStale(scene.volume->getId()));

    scene.start<PlanarizationOperation>([](PlanarizationOperation &op) {
        op.setValues({{"Maximum Height", 3u}, {"Minimum Height", 1u}});
    });
    EXPECT_EQ(scene.workspace.console().lastMessage(), QStringLiteral("Planarization: Operation finished."));
    EXPECT_EQ(materialAt(*scene.volume, 3, 0, 3), 0u);
    EXPECT_EQ(materialAt(*scene.volume, 3, 0, 0), 0u);
    EXPECT_EQ(materialAt(*scene.volume, 3, 0, 1), 1u);
    EXPECT_TRUE(scene.workspace.isLatticeStale(scene.volume->getId()));

    // Every step is on the undo stack; undoing all three gives the pillar back.
    EXPECT_EQ(scene.workspace.history().undoCount(), 3u);
    ASSERT_TRUE(scene.workspace.history().undo());
    ASSERT_TRUE(scene.workspace.history().undo());
    EXPECT_EQ(materialsOf(*scene.volume), poured);
    ASSERT_TRUE(scene.workspace.history().undo());
    EXPECT_EQ(materialsOf(*scene.volume), original);
}

TEST(ColumnOperations, RefusedValuesCancelWithTheirOwnMessages)
{
    Scene scene;
    const std::vector<uint32_t> before = materialsOf(*scene.volume);
    scene.start<PlanarizationOperation>([](PlanarizationOperation &op) {
        op.setValues({{"Maximum Height", 3u}, {"Minimum Height", 5u}});
    });
    EXPECT_EQ(scene.workspace.console().lastMessage(), QStringLiteral("Planarization: Operation canceled!"));
    scene.start<SpinCoatingOperation>([](SpinCoatingOperation &op) { op.setValues({{"Maximum Height", 3u}}); });
    EXPECT_EQ(scene.workspace.console().lastMessage(), QStringLiteral("Spin Coating: Operation canceled."));
    scene.start<SimpleReactiveIonEtchingOperation>([](SimpleReactiveIonEtchingOperation &op) {
        op.setValues({{"Material", 3u}, {"Etch Depth", std::nan("")}});
    });
    EXPECT_EQ(scene.workspace.console().lastMessage(), QStringLiteral("Simple RIE: Operation canceled."));
    EXPECT_EQ(materialsOf(*scene.volume), before);
    EXPECT_EQ(scene.workspace.history().undoCount(), 0u);
}

// One rule for reactive-ion etching from neither side: the program refuses it
// as lists and scripts always have, instead of running a step that does nothing.
TEST(ColumnOperations, EtchingFromNeitherSideIsRefusedWithTheListsSentence)
{
    Scene scene;
    QStringList messages;
    TestSupport::recordConsole(scene.workspace, messages);
    scene.start<SimpleReactiveIonEtchingOperation>([](SimpleReactiveIonEtchingOperation &op) {
        op.setValues({{"Material", 3u}, {"Etch Depth", 2u}, {"EtchDirectionValue", 0}});
    });
    EXPECT_TRUE(messages.contains(
        QStringLiteral("Simple RIE: \"EtchDirectionValue\" must be 1 (top), 2 (bottom) or 3 (both), not 0.")))
        << qPrintable(messages.join(QLatin1Char('|')));
    EXPECT_EQ(scene.workspace.history().undoCount(), 0u);
}
