#include "Core/Operations/WetEtching/atomicstructuresimplesiwetetch.h"
#include "Core/Operations/WetEtching/continouswetetching.h"
#include "wetetchtestsupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <ostream>
#include <string>

using namespace Core::Operations;
using namespace WetEtchTest;
using Model::Automaton::CellLock;
using Model::Automaton::SiAtom;
using Model::Automaton::SiLattice;
using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;

namespace {

enum class Etcher { BondCounting, Continuous };

std::unique_ptr<AtomisticWetEtchEngine> makeEtcher(Etcher kind, TotalVolume &volume, double depth,
                                                   const WetEtchRates &rates = WetEtchRates())
{
    if (kind == Etcher::BondCounting)
        return std::unique_ptr<AtomisticWetEtchEngine>(new AtomicStructureSimpleSiWetEtch(volume, depth));
    return std::unique_ptr<AtomisticWetEtchEngine>(new ContinousWetEtching(volume, depth, rates));
}

const char *nameOf(Etcher kind) { return kind == Etcher::BondCounting ? "BondCounting" : "Continuous"; }

// Every silicon cell counts its present atoms; every other cell counts none.
void expectCountsMatchAtoms(TotalVolume &volume)
{
    const SiLattice &l = *volume.getLattice();
    std::map<int32_t, int> present;
    for (uint32_t id = 0; id < l.getAtomCount(); ++id)
        if (l.atom(id).state == SiAtom::Present && l.atom(id).cellIndex >= 0)
            ++present[l.atom(id).cellIndex];
    const std::vector<WetEtchTest::CellRecord> cells = cellsOf(volume);
    for (size_t i = 0; i < cells.size(); ++i) {
        if (cells[i].material == 1) {
            EXPECT_EQ(cells[i].atomCount, present[int32_t(i)]) << "cell " << i;
        } else {
            EXPECT_EQ(cells[i].atomCount, 0) << "cell " << i;
        }
    }
}

class BothEtchers : public ::testing::TestWithParam<Etcher>
{
};

} // namespace

TEST(WetEtchSteps, DepthGivesOneStepPerQuarterUnitRoundedHalfAway)
{
    const struct
    {
        double depth;
        long long steps;
    } rows[] = {{10.0, 40}, {0.0, 0}, {0.1, 0}, {0.125, 1}, {0.124, 0}, {0.375, 2}, {0.353552, 1}, {-3.0, 0},
                {std::nan(""), 0}};
    for (const auto &r : rows)
        EXPECT_EQ(AtomisticWetEtchEngine::stepsForDepth(r.depth), r.steps) << r.depth;
}

TEST(WetEtchRule, ThreeBondsStayOnlyWithNineSecondNeighbours)
{
    // A bulk atom; take away one partner, then one atom behind another partner.
    const auto volume = makeVolume(8, 8, 8, flatTop(8));
    ASSERT_TRUE(volume->createLattice());
    SiLattice &l = *volume->getLattice();
    uint32_t centre = SiAtom::NoAtom;
    for (uint32_t id = 0; id < l.getAtomCount() && centre == SiAtom::NoAtom; ++id) {
        const SiLattice::Point p = l.atomPosition(id);
        if (std::fabs(p.x - 4) < 0.6 && std::fabs(p.y - 4) < 0.6 && std::fabs(p.z - 4) < 0.6)
            centre = id;
    }
    ASSERT_NE(centre, SiAtom::NoAtom);
    SiAtom &a = l.atom(centre);
    l.atom(a.bonds[0]).state = SiAtom::Absent;
    EXPECT_EQ(l.firstNeighbours(centre), 3);
    EXPECT_EQ(l.secondNeighbours(centre), 9);
    EXPECT_FALSE(AtomicStructureSimpleSiWetEtch::removes(3, 9));

    const SiAtom &partner = l.atom(a.bonds[1]);
    for (uint32_t b : partner.bonds)
        if (b != centre) {
            l.atom(b).state = SiAtom::Absent;
            break;
        }
    EXPECT_EQ(l.firstNeighbours(centre), 3);
    EXPECT_EQ(l.secondNeighbours(centre), 8);
    EXPECT_TRUE(AtomicStructureSimpleSiWetEtch::removes(3, 8));
    EXPECT_TRUE(AtomicStructureSimpleSiWetEtch::removes(2, 12));
    EXPECT_FALSE(AtomicStructureSimpleSiWetEtch::removes(4, 0));
}

