#include "geometrytestsupport.h"

#include "Model/Geometry/fieldpainter.h"

#include <gtest/gtest.h>

using namespace GeometryTest;
using Model::Geometry::FieldPainter;
using Model::Geometry::ParticleCounter;
using Model::Geometry::ParticleCounterArray;

namespace {

struct ScaleCase
{
    int scale;
    int entry;
    float r, g, b;
};

class ColorScales : public ::testing::TestWithParam<ScaleCase>
{
};

TEST_P(ColorScales, EntryColour)
{
    const ScaleCase &c = GetParam();
    float rgba[4];
    FieldPainter::scaleEntry(c.scale, c.entry, rgba);
    EXPECT_FLOAT_EQ(rgba[0], c.r);
    EXPECT_FLOAT_EQ(rgba[1], c.g);
    EXPECT_FLOAT_EQ(rgba[2], c.b);
    EXPECT_FLOAT_EQ(rgba[3], 1.0f);
}

INSTANTIATE_TEST_SUITE_P(Entries, ColorScales,
                         ::testing::Values(ScaleCase{FieldPainter::GrayScale, 0, 0, 0, 0},
                                           ScaleCase{FieldPainter::GrayScale, 255, 1, 1, 1},
                                           ScaleCase{FieldPainter::GrayScale, 51, 0.2f, 0.2f, 0.2f},
                                           ScaleCase{FieldPainter::RedToBlue, 0, 1, 0, 0},
                                           ScaleCase{FieldPainter::RedToBlue, 255, 0, 0, 1},
                                           ScaleCase{FieldPainter::YellowToBlue, 0, 1, 1, 0},
                                           ScaleCase{FieldPainter::YellowToBlue, 255, 0, 0, 1}));

TEST(FieldPainter, ValuesMapToScaleEntries)
{
    struct Row
    {
        double v, min, max;
        int entry;
    };
    const Row rows[] = {{10, 0, 10, 255}, {0, 0, 10, 0},   {-5, 0, 10, 0},  {20, 0, 10, 255},
                        {5, 0, 10, 127},  {3, 3, 3, 0},    {-1, -2, 2, 63}, {1.999, 1, 2, 254}};
    for (const Row &r : rows)
        EXPECT_EQ(FieldPainter::entryIndex(r.v, r.min, r.max), r.entry) << r.v << " in " << r.min << ".." << r.max;
}

ParticleCounterArray counters(size_t cells, const std::vector<std::pair<size_t, int>> &counts)
{
    ParticleCounterArray a(new std::vector<ParticleCounter>(cells, ParticleCounter{{0, 0, 0, 0, 0, 0, 0}}));
    for (const auto &c : counts)
        (*a)[c.first].values[6] = c.second;
    return a;
}

TEST(FieldPainter, CellsWithParticlesTakeTheScaleColour)
{
    Cells cells(3, 1, 1);
    cells.fill([](unsigned, unsigned, unsigned) { return uint32_t(OpaqueA); });
    const ParticleCounterArray n = counters(3, {{0, 4}, {2, 2}});
    const ParticleCounterArray p = counters(3, {{1, 6}});
    FieldPainter field;

    field.generate(cells.grid, testColors(), n, p, FieldPainter::NType, FieldPainter::RedToBlue, 1);
    EXPECT_EQ(field.minimum(), 0.0);
    EXPECT_EQ(field.maximum(), 4.0);
    ASSERT_EQ(field.faces().opaque.size(), 14u);
    // Cell 0 (value 4 = max): blue end; cell 1 (0): material colour; cell 2 (2): middle.
    EXPECT_FLOAT_EQ(field.faces().opaque.front().fill[2], 1.0f);
    EXPECT_FLOAT_EQ(field.faces().opaque[5].fill[0], 0.8f); // cell 1, material red
    EXPECT_FLOAT_EQ(field.faces().opaque.back().fill[2], 127.0f / 255.0f);

    field.generate(cells.grid, testColors(), n, p, FieldPainter::SignedSum, FieldPainter::GrayScale, 1);
    EXPECT_EQ(field.minimum(), -4.0);
    EXPECT_EQ(field.maximum(), 6.0);
    EXPECT_FLOAT_EQ(field.faces().opaque.front().fill[0], 0.0f); // -4: entry 0
}

TEST(FieldPainter, MissingDistributionShowsMaterialsWithUnitRange)
{
    Cells cells(2, 1, 1);
    cells.at(0, 0, 0).material = OpaqueB;
    FieldPainter field;
    // Wrong-sized arrays are ignored like missing ones.
    field.generate(cells.grid, testColors(), ParticleCounterArray(), counters(5, {{0, 3}}), FieldPainter::PType,
                   FieldPainter::GrayScale, 1);
    EXPECT_EQ(field.minimum(), 0.0);
    EXPECT_EQ(field.maximum(), 1.0);
    ASSERT_EQ(field.faces().opaque.size(), 6u);
    EXPECT_FLOAT_EQ(field.faces().opaque[0].fill[1], 0.8f);
}

TEST(FieldPainter, PropertyRoundTrip)
{
    const ParticleCounterArray a = counters(2, {{1, 9}});
    EXPECT_EQ(FieldPainter::countersOf(FieldPainter::toProperty(a)), a);
    EXPECT_FALSE(FieldPainter::countersOf(QVariant(5)));
    EXPECT_FALSE(FieldPainter::countersOf(QVariant()));
}

} // namespace
