// Every engine against results stored from a known-good build: a change to how
// cells are stored or walked must leave the cells, atom counts, cut counts and
// particle counts exactly as they were, for any thread count.
//
// To record new references after a deliberate change of results, run this test
// with TORVANE_PRINT_REFERENCES=1 and paste the printed rows into the table.

#include "Core/Operations/ColumnProcesses/planarization.h"
#include "Core/Operations/ColumnProcesses/simplereactiveionetching.h"
#include "Core/Operations/ColumnProcesses/spincoating.h"
#include "Core/Operations/CutGlue/filmextractor.h"
#include "Core/Operations/CutGlue/substrategluer.h"
#include "Core/Operations/DistanceCounting/abstractdistancecountingautomatonbase.h"
#include "Core/Operations/DistanceCounting/anisotropicfilmdeposition.h"
#include "Core/Operations/DistanceCounting/anisotropicfilmetching.h"
#include "Core/Operations/DistanceCounting/electrodeposition.h"
#include "Core/Operations/DistanceCounting/ionimplantation.h"
#include "Core/Operations/DistanceCounting/isotropicfilmdeposition.h"
#include "Core/Operations/DistanceCounting/isotropicfilmetching.h"
#include "Core/Operations/DistanceCounting/simpledoping.h"
#include "Core/Operations/DistanceCounting/simplephysicalvapordeposition.h"
#include "Core/Operations/DistanceCounting/simplesioxidation.h"
#include "Core/Operations/DopingOperation/randomwalkdoping.h"
#include "Core/Operations/Moore/mooreneighborhooddeposition.h"
#include "Core/Operations/Moore/mooreneighborhoodetching.h"
#include "Core/Operations/Photolithography/cutcellvolume.h"
#include "Core/Operations/Photolithography/photolithography.h"
#include "Core/Operations/WetEtching/atomicstructuresimplesiwetetch.h"
#include "Core/Operations/WetEtching/continouswetetching.h"
#include "Model/Automaton/silattice.h"
#include "Model/Automaton/totalvolume.h"
#include "volumetestsupport.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDataStream>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

using namespace Core::Operations;
using Model::Automaton::TotalVolume;
typedef boost::shared_ptr<TotalVolume> VolumePtr;

const uint32_t Si = 1, Oxide = 2, ThermalOxide = 3, Metal = 4, Doped = 5, Plated = 6, Resist = 11;

// Silicon below z = 6 with a trench in x [8, 14) down to z = 2, an oxide mask
// over z [6, 8) open above the trench, a metal island on the mask, a buried
// oxide pocket and a sealed void inside the silicon.
uint32_t trench(unsigned x, unsigned y, unsigned z)
{
    const bool inTrench = x >= 8 && x < 14 && y >= 3 && y < 15;
    if (x >= 3 && x < 5 && y >= 4 && y < 7 && z >= 2 && z < 4)
        return 0; // sealed void
    if (x >= 16 && x < 19 && y >= 9 && y < 12 && z >= 1 && z < 3)
        return Oxide;
    if (z < 6)
        return inTrench && z >= 2 ? 0 : Si;
    if (z < 8)
        return inTrench ? 0 : Oxide;
    if (z == 8 && x >= 18 && x < 22 && y >= 2 && y < 8)
        return Metal;
    return 0;
}

// Silicon below z = 8 under a one-cell oxide mask with a square opening.
uint32_t maskedSilicon(unsigned x, unsigned y, unsigned z)
{
    if (z < 8)
        return Si;
    if (z == 8 && !(x >= 5 && x < 13 && y >= 6 && y < 12))
        return Oxide;
    return 0;
}

VolumePtr trenchVolume() { return TestSupport::makeVolume(23, 18, 14, trench, 1.0f, 1.0f, 0.8f); }

struct Digest
{
    uint64_t value = 1469598103934665603ull;
    void add(uint64_t v)
    {
        for (int i = 0; i < 8; ++i) {
            value ^= (v >> (8 * i)) & 0xff;
            value *= 1099511628211ull;
        }
    }
};

// Sizes, materials, cut counts, atom counts per cell and the properties of a volume.
uint64_t digestOf(TotalVolume &volume)
{
    Digest d;
    d.add(volume.getSizeX());
    d.add(volume.getSizeY());
    d.add(volume.getSizeZ());
    for (uint32_t m : TestSupport::materialsOf(volume))
        d.add(m);
    {
        Model::Automaton::CellLock lock(volume);
        const size_t n = size_t(volume.getCellCount());
        for (size_t i = 0; i < n; ++i)
            d.add(volume.getPainter().cutCount(i));
        if (const boost::shared_ptr<Model::Automaton::SiLattice> lattice = volume.getLattice())
            for (size_t i = 0; i < n; ++i)
                d.add(uint64_t(uint32_t(lattice->atomCount(uint32_t(i)))));
    }
    for (const QString &name : volume.getPropertyNames()) {
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << name << volume.getProperty(name);
        for (char c : bytes)
            d.add(uint8_t(c));
    }
    return d.value;
}