TEST_P(BothEtchers, FlatHundredTopLosesOneLayerPerStep)
{
    // Away from the volume's sides, where fixed partners hold the crystal like a mask edge.
    for (int steps = 1; steps <= 5; ++steps) {
        const auto volume = makeVolume(20, 20, 8, flatTop(6));
        ASSERT_TRUE(volume->createLattice());
        std::unique_ptr<AtomisticWetEtchEngine> etch = makeEtcher(GetParam(), *volume, 0.25 * steps);
        ASSERT_TRUE(etch->run());
        EXPECT_EQ(etch->getStatistics().stepsRun, steps);
        const SiLattice &l = *volume->getLattice();
        const double surface = 6.0 - 0.25 * steps; // highest layer left
        for (uint32_t id = 0; id < l.getAtomCount(); ++id) {
            const SiLattice::Point p = l.atomPosition(id);
            if (p.x < 7 || p.x > 13 || p.y < 7 || p.y > 13 || p.z >= 6.0)
                continue;
            const bool expectPresent = p.z < surface - 1e-6;
            EXPECT_EQ(l.atom(id).state == SiAtom::Present, expectPresent)
                << nameOf(GetParam()) << " after " << steps << " steps, z = " << p.z;
        }
        expectCountsMatchAtoms(*volume);
    }
}

TEST(WetEtchCellSizes, LayersGoTheSameWhateverTheCellSize)
{
    // Cells smaller than one unit, and sizes that are not whole numbers, locate bond ends like whole ones.
    for (float size : {0.25f, 0.5f, 1.5f, 2.0f}) {
        const unsigned across = unsigned(std::ceil(20.0f / size)), high = unsigned(std::ceil(8.0f / size));
        const unsigned top = unsigned(6.0f / size);
        std::vector<uint32_t> m(size_t(across) * across * high);
        for (size_t i = 0; i < m.size(); ++i)
            m[i] = i % high < top ? 1u : 0u;
        const boost::shared_ptr<TotalVolume> volume(
            new TotalVolume(across, across, high, size, size, size, Util::Vector3D(), m));
        ASSERT_TRUE(volume->createLattice());
        AtomicStructureSimpleSiWetEtch etch(*volume, 1.0);
        ASSERT_TRUE(etch.run());
        EXPECT_EQ(etch.getStatistics().stepsRun, 4);
        const SiLattice &l = *volume->getLattice();
        for (uint32_t id = 0; id < l.getAtomCount(); ++id) {
            const SiLattice::Point p = l.atomPosition(id);
            if (p.x < 7 || p.x > 13 || p.y < 7 || p.y > 13 || p.z >= 6.0)
                continue;
            ASSERT_EQ(l.atom(id).state == SiAtom::Present, p.z < 5.0 - 1e-6) << "cell size " << size << ", z = " << p.z;
        }
        expectCountsMatchAtoms(*volume);
        // No silicon cell is left behind in the etched layer, not even one too small to hold an atom.
        const std::vector<WetEtchTest::CellRecord> cells = cellsOf(*volume);
        for (unsigned x = unsigned(8 / size); x < unsigned(12 / size); ++x)
            for (unsigned y = unsigned(8 / size); y < unsigned(12 / size); ++y)
                for (unsigned z = 0; z < top; ++z) {
                    const double bottom = z * size, ceiling = (z + 1) * size;
                    const uint32_t material = cells[volume->cellIndex(x, y, z)].material;
                    if (bottom >= 5.0 + 0.25)
                        ASSERT_EQ(material, 0u) << "cell size " << size << ", z " << z;
                    else if (ceiling <= 5.0 - 0.25)
                        ASSERT_EQ(material, 1u) << "cell size " << size << ", z " << z;
                }
    }
}

