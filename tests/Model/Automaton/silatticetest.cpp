#include "Model/Automaton/silattice.h"
#include "Model/Automaton/totalvolume.h"

#include "volumetestsupport.h"

#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>

#include <QThreadPool>

#include <cmath>
#include <functional>
#include <map>

using Model::Automaton::CellLock;
using Model::Automaton::SiAtom;
using Model::Automaton::SiLattice;
using Model::Automaton::TotalVolume;

namespace {

typedef TestSupport::Layout MaterialAt;
using TestSupport::makeVolume;
using TestSupport::PoolSize;

} // namespace

TEST(SiLattice, SingleSiliconCellGivesTwoByTwoByOneUnitCells)
{
    const auto volume = makeVolume(1, 1, 1, [](unsigned, unsigned, unsigned) { return 1u; });
    ASSERT_TRUE(volume->createLattice());
    const SiLattice &lattice = *volume->getLattice();
    EXPECT_EQ(lattice.getNx(), 2u);
    EXPECT_EQ(lattice.getNy(), 2u);
    EXPECT_EQ(lattice.getNz(), 1u);
    EXPECT_GT(lattice.getCellCount(), 0u);
    int present = 0;
    for (uint32_t id = 0; id < lattice.getAtomCount(); ++id)
        present += lattice.atom(id).state == SiAtom::Present ? 1 : 0;
    EXPECT_EQ(lattice.atomCount(0), present);
    // A unit cube of crystal holds eight atoms; the turned lattice puts about that many in it.
    EXPECT_GE(present, 6);
    EXPECT_LE(present, 10);
}

TEST(SiLattice, TemplateBondsPointAtTheirPartnersInsideSilicon)
{
    const auto volume = makeVolume(8, 8, 8, [](unsigned, unsigned, unsigned) { return 1u; });
    ASSERT_TRUE(volume->createLattice());
    const SiLattice &l = *volume->getLattice();
    const double bondLength = std::sqrt(3.0) / 4.0;
    int interior = 0;
    for (uint32_t id = 0; id < l.getAtomCount(); ++id) {
        const SiLattice::Point p = l.atomPosition(id);
        const bool deepInside = p.x > 1.5 && p.x < 6.5 && p.y > 1.5 && p.y < 6.5 && p.z > 1.0 && p.z < 6.5;
        for (unsigned s = 0; s < 4; ++s) {
            const uint32_t b = l.atom(id).bonds[s];
            if (!SiAtom::isAtom(b)) {
                EXPECT_FALSE(deepInside) << "atom " << id << " misses slot " << s;
                continue;
            }
            // Slot s of an atom and slot 3 - s of its partner are the same bond, along the slot's offset.
            EXPECT_EQ(l.atom(b).bonds[3 - s], id);
            const SiLattice::Point q = l.atomPosition(b), e = l.bondEnd(id, s);
            EXPECT_NEAR(q.x, e.x, 1e-5);
            EXPECT_NEAR(q.y, e.y, 1e-5);
            EXPECT_NEAR(q.z, e.z, 1e-5);
            EXPECT_NEAR(std::sqrt((q.x - p.x) * (q.x - p.x) + (q.y - p.y) * (q.y - p.y) + (q.z - p.z) * (q.z - p.z)),
                        bondLength, 1e-5);
        }
        if (deepInside) {
            ++interior;
            EXPECT_EQ(l.firstNeighbours(id), 4);
            EXPECT_EQ(l.secondNeighbours(id), 12);
            EXPECT_FALSE(l.isSurfaceAtom(id));
        }
    }
    EXPECT_GT(interior, 500);
}

TEST(SiLattice, TheTopIsAHundredPlaneWithLayersAQuarterApart)
{
    const auto volume = makeVolume(6, 6, 4, [](unsigned, unsigned, unsigned) { return 1u; });
    ASSERT_TRUE(volume->createLattice());
    const SiLattice &l = *volume->getLattice();
    for (uint32_t id = 0; id < l.getAtomCount(); ++id) {
        const double z4 = l.atomPosition(id).z * 4.0;
        EXPECT_NEAR(z4, std::round(z4), 1e-6);
        for (unsigned s = 0; s < 4; ++s) {
            const SiLattice::Point o = l.getTemplate().bondOffsets[SiLattice::bondSet(id)][s];
            // [110] along the axes: each bond lies in an xz or a yz plane.
            EXPECT_NEAR(std::fabs(o.z), 0.25, 1e-12);
            EXPECT_NEAR(std::fabs(o.x) + std::fabs(o.y), std::sqrt(2.0) / 4.0, 1e-12);
            EXPECT_NEAR(std::fabs(o.x) * std::fabs(o.y), 0.0, 1e-12);
        }
    }
}

