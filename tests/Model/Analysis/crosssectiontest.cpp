#include "Model/Analysis/crosssection.h"
#include "Model/Geometry/fieldpainter.h"
#include "Model/Materials/materialfactory.h"
#include "testsupport.h"
#include "volumetestsupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <cmath>

using namespace Model::Analysis;
using Model::Automaton::TotalVolume;
using TestSupport::makeVolume;

namespace {

// Materials with clearly different catalogue colours, and empty cells.
uint32_t pattern(unsigned x, unsigned y, unsigned z)
{
    static const uint32_t ids[] = {0, 1, 3, 9, 11, 12};
    return ids[(x + 2 * y + 3 * z) % 6];
}

QRgb catalogueColor(uint32_t id)
{
    if (id == 0)
        return qRgb(255, 255, 255);
    const Util::Vector4D c = Model::Materials::MaterialFactory::instance()->getMaterial(id).getColor();
    return qRgb(int(std::lround(c.x * 255)), int(std::lround(c.y * 255)), int(std::lround(c.z * 255)));
}

struct SectionCase
{
    SectionAxis axis;
    unsigned index;
    float cx, cy, cz;
    unsigned width, height; // cells across and up the picture
};

class CrossSectionPixels : public ::testing::TestWithParam<SectionCase>
{
};

} // namespace

// Every cell of the plane shows, whole and in its catalogue colour, at the
// block the picture's axes put it; non-cubic cells give non-square blocks.
TEST_P(CrossSectionPixels, EachCellIsABlockOfItsMaterialsColour)
{
    const SectionCase c = GetParam();
    const boost::shared_ptr<TotalVolume> volume = makeVolume(7, 5, 6, pattern, c.cx, c.cy, c.cz);
    CrossSection section;
    QString error;
    ASSERT_TRUE(drawCrossSection(*volume, c.axis, c.index, CrossSectionOptions(), &section, &error))
        << error.toStdString();
    ASSERT_EQ(c.width, section.grid.width);
    ASSERT_EQ(c.height, section.grid.height);
    EXPECT_EQ(int(c.width) * section.cellPixelsH, section.plot.width());
    // About 800 to 1600 pixels wide by default.
    EXPECT_GE(section.plot.width(), 800);
    EXPECT_LE(section.plot.width(), 1600);
    const double cell[3] = {c.cx, c.cy, c.cz};
    const int h = c.axis == SectionAxis::X ? 1 : 0, v = c.axis == SectionAxis::Z ? 1 : 2;
    EXPECT_EQ(std::lround(section.cellPixelsH * cell[v] / cell[h]), section.cellPixelsV);

    for (unsigned row = 0; row < c.height; ++row)
        for (unsigned column = 0; column < c.width; ++column) {
            unsigned at[3];
            at[int(c.axis)] = c.index;
            at[h] = column;
            at[v] = row;
            const QRgb expected = catalogueColor(pattern(at[0], at[1], at[2]));
            const QPoint corner = sectionCellPixel(section, column, row);
            // All four corners of the block, so a shifted or short block shows.
            for (const QPoint &p : {corner, corner + QPoint(section.cellPixelsH - 1, 0),
                                    corner + QPoint(0, section.cellPixelsV - 1),
                                    corner + QPoint(section.cellPixelsH - 1, section.cellPixelsV - 1)})
                ASSERT_EQ(expected, section.image.pixel(p) | 0xFF000000u)
                    << "cell " << at[0] << "," << at[1] << "," << at[2] << " pixel " << p.x() << "," << p.y();
        }
    // Row 0 is at the bottom of the plot.
    EXPECT_EQ(section.plot.bottom() + 1, sectionCellPixel(section, 0, 0).y() + section.cellPixelsV);
}

INSTANTIATE_TEST_SUITE_P(AllAxes, CrossSectionPixels,
                         ::testing::Values(SectionCase{SectionAxis::X, 3, 1.0f, 1.0f, 1.0f, 5, 6},
                                           SectionCase{SectionAxis::Y, 2, 1.0f, 1.0f, 1.0f, 7, 6},
                                           SectionCase{SectionAxis::Z, 4, 1.0f, 1.0f, 1.0f, 7, 5},
                                           SectionCase{SectionAxis::X, 0, 1.0f, 2.0f, 0.5f, 5, 6},
                                           SectionCase{SectionAxis::Y, 4, 1.0f, 0.35f, 3.0f, 7, 6},
                                           SectionCase{SectionAxis::Z, 5, 2.0f, 0.5f, 1.0f, 7, 5}));