TEST_P(BothEtchers, DepthTenRunsFortyStepsAndEmptiesTenCellLayers)
{
    const auto volume = makeVolume(36, 36, 16, flatTop(14));
    ASSERT_TRUE(volume->createLattice());
    std::unique_ptr<AtomisticWetEtchEngine> etch = makeEtcher(GetParam(), *volume, 10.0);
    ASSERT_TRUE(etch->run());
    EXPECT_EQ(etch->getStatistics().stepsPlanned, 40);
    EXPECT_EQ(etch->getStatistics().stepsRun, 40);
    for (unsigned x = 14; x < 22; ++x)
        for (unsigned y = 14; y < 22; ++y)
            for (unsigned z = 0; z < 14; ++z)
                ASSERT_EQ(materialAt(*volume, x, y, z), z < 4 ? 1u : 0u) << x << "," << y << "," << z;
    expectCountsMatchAtoms(*volume);
}

TEST_P(BothEtchers, ACellEmptiesOnlyWithItsLastAtom)
{
    const auto volume = makeVolume(20, 20, 8, flatTop(6));
    ASSERT_TRUE(volume->createLattice());
    int full = 0;
    {
        full = volume->getLattice()->atomCount(uint32_t(volume->cellIndex(10, 10, 5)));
    }
    // Three of the four layers of the top cells go: they keep their silicon.
    ASSERT_TRUE(makeEtcher(GetParam(), *volume, 0.75)->run());
    EXPECT_EQ(materialAt(*volume, 10, 10, 5), 1u);
    {
        const int32_t count = volume->getLattice()->atomCount(uint32_t(volume->cellIndex(10, 10, 5)));
        EXPECT_GT(count, 0);
        EXPECT_LT(count, full);
    }
    expectCountsMatchAtoms(*volume);

    // The fourth step takes the last layer of those cells.
    const auto four = makeVolume(20, 20, 8, flatTop(6));
    ASSERT_TRUE(four->createLattice());
    ASSERT_TRUE(makeEtcher(GetParam(), *four, 1.0)->run());
    EXPECT_EQ(materialAt(*four, 10, 10, 5), 0u);
    EXPECT_EQ(materialAt(*four, 10, 10, 4), 1u);
    expectCountsMatchAtoms(*four);
}

TEST_P(BothEtchers, AReusedLatticeCarriesOnWhereTheLastEtchStopped)
{
    const auto volume = makeVolume(20, 20, 8, flatTop(6));
    ASSERT_TRUE(volume->createLattice());
    ASSERT_TRUE(makeEtcher(GetParam(), *volume, 0.5)->run());
    const std::vector<WetEtchTest::CellRecord> etched = cellsOf(*volume);
    const SiLattice &l = *volume->getLattice();
    std::vector<int8_t> states(l.getAtomCount());
    for (uint32_t id = 0; id < l.getAtomCount(); ++id)
        states[id] = l.atom(id).state;
    // An etch of no depth only sets up: the two removed layers of the top cells stay removed.
    ASSERT_TRUE(makeEtcher(GetParam(), *volume, 0.0)->run());
    const std::vector<WetEtchTest::CellRecord> after = cellsOf(*volume);
    for (size_t i = 0; i < after.size(); ++i) {
        ASSERT_EQ(after[i].material, etched[i].material) << "cell " << i;
        ASSERT_EQ(after[i].atomCount, etched[i].atomCount) << "cell " << i;
    }
    for (uint32_t id = 0; id < l.getAtomCount(); ++id)
        ASSERT_EQ(l.atom(id).state == SiAtom::Present, states[id] == SiAtom::Present) << "atom " << id;
    expectCountsMatchAtoms(*volume);

    // Counts left wrong by someone else's change of the cells are counted afresh.
    {
        Model::Automaton::CellLock lock(*volume);
        for (size_t i = 0; i < volume->getCellCount(); i += 7)
            volume->getLattice()->atomCounts()[i] = 99;
    }
    ASSERT_TRUE(makeEtcher(GetParam(), *volume, 0.0)->run());
    expectCountsMatchAtoms(*volume);
}