struct Case
{
    const char *name;
    std::function<VolumePtr()> run;
    uint64_t expected;
};

VolumePtr runOn(VolumePtr volume, const std::function<void(TotalVolume &)> &step)
{
    step(*volume);
    return volume;
}

std::vector<bool> stripes(unsigned w, unsigned h)
{
    std::vector<bool> bits(size_t(w) * h);
    for (unsigned x = 0; x < w; ++x)
        for (unsigned y = 0; y < h; ++y)
            bits[size_t(x) * h + y] = (x / 3 + y / 4) % 2 == 0;
    return bits;
}

const std::vector<Case> &cases()
{
    static const std::vector<Case> table = {
        {"IsotropicDeposition", [] { return runOn(trenchVolume(), [](TotalVolume &v) { IsotropicFilmDeposition(v, Metal, 2.5f).simulate(); }); }, 0x5ebba255036c2928ull},
        {"IsotropicEtching", [] { return runOn(trenchVolume(), [](TotalVolume &v) { IsotropicFilmEtching(v, Si, 2.0f).simulate(); }); }, 0x14c6ba46bc600088ull},
        {"AnisotropicDeposition", [] { return runOn(trenchVolume(), [](TotalVolume &v) { AnisotropicFilmDeposition(v, Metal, 3.0f, 0.5f).simulate(); }); }, 0x444553928f2b2928ull},
        {"AnisotropicEtching", [] { return runOn(trenchVolume(), [](TotalVolume &v) { AnisotropicFilmEtching(v, Si, 3.0f, 0.3f).simulate(); }); }, 0xf85fd6fc85142ca8ull},
        {"SimpleDoping", [] { return runOn(trenchVolume(), [](TotalVolume &v) { SimpleDoping(v, Doped, 2.0f, MaterialSet{Si}).simulate(); }); }, 0xe7dde282f9b26fa8ull},
        {"IonImplantation", [] { return runOn(trenchVolume(), [](TotalVolume &v) { IonImplantation(v, Doped, 2.0f, 0.5f, 1.5f, MaterialSet{Si}).simulate(); }); }, 0x1208960f42787828ull},
        {"PhysicalVaporDepositionTop", [] { return runOn(trenchVolume(), [](TotalVolume &v) { SimplePhysicalVaporDeposition(v, Metal, 2.0f, 0.5f, SimplePhysicalVaporDeposition::Top).simulate(); }); }, 0xc73a3cc210b98528ull},
        {"PhysicalVaporDepositionBoth", [] { return runOn(trenchVolume(), [](TotalVolume &v) { SimplePhysicalVaporDeposition(v, Metal, 1.5f, 1.0f, SimplePhysicalVaporDeposition::BothSides).simulate(); }); }, 0xbc23b4c24c3f5128ull},
        {"Electrodeposition", [] { return runOn(trenchVolume(), [](TotalVolume &v) { Electrodeposition(v, Plated, Oxide, 2.0f).simulate(); }); }, 0x60cd7144fff25fa8ull},
        {"OxidationTwice", [] { return runOn(trenchVolume(), [](TotalVolume &v) {
             SimpleSiOxidation(v, MaterialSet{Si}).oxidize(1.5);
             SimpleSiOxidation(v, MaterialSet{Si}).oxidize(2.5);
         }); }, 0x249c2d4353e53a28ull},
        {"MooreDeposition", [] { return runOn(trenchVolume(), [](TotalVolume &v) { MooreNeighborhoodDeposition(v, Metal).run(2); }); }, 0x21927d7292afe328ull},
        {"MooreEtching", [] { return runOn(trenchVolume(), [](TotalVolume &v) { MooreNeighborhoodEtching(v, Si).run(2); }); }, 0x245c43f81eb626c8ull},
        {"SpinCoatingThenPhotolithography", [] { return runOn(trenchVolume(), [](TotalVolume &v) {
             SpinCoating(v, Resist, 11).run();
             Photolithography(v, Resist, {}, 0, 0, stripes(23, 18), 23, 18).run();
         }); }, 0x70f80d6af7525ea8ull},
        {"Planarization", [] { return runOn(trenchVolume(), [](TotalVolume &v) {
             SpinCoating(v, Resist, 12).run();
             Planarization(v, 10, 3).run();
         }); }, 0xcd98e5035b4ed208ull},
        {"ReactiveIonEtching", [] { return runOn(trenchVolume(), [](TotalVolume &v) {
             SimpleReactiveIonEtching(v, Si, 3, SimpleReactiveIonEtching::FromTop | SimpleReactiveIonEtching::FromBelow).run();
         }); }, 0xf85fd6fc85142ca8ull},
        {"CutsAppliedTwiceUndoneOnce", [] { return runOn(trenchVolume(), [](TotalVolume &v) {
             CutCellVolume cut(v, stripes(20, 18), 20, 18);
             cut.applyCut();
             cut.applyCut();
             CutCellVolume(v, stripes(23, 9), 23, 9).undoCut();
         }); }, 0x30097dc99a484f88ull},
        {"FilmExtraction", [] {
             VolumePtr source = trenchVolume();
             IsotropicFilmDeposition(*source, Metal, 1.5f).simulate();
             return FilmExtractor::extract(*source, Metal, false);
         }, 0x293e07d9b5f710c8ull},
        {"Gluing", [] {
             VolumePtr base = trenchVolume(), top = trenchVolume();
             const SubstrateGluer::Layout layout = SubstrateGluer::layout(*base, *top);
             return SubstrateGluer::glue(*base, *top, layout, layout.sizeX + 2, layout.sizeY, layout.sizeZ, 2, 0, true);
         }, 0x0cdb70899c7b92fbull},
        {"RandomWalkDoping", [] { return runOn(trenchVolume(), [](TotalVolume &v) {
             RandomWalkDoping walk(v, Doped, 1e-13, 0.8333333333, 1e-6, 1e20, 1e17, 7u);
             walk.dope(6.0);
         }); }, 0x538358b71a19c795ull},
        {"Lattice", [] { return runOn(TestSupport::makeVolume(18, 18, 12, maskedSilicon), [](TotalVolume &v) { v.createLattice(); }); }, 0x4a9401f01842db6full},
        {"AtomisticWetEtch", [] { return runOn(TestSupport::makeVolume(18, 18, 12, maskedSilicon), [](TotalVolume &v) {
             v.createLattice();
             AtomicStructureSimpleSiWetEtch(v, 3.0).run();
         }); }, 0x7b1cdcf831d9ace2ull},
        {"ContinuousWetEtch", [] { return runOn(TestSupport::makeVolume(18, 18, 12, maskedSilicon), [](TotalVolume &v) {
             v.createLattice();
             ContinousWetEtching(v, 3.0).run();
         }); }, 0x7b1cdcf831d9ace2ull},
    };
    return table;
}

