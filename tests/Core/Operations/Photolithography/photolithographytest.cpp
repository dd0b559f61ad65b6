#include "Core/Operations/Moore/layertestsupport.h"

#include "Core/Operations/Photolithography/cutcellvolume.h"
#include "Core/Operations/Photolithography/maskedcutcellvolumeoperation.h"
#include "Core/Operations/Photolithography/maskimage.h"
#include "Core/Operations/Photolithography/photolithography.h"
#include "Core/Operations/stepoperations.h"
#include "Core/Operations/Photolithography/removecutsfromvolumeoperation.h"
#include "Core/Operations/workspace.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>

#include <random>

using namespace Core::Operations;
using namespace LayerTest;
using Model::Automaton::TotalVolume;

namespace {

const unsigned SX = 8, SY = 4, SZ = 6;

// Silicon below z = 2, resist at z = 2..4, empty at the top.
Layout resistOnSubstrate(uint32_t resist)
{
    return [resist](unsigned, unsigned, unsigned z) { return z < 2 ? 1u : z < 5 ? resist : 0u; };
}

// A width x height mask whose columns x < opaqueBelowX are opaque.
MaskImage leftOpaque(unsigned width, unsigned height, unsigned opaqueBelowX)
{
    MaskImage mask;
    mask.width = width;
    mask.height = height;
    mask.bits.assign(size_t(width) * height, false);
    for (unsigned x = 0; x < width; ++x)
        for (unsigned y = 0; y < height; ++y)
            mask.bits[size_t(x) * height + y] = x < opaqueBelowX;
    return mask;
}

struct DevelopCase
{
    const char *name;
    uint32_t resist;
    MaskImage top;
    // Columns x < this keep their resist (for the negative resist: the others keep it).
    unsigned boundary;
    bool leftKeeps;
};

void PrintTo(const DevelopCase &c, std::ostream *os) { *os << c.name; }

class Development : public ::testing::TestWithParam<DevelopCase>
{
};

} // namespace

TEST_P(Development, RemovesTheResistOfExposedColumnsOverItsFullThickness)
{
    const DevelopCase &c = GetParam();
    bool allEqual = false;
    const std::vector<uint32_t> got = sameForEveryPoolSize(
        SX, SY, SZ, resistOnSubstrate(c.resist),
        [&](TotalVolume &v) {
            Photolithography(v, c.resist, std::vector<bool>(), 0, 0, c.top.bits, c.top.width, c.top.height).run();
        },
        &allEqual);
    EXPECT_TRUE(allEqual);
    EXPECT_EQ(got, expected(SX, SY, SZ, [&](unsigned x, unsigned, unsigned z) -> uint32_t {
                  if (z < 2)
                      return 1;
                  const bool keeps = (x < c.boundary) == c.leftKeeps;
                  return z < 5 && keeps ? c.resist : 0u;
              }));
}

INSTANTIATE_TEST_SUITE_P(
    Masks, Development,
    ::testing::Values(DevelopCase{"HalfBlackPositive", 11, leftOpaque(SX, SY, 4), 4, true},
                      DevelopCase{"HalfBlackNegative", 12, leftOpaque(SX, SY, 4), 4, false},
                      DevelopCase{"NoMaskPositive", 11, MaskImage(), 0, true},
                      DevelopCase{"NoMaskNegative", 12, MaskImage(), 0, false},
                      // A 3 x 4 all-black image: transparent outside it.
                      DevelopCase{"SmallMaskPositive", 11, leftOpaque(3, SY, 3), 3, true},
                      DevelopCase{"SmallMaskNegative", 12, leftOpaque(3, SY, 3), 3, false},
                      // Bit count that does not match the sizes: every column transparent.
                      DevelopCase{"BrokenMaskPositive", 11, MaskImage{std::vector<bool>(5, true), SX, SY}, 0, true}),
    [](const ::testing::TestParamInfo<DevelopCase> &info) { return std::string(info.param.name); });