TEST_P(BothEtchers, ACellFilledWithSiliconAgainGetsItsAtomsBack)
{
    const auto volume = makeVolume(20, 20, 8, flatTop(6));
    ASSERT_TRUE(volume->createLattice());
    const std::vector<WetEtchTest::CellRecord> fresh = cellsOf(*volume);
    // The top layer of cells goes, then something puts silicon back there
    // without the lattice being built again.
    ASSERT_TRUE(makeEtcher(GetParam(), *volume, 1.0)->run());
    ASSERT_EQ(materialAt(*volume, 10, 10, 5), 0u);
    const std::vector<WetEtchTest::CellRecord> etched = cellsOf(*volume);
    std::vector<uint8_t> refilled(etched.size(), 0);
    {
        CellLock lock(*volume);
        for (unsigned x = 0; x < 20; ++x)
            for (unsigned y = 0; y < 20; ++y) {
                const size_t i = volume->cellIndex(x, y, 5);
                refilled[i] = etched[i].material == 0 ? 1 : 0;
                lock.cells()[i].material = 1;
            }
    }
    ASSERT_TRUE(makeEtcher(GetParam(), *volume, 0.0)->run());
    const std::vector<WetEtchTest::CellRecord> after = cellsOf(*volume);
    // Cells the etch left partly etched at the volume's sides carry on as they were.
    for (size_t i = 0; i < after.size(); ++i)
        ASSERT_EQ(after[i].atomCount, refilled[i] ? fresh[i].atomCount : etched[i].atomCount) << "cell " << i;
    expectCountsMatchAtoms(*volume);
    // And they etch like any silicon.
    ASSERT_TRUE(makeEtcher(GetParam(), *volume, 1.0)->run());
    EXPECT_EQ(materialAt(*volume, 10, 10, 5), 0u);
    EXPECT_EQ(materialAt(*volume, 10, 10, 4), 1u);
}

namespace {

struct SplitEtch
{
    Etcher etcher;
    bool masked;
    int parts;
};

std::string nameOf(const SplitEtch &e)
{
    return std::string(nameOf(e.etcher)) + (e.masked ? "Masked" : "Flat") + "In" + std::to_string(e.parts);
}

void PrintTo(const SplitEtch &e, std::ostream *out) { *out << nameOf(e); }

class SplitEtches : public ::testing::TestWithParam<SplitEtch>
{
};

// Silicon below z = 20 under an open top, or below z = 16 under an oxide mask
// with a square opening: the volumes of the two cases.
boost::shared_ptr<TotalVolume> splitVolume(bool masked)
{
    return masked ? makeVolume(36, 36, 18, maskedTop(16, 12, 24)) : makeVolume(30, 30, 22, flatTop(20));
}

// Highest silicon cell of a column plus one; 0 when the column holds none.
unsigned siliconTop(TotalVolume &volume, unsigned x, unsigned y)
{
    for (unsigned z = volume.getSizeZ(); z-- > 0;)
        if (materialAt(volume, x, y, z) == 1)
            return z + 1;
    return 0;
}

} // namespace