class EngineReference : public ::testing::TestWithParam<size_t>
{
};

TEST_P(EngineReference, MatchesStoredResultForAnyThreadCount)
{
    const Case &c = cases()[GetParam()];
    const bool print = std::getenv("TORVANE_PRINT_REFERENCES") != nullptr;
    // A case whose engine changed nothing would pin nothing.
    EXPECT_NE(c.expected, digestOf(*trenchVolume())) << c.name;
    EXPECT_NE(c.expected, digestOf(*TestSupport::makeVolume(18, 18, 12, maskedSilicon))) << c.name;
    // The distance automata keep their vectors in bands, in pages, or both.
    const double savedShare = AbstractDistanceCountingAutomatonBase::bandShare();
    for (double share : {savedShare, 0.0, 1.0})
        for (int threads : {1, 2, 3, 7}) {
            TestSupport::PoolSize pool(threads);
            AbstractDistanceCountingAutomatonBase::setBandShare(share);
            const VolumePtr result = c.run();
            AbstractDistanceCountingAutomatonBase::setBandShare(savedShare);
            ASSERT_TRUE(result) << c.name;
            const uint64_t digest = digestOf(*result);
            if (print) {
                if (threads == 1 && share == savedShare)
                    std::printf("REFERENCE %s 0x%016llxull\n", c.name, (unsigned long long)digest);
                continue;
            }
            EXPECT_EQ(digest, c.expected) << c.name << " with " << threads << " threads, band share " << share;
        }
}

INSTANTIATE_TEST_SUITE_P(Engines, EngineReference, ::testing::Range(size_t(0), cases().size()),
                         [](const ::testing::TestParamInfo<size_t> &info) {
                             return std::string(cases()[info.param].name);
                         });

} // namespace
