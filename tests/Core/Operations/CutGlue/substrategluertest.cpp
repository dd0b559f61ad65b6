#include "cutgluetestsupport.h"

#include "Core/Operations/CutGlue/substrategluer.h"

#include <gtest/gtest.h>

#include <QThreadPool>

#include <numeric>

using namespace CutGlueTest;
using Core::Operations::SubstrateGluer;
using Model::Automaton::TotalVolume;

namespace {

// Base: 6 x 5 x 12, solid (material 1) up to z = 9. Top: 4 x 3 x 8, solid at
// z = 2..5 with material 3 + z, and material 9 in its x = 0 column.
boost::shared_ptr<TotalVolume> base() { return makeVolume(6, 5, 12, [](unsigned, unsigned, unsigned z) { return z <= 9 ? 1u : 0u; }); }
boost::shared_ptr<TotalVolume> top()
{
    return makeVolume(4, 3, 8, [](unsigned x, unsigned, unsigned z) {
        return z < 2 || z > 5 ? 0u : x == 0 ? 9u : 3u + z;
    }, 2.0f);
}

} // namespace

TEST(SubstrateGluer, DefaultsFollowTheSolidParts)
{
    const boost::shared_ptr<TotalVolume> b = base(), t = top();
    const SubstrateGluer::Layout l = SubstrateGluer::layout(*b, *t);
    EXPECT_EQ(l.baseHeight, 10u);
    EXPECT_EQ(l.topZ0, 2u);
    EXPECT_EQ(l.topZ1, 6u);
    EXPECT_EQ(l.sizeX, 6u);
    EXPECT_EQ(l.sizeY, 5u);
    EXPECT_EQ(l.sizeZ, 15u);
    EXPECT_EQ(l.cellSizeX, 2.0f);
    EXPECT_EQ(l.maxDisplacementX, 2u);
    EXPECT_EQ(l.maxDisplacementY, 2u);

    const boost::shared_ptr<TotalVolume> empty = makeVolume(3, 3, 3, [](unsigned, unsigned, unsigned) { return 0u; });
    EXPECT_EQ(SubstrateGluer::layout(*empty, *t).baseHeight, 1u);
}

struct GlueCase
{
    bool invert;
    unsigned dx, dy;
};

class SubstrateGluerPlacement : public ::testing::TestWithParam<GlueCase>
{
};

TEST_P(SubstrateGluerPlacement, TopLandsOnTheBase)
{
    const GlueCase c = GetParam();
    const boost::shared_ptr<TotalVolume> b = base(), t = top();
    const SubstrateGluer::Layout l = SubstrateGluer::layout(*b, *t);
    const boost::shared_ptr<TotalVolume> g = SubstrateGluer::glue(*b, *t, l, 6, 5, 15, c.dx, c.dy, c.invert);
    ASSERT_TRUE(g);
    ASSERT_EQ(g->getSizeZ(), 15u);
    for (unsigned x = 0; x < 6; ++x)
        for (unsigned y = 0; y < 5; ++y) {
            for (unsigned z = 0; z < 10; ++z)
                ASSERT_EQ(at(*g, x, y, z), 1u);
            const bool under = x >= c.dx && x < c.dx + 4 && y >= c.dy && y < c.dy + 3;
            for (unsigned z = 10; z < 15; ++z) {
                uint32_t expected = 0;
                if (under && z < 14) {
                    const unsigned tx = c.invert ? 3 - (x - c.dx) : x - c.dx;
                    const unsigned tz = c.invert ? 10 + 6 - 1 - z : z - 10 + 2;
                    expected = tx == 0 ? 9u : 3u + tz;
                }
                ASSERT_EQ(at(*g, x, y, z), expected) << x << "," << y << "," << z;
            }
        }
    // Inverted, the top's highest solid layer (z = 5, material 8) lies directly on the base.
    if (c.invert) {
        EXPECT_EQ(at(*g, c.dx + 1, c.dy, 10), 8u);
    }
}

INSTANTIATE_TEST_SUITE_P(Glue, SubstrateGluerPlacement,
                         ::testing::Values(GlueCase{false, 0, 0}, GlueCase{true, 0, 0}, GlueCase{false, 2, 1},
                                           GlueCase{true, 1, 2}));

TEST(SubstrateGluer, DisplacementBeyondTheFinalSizeNeverWritesOutside)
{
    const boost::shared_ptr<TotalVolume> b = base(), t = top();
    const SubstrateGluer::Layout l = SubstrateGluer::layout(*b, *t);
    const boost::shared_ptr<TotalVolume> g = SubstrateGluer::glue(*b, *t, l, 6, 5, 15, 4, 4, false);
    ASSERT_TRUE(g);
    EXPECT_EQ(at(*g, 4, 4, 10), 9u); // the top's x = 0 column still fits
    EXPECT_EQ(at(*g, 5, 4, 13), 8u);
    EXPECT_EQ(at(*g, 3, 3, 12), 0u);
    // A final volume lower than the stack keeps what fits.
    const boost::shared_ptr<TotalVolume> low = SubstrateGluer::glue(*b, *t, l, 6, 5, 12, 0, 0, false);
    ASSERT_TRUE(low);
    EXPECT_EQ(at(*low, 1, 1, 11), 6u);
}