// Each row: a volume layout; the invariants hold for all of them.
struct LayoutCase
{
    const char *name;
    unsigned sx, sy, sz;
    float cellSize;
    MaterialAt material;
};

class SiLatticeLayouts : public ::testing::TestWithParam<LayoutCase>
{
};

TEST_P(SiLatticeLayouts, CellsAtomsAndCountsAgreeWithTheVolume)
{
    const LayoutCase &c = GetParam();
    const auto volume = makeVolume(c.sx, c.sy, c.sz, c.material, c.cellSize, Util::Vector3D(3.5, -2.0, 1.0));
    ASSERT_TRUE(volume->createLattice());
    const SiLattice &l = *volume->getLattice();

    std::map<int32_t, int> presentPerCell;
    CellLock lock(*volume);
    for (size_t slot = 0; slot < l.getCellCount(); ++slot) {
        bool touchesSilicon = false;
        for (unsigned n = 0; n < 8; ++n) {
            const uint32_t id = SiLattice::atomId(slot, n);
            const SiAtom &a = l.atom(id);
            const uint32_t material = a.cellIndex >= 0 ? lock.cells()[a.cellIndex].material : 0u;
            if (a.cellIndex < 0 || material == 0) {
                EXPECT_EQ(a.state, SiAtom::Absent);
            } else if (material == 1) {
                EXPECT_EQ(a.state, SiAtom::Present);
                touchesSilicon = true;
                ++presentPerCell[a.cellIndex];
            } else {
                // Atoms in another material hold their partners like bulk.
                EXPECT_EQ(a.state, SiAtom::Fixed);
                EXPECT_EQ(l.firstNeighbours(id), 4);
            }
        }
        EXPECT_TRUE(touchesSilicon) << "kept cell " << slot << " has no atom in silicon";
        const uint64_t key = l.keyAt(slot);
        EXPECT_EQ(l.findCell(unsigned(key / l.getNz() / l.getNy()), unsigned(key / l.getNz() % l.getNy()),
                             unsigned(key % l.getNz())),
                  int64_t(slot));
        if (slot > 0)
            EXPECT_LT(l.keyAt(slot - 1), key);
    }
    for (size_t i = 0; i < volume->getCellCount(); ++i) {
        const int expected = lock.cells()[i].material == 1 ? presentPerCell[int32_t(i)] : 0;
        EXPECT_EQ(l.atomCount(uint32_t(i)), expected) << "cell " << i;
        if (lock.cells()[i].material == 1)
            EXPECT_GT(expected, 0) << "a silicon cell without atoms could never be etched: cell " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, SiLatticeLayouts,
    ::testing::Values(
        LayoutCase{"SiliconUnderEmpty", 6, 5, 6, 1.0f, [](unsigned, unsigned, unsigned z) { return z < 3 ? 1u : 0u; }},
        LayoutCase{"OxideMaskOnSilicon", 7, 6, 5, 1.0f,
                   [](unsigned x, unsigned, unsigned z) { return z < 3 ? 1u : (z == 3 && x < 4) ? 2u : 0u; }},
        LayoutCase{"SiliconIsland", 8, 8, 8, 1.0f,
                   [](unsigned x, unsigned y, unsigned z) {
                       return (x >= 3 && x < 5 && y >= 2 && y < 6 && z >= 2 && z < 4) ? 1u : 0u;
                   }},
        LayoutCase{"LargeCells", 3, 4, 3, 2.0f, [](unsigned, unsigned y, unsigned) { return y < 2 ? 1u : 17u; }},
        LayoutCase{"NoSilicon", 3, 3, 3, 1.0f, [](unsigned, unsigned, unsigned) { return 2u; }}),
    [](const ::testing::TestParamInfo<LayoutCase> &info) { return std::string(info.param.name); });

TEST(SiLattice, CellsWithAtomsOnlyOutsideSiliconAreDropped)
{
    // Silicon in one corner cell only: most of the turned lattice lies over empty or oxide cells.
    const auto volume = makeVolume(6, 6, 2, [](unsigned x, unsigned y, unsigned z) {
        return (x == 0 && y == 0 && z == 0) ? 1u : (z == 1 ? 2u : 0u);
    });
    ASSERT_TRUE(volume->createLattice());
    const SiLattice &l = *volume->getLattice();
    EXPECT_LT(l.getCellCount(), size_t(l.getNx()) * l.getNy() * l.getNz() / 4);
    EXPECT_GT(l.getCellCount(), 0u);
}

TEST(SiLattice, BuildIsTheSameForEveryPoolSize)
{
    PoolSize restore;
    const auto volume = makeVolume(13, 9, 7, [](unsigned x, unsigned y, unsigned z) {
        return z < 4 ? 1u : (z == 4 && (x + y) % 3 == 0) ? 2u : 0u;
    });
    std::vector<SiAtom> reference;
    std::vector<int32_t> referenceCounts;
    for (int threads : {1, 2, 3, 7}) {
        QThreadPool::globalInstance()->setMaxThreadCount(threads);
        ASSERT_TRUE(volume->createLattice());
        const SiLattice &l = *volume->getLattice();
        std::vector<SiAtom> atoms;
        for (uint32_t id = 0; id < l.getAtomCount(); ++id)
            atoms.push_back(l.atom(id));
        std::vector<int32_t> counts;
        {
            CellLock lock(*volume);
            for (size_t i = 0; i < volume->getCellCount(); ++i)
                counts.push_back(l.atomCount(uint32_t(i)));
        }
        if (reference.empty()) {
            reference = atoms;
            referenceCounts = counts;
            continue;
        }
        ASSERT_EQ(atoms.size(), reference.size()) << threads << " threads";
        for (size_t i = 0; i < atoms.size(); ++i) {
            ASSERT_EQ(atoms[i].state, reference[i].state) << "atom " << i << ", " << threads << " threads";
            ASSERT_EQ(atoms[i].cellIndex, reference[i].cellIndex);
            for (int s = 0; s < 4; ++s)
                ASSERT_EQ(atoms[i].bonds[s], reference[i].bonds[s]);
        }
        EXPECT_EQ(counts, referenceCounts);
    }
}

TEST(SiLattice, ALatticeTooLargeForMemoryIsRefusedAndTheVolumeKeepsNone)
{
    const auto volume = makeVolume(10, 10, 10, [](unsigned, unsigned, unsigned) { return 1u; });
    ASSERT_TRUE(volume->createLattice());
    SiLattice::setMemoryBudget(64 * 1024);
    QString error;
    const bool built = volume->createLattice(&error);
    SiLattice::setMemoryBudget(0);
    EXPECT_FALSE(built);
    EXPECT_FALSE(volume->getLattice());
    EXPECT_TRUE(error.contains(QStringLiteral("memory"))) << error.toStdString();
}

TEST(SiLattice, ReleasingFixedAtomsRestoresTheSlots)
{
    const auto volume = makeVolume(4, 4, 4, [](unsigned, unsigned, unsigned) { return 1u; });
    ASSERT_TRUE(volume->createLattice());
    SiLattice &l = *volume->getLattice();
    uint32_t open = SiAtom::NoAtom;
    for (uint32_t id = 0; id < l.getAtomCount() && open == SiAtom::NoAtom; ++id)
        if (l.atom(id).state == SiAtom::Present && l.atom(id).bonds[0] == SiAtom::NoAtom)
            open = id;
    ASSERT_NE(open, SiAtom::NoAtom);
    const int before = l.firstNeighbours(open);
    l.atom(open).bonds[0] = SiAtom::FixedAtom;
    l.addFixedAtoms({{open, 0u, SiAtom::NoAtom}});
    EXPECT_EQ(l.firstNeighbours(open), before + 1);
    l.clearFixedAtoms();
    EXPECT_EQ(l.atom(open).bonds[0], SiAtom::NoAtom);
    EXPECT_EQ(l.firstNeighbours(open), before);
    EXPECT_TRUE(l.getFixedAtoms().empty());
}