TEST(CrossSectionTest, AskedPixelsPerCellAreKeptAndTheAspectFollowsTheCells)
{
    const boost::shared_ptr<TotalVolume> volume = makeVolume(300, 2, 40, pattern, 1.0f, 1.0f, 0.25f);
    CrossSectionOptions options;
    options.pixelsPerCell = 8;
    CrossSection section;
    QString error;
    ASSERT_TRUE(drawCrossSection(*volume, SectionAxis::Y, 1, options, &section, &error)) << error.toStdString();
    EXPECT_EQ(8, section.cellPixelsH);
    EXPECT_EQ(2, section.cellPixelsV);
    EXPECT_EQ(2400, section.plot.width());
    EXPECT_EQ(80, section.plot.height());
    // A wide volume gets one pixel per cell rather than none.
    const boost::shared_ptr<TotalVolume> wide = makeVolume(2000, 1, 2, pattern);
    ASSERT_TRUE(drawCrossSection(*wide, SectionAxis::Y, 0, CrossSectionOptions(), &section, &error));
    EXPECT_EQ(1, section.cellPixelsH);
}

TEST(CrossSectionTest, ParticleViewColoursCountedCellsOnALogScale)
{
    const boost::shared_ptr<TotalVolume> volume = makeVolume(4, 4, 4, [](unsigned, unsigned, unsigned) { return 1u; });
    Model::Geometry::ParticleCounterArray counts(new std::vector<Model::Geometry::ParticleCounter>(64));
    for (auto &c : *counts)
        std::fill(std::begin(c.values), std::end(c.values), 0);
    (*counts)[volume->cellIndex(1, 2, 3)].values[6] = 1000;
    (*counts)[volume->cellIndex(2, 2, 3)].values[6] = 10;
    volume->setProperty(Model::Geometry::FieldPainter::nTypeProperty(), Model::Geometry::FieldPainter::toProperty(counts));
    CrossSectionOptions options;
    options.particles = ParticleView::NType;
    CrossSection section;
    ASSERT_TRUE(drawCrossSection(*volume, SectionAxis::Y, 2, options, &section, nullptr));
    ASSERT_TRUE(section.particlesShown);
    float top[4], middle[4];
    Model::Geometry::FieldPainter::scaleEntry(Model::Geometry::FieldPainter::RedToBlue, 255, top);
    Model::Geometry::FieldPainter::scaleEntry(Model::Geometry::FieldPainter::RedToBlue, 85, middle); // log 10 / log 1000
    auto rgb = [](const float *c) { return qRgb(int(c[0] * 255 + 0.5f), int(c[1] * 255 + 0.5f), int(c[2] * 255 + 0.5f)); };
    EXPECT_EQ(rgb(top), section.image.pixel(sectionCellPixel(section, 1, 3)) | 0xFF000000u);
    EXPECT_EQ(rgb(middle), section.image.pixel(sectionCellPixel(section, 2, 3)) | 0xFF000000u);
    EXPECT_EQ(catalogueColor(1), section.image.pixel(sectionCellPixel(section, 0, 0)) | 0xFF000000u);

    // The P view of a volume without P counts is the plain material section.
    options.particles = ParticleView::PType;
    ASSERT_TRUE(drawCrossSection(*volume, SectionAxis::Y, 2, options, &section, nullptr));
    EXPECT_FALSE(section.particlesShown);
    EXPECT_EQ(catalogueColor(1), section.image.pixel(sectionCellPixel(section, 1, 3)) | 0xFF000000u);
}