TEST(Photolithography, DevelopsOnlyTheRunTouchingTheExposedFace)
{
    // Per column from the bottom: empty, resist, oxide, resist, resist, empty.
    auto layout = [](unsigned, unsigned, unsigned z) -> uint32_t {
        const uint32_t column[6] = {0, 11, 3, 11, 11, 0};
        return column[z];
    };
    const MaskImage closed = leftOpaque(SX, SY, SX); // all opaque
    struct Row
    {
        const char *what;
        bool bottomOpen, topOpen;
        uint32_t want[6];
    };
    const Row rows[] = {{"top only", false, true, {0, 11, 3, 0, 0, 0}},
                        {"bottom only", true, false, {0, 0, 3, 11, 11, 0}},
                        {"both", true, true, {0, 0, 3, 0, 0, 0}},
                        {"neither", false, false, {0, 11, 3, 11, 11, 0}}};
    for (const Row &row : rows) {
        const boost::shared_ptr<TotalVolume> volume = makeVolume(SX, SY, SZ, layout);
        const MaskImage none;
        const MaskImage &bottom = row.bottomOpen ? none : closed;
        const MaskImage &top = row.topOpen ? none : closed;
        Photolithography(*volume, 11, bottom.bits, bottom.width, bottom.height, top.bits, top.width, top.height).run();
        for (unsigned z = 0; z < SZ; ++z)
            EXPECT_EQ(materialAt(*volume, 5, 2, z), row.want[z]) << row.what << " z " << z;
    }
}

TEST(Photolithography, RandomResistIsTheSameForEveryPoolSize)
{
    std::mt19937 random(11);
    std::vector<uint32_t> cells(size_t(23) * 5 * 9);
    for (uint32_t &m : cells)
        m = random() % 3 == 0 ? 0u : random() % 4 == 0 ? 2u : 12u;
    const Layout layout = [&](unsigned x, unsigned y, unsigned z) { return cells[(size_t(x) * 5 + y) * 9 + z]; };
    MaskImage top = leftOpaque(20, 5, 0);
    for (size_t i = 0; i < top.bits.size(); ++i)
        top.bits[i] = random() % 2 == 0;
    bool allEqual = false;
    const std::vector<uint32_t> got = sameForEveryPoolSize(
        23, 5, 9, layout,
        [&](TotalVolume &v) {
            Photolithography(v, 12, top.bits, top.width, top.height, std::vector<bool>(), 0, 0).run();
        },
        &allEqual);
    EXPECT_TRUE(allEqual);
    EXPECT_NE(got, expected(23, 5, 9, layout));
}

TEST(MaskImage, OnlyOpaquePureRedOrBlackIsOpaqueAndTheTopRowIsTheLargestY)
{
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(QColor(255, 255, 255));
    image.setPixelColor(0, 0, QColor(0, 0, 0));       // top left
    image.setPixelColor(1, 0, QColor(255, 0, 0));     // top middle
    image.setPixelColor(2, 0, QColor(0, 0, 0, 128));  // translucent black
    image.setPixelColor(0, 1, QColor(1, 0, 0));       // almost black
    image.setPixelColor(1, 1, QColor(254, 0, 0));     // almost red
    image.setPixelColor(2, 1, QColor(0, 0, 0));       // bottom right
    const QString file = QDir::current().filePath(QStringLiteral("mask.png"));
    ASSERT_TRUE(image.save(file));

    MaskImage mask;
    ASSERT_TRUE(MaskImage::load(file, mask));
    EXPECT_EQ(mask.width, 3u);
    EXPECT_EQ(mask.height, 2u);
    // Bit x * height + y, y = 1 for the image's top row.
    const std::vector<bool> want = {false, true, false, true, true, false};
    EXPECT_EQ(mask.bits, want);

    // Column grid: inside the image the mask bit, outside transparent.
    const std::vector<uint8_t> grid = MaskImage::columnGrid(mask.bits, mask.width, mask.height, 4, 3);
    const std::vector<uint8_t> wantGrid = {0, 1, 0, /**/ 0, 1, 0, /**/ 1, 0, 0, /**/ 0, 0, 0};
    EXPECT_EQ(grid, wantGrid);
}