TEST_P(SplitEtches, EtchesOfAPartOfTheDepthAddUpToOneEtchOfTheWhole)
{
    const SplitEtch e = GetParam();
    // Deep enough to leave the top cells, shallow enough for the groove under the mask to keep a floor.
    const double depth = e.masked ? 6.0 : 10.0;
    const auto whole = splitVolume(e.masked);
    const auto split = splitVolume(e.masked);
    ASSERT_TRUE(whole->createLattice());
    ASSERT_TRUE(split->createLattice());
    ASSERT_TRUE(makeEtcher(e.etcher, *whole, depth)->run());
    // The lattice stays current between the parts, as after the etch operations.
    for (int i = 0; i < e.parts; ++i)
        ASSERT_TRUE(makeEtcher(e.etcher, *split, depth / e.parts)->run());
    expectCountsMatchAtoms(*split);

    const unsigned size = whole->getSizeX(), top = e.masked ? 16 : 20;
    // Away from the volume's fixed side faces a (100) floor goes down one cell per unit of depth.
    const unsigned centre = size / 2;
    EXPECT_EQ(siliconTop(*split, centre, centre), top - unsigned(depth)) << nameOf(e);
    EXPECT_EQ(siliconTop(*whole, centre, centre), top - unsigned(depth)) << nameOf(e);
    // Everywhere the parts leave the same cells as the whole, within one layer of cells.
    size_t differing = 0;
    for (unsigned x = 0; x < size; ++x)
        for (unsigned y = 0; y < size; ++y) {
            const int a = int(siliconTop(*whole, x, y)), b = int(siliconTop(*split, x, y));
            EXPECT_LE(std::abs(a - b), 1) << nameOf(e) << " column " << x << "," << y;
            differing += a != b ? 1 : 0;
        }
    // The bond-counting etch decides by states alone, so it carries on exactly.
    if (e.etcher == Etcher::BondCounting)
        EXPECT_EQ(differing, 0u) << nameOf(e);
    else
        EXPECT_LE(differing, size_t(size) * size / 20) << nameOf(e);
    // What an atom has lived through carries over too: its state, and in the
    // continuous etch the life the slow (111) walls have used up.
    const SiLattice &wl = *whole->getLattice(), &sl = *split->getLattice();
    ASSERT_EQ(wl.getAtomCount(), sl.getAtomCount());
    size_t states = 0;
    double wholeWear = 0, splitWear = 0;
    for (uint32_t id = 0; id < wl.getAtomCount(); ++id) {
        states += wl.atom(id).state != sl.atom(id).state ? 1 : 0;
        if (wl.atom(id).state == SiAtom::Present)
            wholeWear += 1.0 - double(wl.atom(id).life);
        if (sl.atom(id).state == SiAtom::Present)
            splitWear += 1.0 - double(sl.atom(id).life);
    }
    if (e.etcher == Etcher::BondCounting) {
        EXPECT_EQ(states, 0u) << nameOf(e);
    } else if (e.masked) {
        ASSERT_GT(wholeWear, 1.0);
        EXPECT_NEAR(splitWear, wholeWear, 0.05 * wholeWear) << nameOf(e);
    }
    // The mask is never etched.
    if (e.masked)
        for (unsigned x = 0; x < size; ++x)
            for (unsigned y = 0; y < size; ++y)
                if (!(x >= 12 && x < 24 && y >= 12 && y < 24))
                    ASSERT_EQ(materialAt(*split, x, y, 16), 2u) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(
    Etchers, SplitEtches,
    ::testing::Values(SplitEtch{Etcher::BondCounting, false, 4}, SplitEtch{Etcher::BondCounting, false, 20},
                      SplitEtch{Etcher::BondCounting, true, 4}, SplitEtch{Etcher::BondCounting, true, 12},
                      SplitEtch{Etcher::Continuous, false, 4}, SplitEtch{Etcher::Continuous, false, 20},
                      SplitEtch{Etcher::Continuous, true, 4}, SplitEtch{Etcher::Continuous, true, 12}),
    [](const ::testing::TestParamInfo<SplitEtch> &info) { return nameOf(info.param); });

TEST_P(BothEtchers, SiliconUnderTheMaskIsNotEtchedFromAboveAndTheMaskStays)
{
    const auto volume = makeVolume(40, 40, 14, maskedTop(12, 14, 26));
    const std::vector<WetEtchTest::CellRecord> before = cellsOf(*volume);
    ASSERT_TRUE(volume->createLattice());
    ASSERT_TRUE(makeEtcher(GetParam(), *volume, 4.0)->run());
    const std::vector<WetEtchTest::CellRecord> after = cellsOf(*volume);
    for (unsigned x = 0; x < 40; ++x)
        for (unsigned y = 0; y < 40; ++y)
            for (unsigned z = 0; z < 14; ++z) {
                const size_t i = volume->cellIndex(x, y, z);
                if (before[i].material != 1) {
                    // Mask and empty cells are never changed.
                    ASSERT_EQ(after[i].material, before[i].material) << x << "," << y << "," << z;
                } else if (x < 10 || x >= 30 || y < 10 || y >= 30) {
                    // Well outside the opening: (111) walls stop the etch under the mask.
                    ASSERT_EQ(after[i].material, 1u) << x << "," << y << "," << z;
                }
            }
    // In the opening's middle the floor went down four units.
    EXPECT_EQ(materialAt(*volume, 20, 20, 8), 0u);
    EXPECT_EQ(materialAt(*volume, 20, 20, 7), 1u);
    expectCountsMatchAtoms(*volume);
}

TEST_P(BothEtchers, SideFacesOfTheVolumeDoNotEtch)
{
    // Silicon fills the volume to z = 6; its four side faces are the volume's faces.
    const auto volume = makeVolume(16, 16, 8, flatTop(6));
    ASSERT_TRUE(volume->createLattice());
    ASSERT_TRUE(makeEtcher(GetParam(), *volume, 2.0)->run());
    for (unsigned t = 0; t < 16; ++t)
        for (unsigned z = 0; z < 6; ++z) {
            EXPECT_EQ(materialAt(*volume, 0, t, z), 1u) << "x = 0, y = " << t << ", z = " << z;
            EXPECT_EQ(materialAt(*volume, 15, t, z), 1u) << "x = 15, y = " << t << ", z = " << z;
            EXPECT_EQ(materialAt(*volume, t, 0, z), 1u) << "y = 0, x = " << t << ", z = " << z;
            EXPECT_EQ(materialAt(*volume, t, 15, z), 1u) << "y = 15, x = " << t << ", z = " << z;
        }
    // Fixed partners were made at the faces and handed to the lattice.
    EXPECT_FALSE(volume->getLattice()->getFixedAtoms().empty());
}

TEST_P(BothEtchers, ResultIsBitIdenticalForEveryPoolSize)
{
    PoolSize restore;
    // One etch, and three on the same lattice: the later ones hand the atoms an
    // earlier etch left bare across slab borders during setup.
    for (int parts : {1, 3}) {
        std::vector<WetEtchTest::CellRecord> reference;
        std::vector<SiAtom> referenceAtoms;
        for (int threads : {1, 2, 3, 7}) {
            QThreadPool::globalInstance()->setMaxThreadCount(threads);
            const auto volume = makeVolume(29, 23, 12, maskedTop(10, 7, 19));
            ASSERT_TRUE(volume->createLattice());
            for (int i = 0; i < parts; ++i) {
                std::unique_ptr<AtomisticWetEtchEngine> etch = makeEtcher(GetParam(), *volume, 3.0 / parts);
                ASSERT_TRUE(etch->run());
                EXPECT_EQ(etch->getSlabCount(), unsigned(threads));
            }
            const std::vector<WetEtchTest::CellRecord> cells = cellsOf(*volume);
            const SiLattice &l = *volume->getLattice();
            std::vector<SiAtom> atoms;
            for (uint32_t id = 0; id < l.getAtomCount(); ++id)
                atoms.push_back(l.atom(id));
            if (reference.empty()) {
                reference = cells;
                referenceAtoms = atoms;
                continue;
            }
            for (size_t i = 0; i < cells.size(); ++i) {
                ASSERT_EQ(cells[i].material, reference[i].material)
                    << "cell " << i << ", " << threads << " threads, " << parts << " parts";
                ASSERT_EQ(cells[i].atomCount, reference[i].atomCount) << "cell " << i;
            }
            ASSERT_EQ(atoms.size(), referenceAtoms.size());
            for (size_t i = 0; i < atoms.size(); ++i) {
                ASSERT_EQ(atoms[i].state, referenceAtoms[i].state)
                    << "atom " << i << ", " << threads << " threads, " << parts << " parts";
                ASSERT_EQ(atoms[i].life, referenceAtoms[i].life) << "atom " << i << ", " << threads << " threads";
            }
        }
    }
}

TEST_P(BothEtchers, NarrowVolumeRunsAsOneSlab)
{
    PoolSize restore;
    QThreadPool::globalInstance()->setMaxThreadCount(7);
    const auto volume = makeVolume(5, 12, 8, flatTop(6));
    ASSERT_TRUE(volume->createLattice());
    std::unique_ptr<AtomisticWetEtchEngine> etch = makeEtcher(GetParam(), *volume, 1.0);
    ASSERT_TRUE(etch->run());
    EXPECT_EQ(etch->getSlabCount(), 1u);
    EXPECT_GT(etch->getStatistics().atomsRemoved, 0u);
}

TEST_P(BothEtchers, WithoutALatticeNothingHappens)
{
    const auto volume = makeVolume(4, 4, 4, flatTop(2));
    const std::vector<WetEtchTest::CellRecord> before = cellsOf(*volume);
    EXPECT_FALSE(makeEtcher(GetParam(), *volume, 1.0)->run());
    const std::vector<WetEtchTest::CellRecord> after = cellsOf(*volume);
    for (size_t i = 0; i < before.size(); ++i)
        EXPECT_EQ(after[i].material, before[i].material);
}

INSTANTIATE_TEST_SUITE_P(Etchers, BothEtchers, ::testing::Values(Etcher::BondCounting, Etcher::Continuous),
                         [](const ::testing::TestParamInfo<Etcher> &info) { return std::string(nameOf(info.param)); });

TEST(ContinuousWetEtch, ZeroRatesLeaveTheVolumeAndGiveEverySiliconAtomFullLife)
{
    const auto volume = makeVolume(18, 18, 12, maskedTop(10, 5, 13));
    const std::vector<WetEtchTest::CellRecord> before = cellsOf(*volume);
    ASSERT_TRUE(volume->createLattice());
    ContinousWetEtching etch(*volume, 5.0, WetEtchRates::none());
    ASSERT_TRUE(etch.run());
    const std::vector<WetEtchTest::CellRecord> after = cellsOf(*volume);
    for (size_t i = 0; i < before.size(); ++i)
        ASSERT_EQ(after[i].material, before[i].material) << "cell " << i;
    const SiLattice &l = *volume->getLattice();
    int silicon = 0;
    for (uint32_t id = 0; id < l.getAtomCount(); ++id) {
        const SiAtom &a = l.atom(id);
        if (a.cellIndex >= 0 && after[a.cellIndex].material == 1) {
            ++silicon;
            ASSERT_EQ(a.state, SiAtom::Present);
            ASSERT_EQ(a.life, 1.0f) << "atom " << id;
        }
    }
    EXPECT_GT(silicon, 1000);
    // Nothing can change, so the run stops after the first step.
    EXPECT_EQ(etch.getStatistics().stepsRun, 1);
}

TEST(ContinuousWetEtch, HundredTimeStepStaysWhileOnlyFastAtomsAreOnTheSurface)
{
    const auto volume = makeVolume(20, 20, 8, flatTop(6));
    ASSERT_TRUE(volume->createLattice());
    ContinousWetEtching etch(*volume, 2.0);
    ASSERT_TRUE(etch.run());
    EXPECT_DOUBLE_EQ(etch.getTimeStep(), 0.1);
    EXPECT_NEAR(etch.getElapsedTime(), 0.8, 1e-9);
}

TEST(ContinuousWetEtch, HundredElevenWallsRecedeSlowlyInsteadOfStanding)
{
    // Same masked etch with both etchers: the continuous one wears the (111) walls a little.
    const auto bca = makeVolume(32, 32, 14, maskedTop(12, 11, 21));
    const auto cca = makeVolume(32, 32, 14, maskedTop(12, 11, 21));
    ASSERT_TRUE(bca->createLattice());
    ASSERT_TRUE(cca->createLattice());
    ASSERT_TRUE(AtomicStructureSimpleSiWetEtch(*bca, 4.0).run());
    ASSERT_TRUE(ContinousWetEtching(*cca, 4.0).run());
    const SiLattice &l = *cca->getLattice();
    int worn = 0;
    for (uint32_t id = 0; id < l.getAtomCount(); ++id) {
        const SiAtom &a = l.atom(id);
        if (a.state == SiAtom::Present && a.life < 1.0f) {
            ++worn;
            // 16 steps at most at 0.0063 of life each.
            EXPECT_GT(a.life, 1.0f - 16 * 0.0063f - 1e-4f);
        }
    }
    EXPECT_GT(worn, 50);
    int bcaPresent = 0, ccaPresent = 0;
    for (uint32_t id = 0; id < l.getAtomCount(); ++id) {
        bcaPresent += bca->getLattice()->atom(id).state == SiAtom::Present ? 1 : 0;
        ccaPresent += l.atom(id).state == SiAtom::Present ? 1 : 0;
    }
    EXPECT_LE(ccaPresent, bcaPresent);
}

namespace {

// Requests the stop after the second etch step, as a signal or a Cancel landing then would.
class StoppedEtch : public AtomicStructureSimpleSiWetEtch
{
public:
    StoppedEtch(TotalVolume &volume, Util::StopToken &stop) : AtomicStructureSimpleSiWetEtch(volume, 3.0), m_stop(stop) {}

protected:
    void afterStep() override
    {
        if (++m_steps == 2)
            m_stop.request();
    }

private:
    Util::StopToken &m_stop;
    int m_steps = 0;
};

} // namespace

TEST(WetEtchStop, AStopEndsTheEtchAtTheNextStep)
{
    const boost::shared_ptr<TotalVolume> volume = makeVolume(12, 12, 8, flatTop(6));
    ASSERT_TRUE(volume->createLattice());
    Util::StopToken stop;
    StoppedEtch etch(*volume, stop);
    {
        const Util::StopScope scope(&stop);
        ASSERT_TRUE(etch.run());
    }
    EXPECT_EQ(etch.getStatistics().stepsRun, 2);
    EXPECT_GT(etch.getStatistics().stepsPlanned, 2);
    // The cells follow the atoms the two steps removed.
    expectCountsMatchAtoms(*volume);
}

TEST_P(BothEtchers, ALatticeBuiltForTheEtchsReachEtchesAsTheWholeCrystal)
{
    // Two etches on one lattice: the second goes deeper than the first was built for, so the
    // limited lattice is widened on the way, keeping what the first etch removed.
    for (unsigned top : {8u, 20u}) {
        const auto whole = makeVolume(24, 24, top + 2, maskedTop(top, 8, 16));
        const auto limited = makeVolume(24, 24, top + 2, maskedTop(top, 8, 16));
        ASSERT_TRUE(whole->createLattice());
        ASSERT_TRUE(limited->createLattice(nullptr, AtomisticWetEtchEngine::latticeReach(1.0)));
        EXPECT_LE(limited->getLattice()->getCellCount(), whole->getLattice()->getCellCount());
        if (top == 20u) // a deep substrate: the crystal far below the opening is left out
            EXPECT_LT(limited->getLattice()->getCellCount() * 2, whole->getLattice()->getCellCount());
        for (double depth : {1.0, 2.5}) {
            ASSERT_TRUE(makeEtcher(GetParam(), *whole, depth)->run());
            ASSERT_TRUE(makeEtcher(GetParam(), *limited, depth)->run());
            EXPECT_EQ(TestSupport::materialsOf(*limited), TestSupport::materialsOf(*whole))
                << "top " << top << ", depth " << depth;
        }
    }
}