TEST(CrossSectionTest, BadRequestsAreRefusedAndWriteNothing)
{
    QTemporaryDir dir;
    const boost::shared_ptr<TotalVolume> volume = makeVolume(4, 5, 6, pattern);
    const struct
    {
        SectionAxis axis;
        unsigned index;
        QString file;
        int pixels;
        const char *says;
    } cases[] = {
        {SectionAxis::X, 4, dir.filePath("a.png"), 0, "x runs from 0 to 3"},
        {SectionAxis::Y, 5, dir.filePath("a.png"), 0, "y runs from 0 to 4"},
        {SectionAxis::Z, 600, dir.filePath("a.png"), 0, "z runs from 0 to 5"},
        {SectionAxis::Z, 0, dir.filePath("missing/a.png"), 0, "does not exist"},
        {SectionAxis::Z, 0, dir.path(), 0, "is a folder"},
        {SectionAxis::Z, 0, dir.filePath("a.png"), 5000, "out of range"},
    };
    for (const auto &c : cases) {
        CrossSectionOptions options;
        options.pixelsPerCell = c.pixels;
        QString error;
        EXPECT_FALSE(writeCrossSection(*volume, c.axis, c.index, c.file, options, &error)) << c.says;
        EXPECT_TRUE(error.contains(QLatin1String(c.says))) << error.toStdString();
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());

    // A good one writes a PNG of the drawn picture.
    QString error;
    ASSERT_TRUE(writeCrossSection(*volume, SectionAxis::X, 1, dir.filePath("a.png"), CrossSectionOptions(), &error))
        << error.toStdString();
    CrossSection drawn;
    ASSERT_TRUE(drawCrossSection(*volume, SectionAxis::X, 1, CrossSectionOptions(), &drawn, nullptr));
    EXPECT_EQ(drawn.image.convertToFormat(QImage::Format_RGB32),
              QImage(dir.filePath("a.png")).convertToFormat(QImage::Format_RGB32));
}

TEST(CrossSectionTest, AxisNamesParseInEitherCase)
{
    SectionAxis axis = SectionAxis::X;
    EXPECT_TRUE(parseSectionAxis(QStringLiteral("Z"), &axis));
    EXPECT_EQ(SectionAxis::Z, axis);
    EXPECT_TRUE(parseSectionAxis(QStringLiteral("y"), &axis));
    EXPECT_EQ(SectionAxis::Y, axis);
    QString error;
    for (const char *bad : {"w", "", "xy", "1"}) {
        EXPECT_FALSE(parseSectionAxis(QLatin1String(bad), &axis, &error)) << bad;
        EXPECT_TRUE(error.contains(QStringLiteral("give x, y or z")));
    }
}

// A dopant view: six decades below the section's highest concentration on the
// log scale, lower concentrations and other species leave the material colour.
TEST(CrossSectionTest, DopantViewColoursConcentrationsOnSixDecades)
{
    const boost::shared_ptr<TotalVolume> volume = makeVolume(4, 4, 4, [](unsigned, unsigned, unsigned) { return 1u; });
    {
        Model::Automaton::CellLock lock(*volume);
        std::vector<float> &b = lock.dopants().make(Model::Automaton::DopantFields::Boron, 64);
        b[volume->cellIndex(1, 2, 3)] = 1e20f;
        b[volume->cellIndex(2, 2, 3)] = 1e17f; // half of the six decades
        b[volume->cellIndex(3, 2, 3)] = 1e13f; // below them
    }
    CrossSectionOptions options;
    options.dopant = QStringLiteral("b");
    CrossSection section;
    ASSERT_TRUE(drawCrossSection(*volume, SectionAxis::Y, 2, options, &section, nullptr));
    ASSERT_TRUE(section.dopantShown);
    float top[4], middle[4];
    Model::Geometry::FieldPainter::scaleEntry(Model::Geometry::FieldPainter::RedToBlue, 255, top);
    Model::Geometry::FieldPainter::scaleEntry(Model::Geometry::FieldPainter::RedToBlue, 127, middle);
    auto rgb = [](const float *c) { return qRgb(int(c[0] * 255 + 0.5f), int(c[1] * 255 + 0.5f), int(c[2] * 255 + 0.5f)); };
    EXPECT_EQ(rgb(top), section.image.pixel(sectionCellPixel(section, 1, 3)) | 0xFF000000u);
    EXPECT_EQ(rgb(middle), section.image.pixel(sectionCellPixel(section, 2, 3)) | 0xFF000000u);
    EXPECT_EQ(catalogueColor(1), section.image.pixel(sectionCellPixel(section, 3, 3)) | 0xFF000000u);

    // Arsenic the volume does not hold: the plain section; a name that is no species: refused.
    options.dopant = QStringLiteral("As");
    ASSERT_TRUE(drawCrossSection(*volume, SectionAxis::Y, 2, options, &section, nullptr));
    EXPECT_FALSE(section.dopantShown);
    EXPECT_EQ(catalogueColor(1), section.image.pixel(sectionCellPixel(section, 1, 3)) | 0xFF000000u);
    options.dopant = QStringLiteral("Ga");
    QString error;
    EXPECT_FALSE(drawCrossSection(*volume, SectionAxis::Y, 2, options, &section, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("unknown dopant \"Ga\": give B, P, As, Sb")));
}
