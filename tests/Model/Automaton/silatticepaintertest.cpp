#include "Model/Automaton/silattice.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Geometry/silatticepainter.h"

#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>

#include <cmath>
#include <set>

using Model::Automaton::SiAtom;
using Model::Automaton::SiLattice;
using Model::Automaton::TotalVolume;
using Model::Geometry::DrawRange;
using Model::Geometry::SiLatticePainter;

namespace {

// Silicon below z = 3 with an empty top, placed away from the origin so frame mistakes show.
boost::shared_ptr<TotalVolume> slab()
{
    std::vector<uint32_t> m(6 * 6 * 5);
    for (size_t i = 0; i < m.size(); ++i)
        m[i] = i % 5 < 3 ? 1u : 0u;
    boost::shared_ptr<TotalVolume> v(new TotalVolume(6, 6, 5, 1, 1, 1, Util::Vector3D(10, -4, 2), m));
    v->createLattice();
    return v;
}

DrawRange whole() { return DrawRange{0, 0, 0, 6, 6, 5}; }

double length(const float *a, const float *b)
{
    return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

} // namespace

TEST(SiLatticePainter, SphereLevelsHaveTwentyEightyAndThreeHundredTwentyTriangles)
{
    const int expected[3] = {20, 80, 320};
    for (int level = 0; level < 3; ++level) {
        const std::vector<float> s = SiLatticePainter::sphere(level);
        ASSERT_EQ(s.size(), size_t(expected[level]) * 3 * 6);
        const size_t n = s.size() / 6;
        for (size_t v = 0; v < n; ++v) {
            const float *p = &s[v * 3], *normal = &s[(n + v) * 3];
            const float zero[3] = {0, 0, 0};
            ASSERT_NEAR(length(p, zero), SiLatticePainter::AtomRadius, 1e-5);
            ASSERT_NEAR(length(normal, zero), 1.0, 1e-5);
            for (int c = 0; c < 3; ++c)
                ASSERT_NEAR(normal[c] * SiLatticePainter::AtomRadius, p[c], 1e-5);
        }
    }
}

TEST(SiLatticePainter, AtomColoursFollowTheNeighbourCounts)
{
    const struct
    {
        int first, second;
        uint8_t r, g, b;
    } rows[] = {{2, 6, 127, 255, 127}, {3, 7, 255, 127, 0}, {3, 8, 255, 127, 0}, {3, 9, 0, 0, 255},
                {4, 12, 255, 255, 0}, {1, 3, 255, 255, 0},  {0, 0, 255, 255, 0}};
    for (const auto &r : rows) {
        uint8_t c[3];
        SiLatticePainter::atomColor(r.first, r.second, c);
        EXPECT_EQ(c[0], r.r) << r.first << "/" << r.second;
        EXPECT_EQ(c[1], r.g) << r.first << "/" << r.second;
        EXPECT_EQ(c[2], r.b) << r.first << "/" << r.second;
    }
}

TEST(SiLatticePainter, WithoutAContextAtomsAndLinksSwitchOffButCellsStay)
{
    const auto volume = slab();
    SiLatticePainter painter;
    SiLatticePainter::Options requested;
    requested.atoms = requested.links = requested.unitCells = true;
    const SiLatticePainter::Options used = painter.regenerate(volume->getLattice().get(), whole(), requested, false);
    EXPECT_FALSE(used.atoms);
    EXPECT_FALSE(used.links);
    EXPECT_TRUE(used.unitCells);
    EXPECT_TRUE(painter.atoms().empty());
    EXPECT_TRUE(painter.linkVertices().empty());
    EXPECT_EQ(painter.cellPositions().size() % 3, 0u);
    EXPECT_FALSE(painter.cellPositions().empty());
    EXPECT_EQ(painter.cubeQuads().size(), 6u * 4 * 3);
}

TEST(SiLatticePainter, SurfaceAtomsOnlyShowsTheTopAndLinksEndAtPartnersOrHalfway)
{
    const auto volume = slab();
    SiLattice &lattice = *volume->getLattice();
    SiLatticePainter painter;
    SiLatticePainter::Options options;
    options.atoms = options.links = true;
    options.surfaceAtomsOnly = false;
    painter.regenerate(&lattice, whole(), options, true);
    size_t present = 0;
    for (uint32_t id = 0; id < lattice.getAtomCount(); ++id)
        present += lattice.atom(id).state != SiAtom::Absent ? 1 : 0;
    EXPECT_EQ(painter.atoms().size(), present);

    options.surfaceAtomsOnly = true;
    painter.regenerate(&lattice, whole(), options, true);
    ASSERT_FALSE(painter.atoms().empty());
    EXPECT_LT(painter.atoms().size(), present);
    // Geometry is in the volume's frame: the top silicon layer sits just below z = 3.
    for (const SiLatticePainter::Atom &a : painter.atoms()) {
        EXPECT_GE(a.x, -0.01f);
        EXPECT_LE(a.x, 6.01f);
        EXPECT_GE(a.z, -0.01f);
        EXPECT_LT(a.z, 3.0f);
    }
    const double bond = std::sqrt(3.0) / 4.0;
    const std::vector<float> &links = painter.linkVertices();
    ASSERT_FALSE(links.empty());
    ASSERT_EQ(links.size() % 6, 0u);
    int halves = 0;
    for (size_t i = 0; i < links.size(); i += 6) {
        const double l = length(&links[i], &links[i + 3]);
        const bool full = std::fabs(l - bond) < 1e-4, half = std::fabs(l - bond / 2) < 1e-4;
        EXPECT_TRUE(full || half) << l;
        halves += half ? 1 : 0;
    }
    // Surface atoms have bonds to the removed atoms above them: those end halfway.
    EXPECT_GT(halves, 0);
}

TEST(SiLatticePainter, OnlyWhatLiesInTheDrawRangeIsBuilt)
{
    const auto volume = slab();
    SiLatticePainter painter;
    SiLatticePainter::Options options;
    options.atoms = options.unitCellOutlines = true;
    options.surfaceAtomsOnly = false;
    const DrawRange half{0, 0, 0, 3, 6, 5};
    painter.regenerate(volume->getLattice().get(), half, options, true);
    ASSERT_FALSE(painter.atoms().empty());
    for (const SiLatticePainter::Atom &a : painter.atoms())
        EXPECT_LE(a.x, 3.0f);
    const std::vector<float> &cells = painter.cellPositions();
    ASSERT_FALSE(cells.empty());
    for (size_t i = 0; i < cells.size(); i += 3)
        EXPECT_LE(cells[i], 3.0f);

    painter.regenerate(volume->getLattice().get(), DrawRange{}, options, true);
    EXPECT_TRUE(painter.atoms().empty());
    EXPECT_TRUE(painter.cellPositions().empty());
}