TEST(MaskImage, UnreadableFilesLeaveTheMaskAsItWas)
{
    QFile junk(QDir::current().filePath(QStringLiteral("junk.png")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not an image");
    junk.close();
    MaskImage mask = leftOpaque(2, 2, 1);
    const MaskImage before = mask;
    for (const QString &name : {QStringLiteral("missing.png"), junk.fileName(), QString()}) {
        EXPECT_FALSE(MaskImage::load(name, mask)) << name.toStdString();
        EXPECT_EQ(mask.bits, before.bits);
        EXPECT_EQ(mask.width, 2u);
    }
}

TEST(CutCellVolume, CountsSaturateAtTheTopAndRemoveCutsClearsThem)
{
    const boost::shared_ptr<TotalVolume> volume = makeVolume(5, 3, 4, [](unsigned, unsigned, unsigned) { return 1u; });
    const MaskImage mask = leftOpaque(5, 3, 2); // columns x >= 2 are cut
    CutCellVolume cut(*volume, mask.bits, mask.width, mask.height);
    for (int i = 0; i < 300; ++i)
        cut.applyCut();
    const std::vector<unsigned> counts = cutCountsOf(*volume);
    for (unsigned x = 0; x < 5; ++x)
        EXPECT_EQ(counts[volume->cellIndex(x, 1, 3)], x < 2 ? 0u : 255u);
    cut.undoCut();
    EXPECT_EQ(cutCountsOf(*volume)[volume->cellIndex(4, 0, 0)], 254u);
    CutCellVolume(*volume, std::vector<bool>(), 0, 0).removeCuts();
    EXPECT_EQ(cutCountsOf(*volume), std::vector<unsigned>(60, 0));
    EXPECT_EQ(materialsOf(*volume), std::vector<uint32_t>(60, 1)); // materials untouched
}

TEST(CutCellVolume, SlabsFollowTheRemainderByCount)
{
    struct Row
    {
        int threads;
        unsigned sizeX, slabs;
    };
    for (const Row &row : {Row{2, 3, 1}, Row{2, 4, 2}, Row{3, 7, 3}, Row{7, 13, 1}}) {
        PoolSize pool(row.threads);
        const boost::shared_ptr<TotalVolume> volume =
            makeVolume(row.sizeX, 2, 2, [](unsigned, unsigned, unsigned) { return 0u; });
        EXPECT_EQ(CutCellVolume(*volume, std::vector<bool>(), 0, 0).slabCount(), row.slabs);
        // Every column cut exactly once whatever the split.
        CutCellVolume(*volume, std::vector<bool>(), 0, 0).applyCut();
        EXPECT_EQ(cutCountsOf(*volume), std::vector<unsigned>(size_t(row.sizeX) * 4, 1));
    }
}

namespace {

struct Scene
{
    Workspace workspace;
    boost::shared_ptr<TotalVolume> volume = makeVolume(SX, SY, SZ, resistOnSubstrate(11));
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

TEST(PhotolithographyOperation, ShowsTheMaskAtOnceAndRemovesItWhenDeveloped)
{
    Scene scene;
    scene.workspace.setLatticeStale(scene.volume->getId(), false);
    const MaskImage mask = leftOpaque(SX, SY, 4);
    TotalVolume::MaskSize shownSize;
    scene.start<PhotolithographyOperation>([&](PhotolithographyOperation &op) {
        op.showTopMask(mask.bits, mask.width, mask.height);
        shownSize = scene.volume->getTopMaskSize();
        op.setValues({{"Material", 11u},
                      {"Top Mask", QVariant::fromValue(mask.bits)},
                      {"Top Mask Width", mask.width},
                      {"Top Mask Height", mask.height},
                      {"Bottom Mask", QVariant::fromValue(std::vector<bool>())},
                      {"Bottom Mask Width", 0u},
                      {"Bottom Mask Height", 0u}});
    });
    EXPECT_EQ(shownSize, TotalVolume::MaskSize(SX, SY));
    EXPECT_EQ(scene.workspace.console().lastMessage(), QStringLiteral("Photolithography: Operation finished."));
    EXPECT_EQ(scene.volume->getTopMaskSize(), TotalVolume::MaskSize(0, 0));
    EXPECT_TRUE(scene.volume->getTopMask().empty());
    EXPECT_EQ(scene.workspace.history().undoCount(), 1u);
    EXPECT_FALSE(scene.workspace.isLatticeStale(scene.volume->getId()));
    EXPECT_EQ(materialAt(*scene.volume, 1, 1, 4), 11u);
    EXPECT_EQ(materialAt(*scene.volume, 6, 1, 2), 0u);
}

TEST(PhotolithographyOperation, CancelWithoutMaterialLeavesCellsAndNoOverlay)
{
    Scene scene;
    const std::vector<uint32_t> before = materialsOf(*scene.volume);
    const MaskImage mask = leftOpaque(SX, SY, 4);
    scene.start<PhotolithographyOperation>(
        [&](PhotolithographyOperation &op) {
            op.showTopMask(mask.bits, mask.width, mask.height);
            op.setValues({{"Top Mask", QVariant::fromValue(mask.bits)},
                          {"Top Mask Width", mask.width},
                          {"Top Mask Height", mask.height}});
        });
    EXPECT_EQ(scene.workspace.console().lastMessage(), QStringLiteral("Photolithography: Operation Canceled!"));
    EXPECT_EQ(materialsOf(*scene.volume), before);
    EXPECT_EQ(scene.volume->getTopMaskSize(), TotalVolume::MaskSize(0, 0));
}

TEST(MaskedCutOperation, UndoingOneOfTwoOverlappingCutsKeepsTheOverlapHidden)
{
    Scene scene;
    auto cutWith = [&](const MaskImage &mask) {
        return scene.start<MaskedCutCellVolumeOperation>(
            [mask](MaskedCutCellVolumeOperation &op) { op.setMask(mask.bits, mask.width, mask.height); });
    };
    cutWith(leftOpaque(SX, SY, 4)); // cuts x >= 4
    EXPECT_EQ(scene.workspace.console().lastMessage(), QStringLiteral("Masked Cut: Cut planes changed."));
    EXPECT_EQ(scene.volume->getTopMaskSize(), TotalVolume::MaskSize(0, 0));
    MaskImage second = leftOpaque(SX, SY, 6);
    for (unsigned y = 0; y < SY; ++y)
        second.bits[size_t(0) * SY + y] = false; // cuts x = 0 and x >= 6
    cutWith(second);
    auto countAt = [&](unsigned x) { return cutCountsOf(*scene.volume)[scene.volume->cellIndex(x, 2, 3)]; };
    const unsigned afterBoth[SX] = {1, 0, 0, 0, 1, 1, 2, 2};
    for (unsigned x = 0; x < SX; ++x)
        EXPECT_EQ(countAt(x), afterBoth[x]) << x;

    ASSERT_TRUE(scene.workspace.history().undo());
    for (unsigned x = 0; x < SX; ++x)
        EXPECT_EQ(countAt(x), x >= 4 ? 1u : 0u) << x;
    ASSERT_TRUE(scene.workspace.history().redo());
    for (unsigned x = 0; x < SX; ++x)
        EXPECT_EQ(countAt(x), afterBoth[x]) << x;

    scene.start<RemoveCutsFromVolumeOperation>(std::function<void(RemoveCutsFromVolumeOperation &)>());
    EXPECT_EQ(scene.workspace.console().lastMessage(), QStringLiteral("Remove Cuts: Cut planes changed."));
    EXPECT_EQ(cutCountsOf(*scene.volume), std::vector<unsigned>(SX * SY * SZ, 0));
    EXPECT_EQ(scene.workspace.history().undoCount(), 2u);
}

TEST(MaskedCutOperation, WithoutAUsableMaskItCancels)
{
    Scene scene;
    scene.start<MaskedCutCellVolumeOperation>(
        [](MaskedCutCellVolumeOperation &op) { op.setMask(std::vector<bool>(), 0, 0); });
    EXPECT_EQ(scene.workspace.console().lastMessage(), QStringLiteral("Masked Cut: Operation Canceled!"));
    EXPECT_EQ(cutCountsOf(*scene.volume), std::vector<unsigned>(SX * SY * SZ, 0));
    EXPECT_EQ(scene.workspace.history().undoCount(), 0u);
}