TEST(SubstrateGluer, ResultDoesNotDependOnThePoolSize)
{
    const boost::shared_ptr<TotalVolume> b = makeVolume(23, 4, 6, [](unsigned x, unsigned y, unsigned z) {
        return z < 3 + (x + y) % 3 ? 1u + x % 4 : 0u;
    });
    const boost::shared_ptr<TotalVolume> t = makeVolume(19, 4, 5, [](unsigned x, unsigned y, unsigned z) {
        return z >= 1 && z < 4 ? 3u + (x * 7 + y + z) % 5 : 0u;
    });
    const SubstrateGluer::Layout l = SubstrateGluer::layout(*b, *t);
    std::vector<uint32_t> reference[2];
    for (unsigned slabs : {1u, 2u, 3u, 7u}) {
        for (bool invert : {false, true}) {
            const boost::shared_ptr<TotalVolume> g =
                SubstrateGluer::glue(*b, *t, l, l.sizeX, l.sizeY, l.sizeZ + 2, 3, 0, invert, nullptr, slabs);
            ASSERT_TRUE(g);
            if (slabs == 1) {
                reference[invert] = materialsOf(*g);
            } else {
                EXPECT_EQ(materialsOf(*g), reference[invert]) << slabs << (invert ? " inverted" : "");
            }
        }
    }
}

TEST(SubstrateGluer, DopantGoesWithItsCellsAndUnitLengthsMustAgree)
{
    using Model::Automaton::CellLock;
    using Model::Automaton::DopantFields;
    const boost::shared_ptr<TotalVolume> b = base(), t = top();
    b->setUnitLength(0.5);
    const auto dope = [](TotalVolume &v, int species, float scale) {
        CellLock lock(v);
        std::vector<float> &f = lock.dopants().make(species, lock.cellCount());
        for (size_t i = 0; i < f.size(); ++i)
            f[i] = lock.cells()[i].material ? scale * float(1 + i) : 0.0f;
    };
    dope(*b, DopantFields::Boron, 1e15f);
    dope(*t, DopantFields::Arsenic, 1e16f);
    const SubstrateGluer::Layout l = SubstrateGluer::layout(*b, *t);

    QString error;
    EXPECT_FALSE(SubstrateGluer::glue(*b, *t, l, 6, 5, 15, 1, 1, true, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("unit lengths"))) << error.toStdString();

    t->setUnitLength(0.5);
    const boost::shared_ptr<TotalVolume> g = SubstrateGluer::glue(*b, *t, l, 6, 5, 15, 1, 1, true, &error);
    ASSERT_TRUE(g) << error.toStdString();
    EXPECT_DOUBLE_EQ(g->getUnitLength(), 0.5);
    CellLock out(*g), fromBase(*b), fromTop(*t);
    const std::vector<float> &boron = out.dopants().field(DopantFields::Boron);
    const std::vector<float> &arsenic = out.dopants().field(DopantFields::Arsenic);
    ASSERT_EQ(boron.size(), out.cellCount());
    ASSERT_EQ(arsenic.size(), out.cellCount());
    // Base cells stay where they were; the top's (x, y, z) lands at (dx + 3 - x, dy + y, 10 + 6 - 1 - z).
    EXPECT_EQ(boron[out.index(4, 2, 7)], fromBase.dopants().field(DopantFields::Boron)[fromBase.index(4, 2, 7)]);
    EXPECT_EQ(arsenic[out.index(4, 2, 7)], 0.0f);
    EXPECT_EQ(arsenic[out.index(1 + 3 - 2, 1 + 1, 10 + 5 - 4)],
              fromTop.dopants().field(DopantFields::Arsenic)[fromTop.index(2, 1, 4)]);
    EXPECT_EQ(boron[out.index(3, 2, 12)], 0.0f);
    // Every top column fits, so the whole dose of both comes across.
    const auto sum = [](const std::vector<float> &f) { return std::accumulate(f.begin(), f.end(), 0.0); };
    const double topDose = sum(fromTop.dopants().field(DopantFields::Arsenic));
    const double baseDose = sum(fromBase.dopants().field(DopantFields::Boron));
    EXPECT_NEAR(sum(arsenic), topDose, 1e-12 * topDose);
    EXPECT_NEAR(sum(boron), baseDose, 1e-12 * baseDose);
}
