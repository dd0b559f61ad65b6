#include "distancecountingtestsupport.h"

#include "Core/Operations/DistanceCounting/anisotropicfilmdepositionoperation.h"
#include "Core/Operations/DistanceCounting/anisotropicfilmetchingoperation.h"
#include "Core/Operations/DistanceCounting/dopingoperation.h"
#include "Core/Operations/DistanceCounting/electrodepositionoperation.h"
#include "Core/Operations/DistanceCounting/ionimplantationoperation.h"
#include "Core/Operations/DistanceCounting/isotropicfilmdepositionoperation.h"
#include "Core/Operations/DistanceCounting/isotropicfilmetchingoperation.h"
#include "Core/Operations/DistanceCounting/simpledoping.h"
#include "Core/Operations/DistanceCounting/simplephysicalvapordepositionoperation.h"
#include "Core/Operations/DistanceCounting/simplesioxidation.h"
#include "Core/Operations/DistanceCounting/simplesioxidationoperation.h"
#include "Core/Operations/workspace.h"

#include <gtest/gtest.h>

#include <boost/weak_ptr.hpp>

#include <functional>

using namespace Core::Operations;
using namespace DistanceCountingTest;
using Model::Automaton::TotalVolume;

namespace {

using TestSupport::FakeDialog;

// Silicon under a film of material 6 on the left and a mask of 7 on the right, open between.
uint32_t substrate(unsigned x, unsigned, unsigned z)
{
    if (z < 4)
        return 1;
    if (z == 4)
        return x < 3 ? 6u : x >= 5 ? 7u : 0u;
    return 0u;
}

struct Scene
{
    Workspace workspace;
    boost::shared_ptr<TotalVolume> volume = makeVolume(8, 5, 10, substrate);
    boost::shared_ptr<FakeDialog> dialog{new FakeDialog};
    bool rejectDialog = false;
    Scene() { workspace.document().addObject(volume); }

    // Builds the operation, lets setParameters run as the dialog's OK, starts it.
    template <class Op>
    boost::shared_ptr<Op> start(boost::shared_ptr<Op> op, std::function<void(Op &)> setParameters)
    {
        return TestSupport::startWithDialog(workspace, op, dialog,
                                            rejectDialog ? std::function<void(Op &)>() : setParameters);
    }
};

struct UndoableCase
{
    const char *name;
    QString messageName;
    std::function<boost::shared_ptr<ProcessOperation>(Scene &)> start;
    bool marksLattice;
};

void PrintTo(const UndoableCase &c, std::ostream *os) { *os << c.name; }

template <class Op>
std::function<boost::shared_ptr<ProcessOperation>(Scene &)> starter(std::function<void(Op &)> set,
                                                                    int factoryNumber = 0)
{
    return [set, factoryNumber](Scene &scene) -> boost::shared_ptr<ProcessOperation> {
        return scene.start<Op>(boost::shared_ptr<Op>(new Op(&scene.workspace)), set);
    };
}

class UndoableOperations : public ::testing::TestWithParam<UndoableCase>
{
};

} // namespace

TEST_P(UndoableOperations, RunUndoAndRedoRestoreTheCellsExactly)
{
    const UndoableCase &c = GetParam();
    Scene scene;
    const std::vector<uint32_t> before = materialsOf(*scene.volume);
    scene.workspace.setLatticeStale(scene.volume->getId(), false);

    c.start(scene);
    EXPECT_EQ(scene.dialog->shown, 1);
    EXPECT_EQ(scene.workspace.console().lastMessage(), c.messageName + QStringLiteral(": Operation finished."));
    EXPECT_EQ(scene.workspace.history().undoName(), c.messageName);
    EXPECT_EQ(scene.workspace.isLatticeStale(scene.volume->getId()), c.marksLattice);
    const std::vector<uint32_t> after = materialsOf(*scene.volume);
    ASSERT_NE(after, before);

    ASSERT_TRUE(scene.workspace.history().undo());
    EXPECT_EQ(materialsOf(*scene.volume), before);
    ASSERT_TRUE(scene.workspace.history().redo());
    EXPECT_EQ(materialsOf(*scene.volume), after);
    ASSERT_TRUE(scene.workspace.history().undo());
    EXPECT_EQ(materialsOf(*scene.volume), before);
}

TEST_P(UndoableOperations, RejectedDialogCancelsAndLeavesTheCells)
{
    Scene scene;
    scene.rejectDialog = true;
    const std::vector<uint32_t> before = materialsOf(*scene.volume);
    GetParam().start(scene);
    EXPECT_EQ(scene.dialog->shown, 1);
    EXPECT_EQ(scene.workspace.console().lastMessage(), GetParam().messageName + QStringLiteral(": Operation canceled."));
    EXPECT_EQ(scene.workspace.history().undoCount(), 0u);
    EXPECT_FALSE(scene.workspace.currentOperation());
    EXPECT_EQ(materialsOf(*scene.volume), before);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, UndoableOperations,
    ::testing::Values(
        UndoableCase{"IsotropicDeposition", QStringLiteral("Isotropic Deposition"),
                     starter<IsotropicFilmDepositionOperation>([](IsotropicFilmDepositionOperation &op) {
                         op.setFilmThickness(2);
                         op.setMaterialId(1);
                     }),
                     true},
        UndoableCase{"IsotropicEtching", QStringLiteral("Isotropic Etching"),
                     starter<IsotropicFilmEtchingOperation>([](IsotropicFilmEtchingOperation &op) {
                         op.setDepth(2);
                         op.setMaterialId(6);
                     }),
                     false},
        UndoableCase{"AnisotropicDeposition", QStringLiteral("Anisotropic Deposition"),
                     starter<AnisotropicFilmDepositionOperation>([](AnisotropicFilmDepositionOperation &op) {
                         op.setFilmThickness(3);
                         op.setHorizontalRatio(0.5f);
                         op.setMaterialId(4);
                     }),
                     false},
        UndoableCase{"AnisotropicEtching", QStringLiteral("Anisotropic Etching"),
                     starter<AnisotropicFilmEtchingOperation>([](AnisotropicFilmEtchingOperation &op) {
                         op.setEtchDepth(3);
                         op.setHorizontalRatio(2);
                         op.setMaterialId(6);
                     }),
                     false},
        UndoableCase{"PhysicalVaporDeposition", QStringLiteral("Isotropic Deposition"),
                     starter<SimplePhysicalVaporDepositionOperation>([](SimplePhysicalVaporDepositionOperation &op) {
                         op.setThickness(2);
                         op.setHorizontalRatio(1);
                         op.setDepositOn(3);
                         op.setMaterialId(8);
                     }),
                     false},
        UndoableCase{"Electroplating", QStringLiteral("Electroplating"),
                     starter<ElectrodepositionOperation>([](ElectrodepositionOperation &op) {
                         op.setFilmThickness(2);
                         op.setDepositedMaterialId(9);
                         op.setConductingMaterialId(6);
                     }),
                     false},
        UndoableCase{"Doping", QStringLiteral("Doping"),
                     starter<DopingOperation>([](DopingOperation &op) {
                         op.setDopingDepth(1.5f);
                         op.setDopedMaterialId(14);
                     }),
                     true}),
    [](const ::testing::TestParamInfo<UndoableCase> &info) { return std::string(info.param.name); });

TEST(DistanceCountingOperations, PvdAndIsotropicDepositionShareAKeyButNotTheirRecords)
{
    Scene scene;
    const std::vector<uint32_t> original = materialsOf(*scene.volume);
    scene.start<IsotropicFilmDepositionOperation>(
        boost::shared_ptr<IsotropicFilmDepositionOperation>(new IsotropicFilmDepositionOperation(&scene.workspace)),
        [](IsotropicFilmDepositionOperation &op) {
            op.setFilmThickness(1);
            op.setMaterialId(3);
        });
    const std::vector<uint32_t> afterIsotropic = materialsOf(*scene.volume);
    scene.start<SimplePhysicalVaporDepositionOperation>(
        boost::shared_ptr<SimplePhysicalVaporDepositionOperation>(
            new SimplePhysicalVaporDepositionOperation(&scene.workspace)),
        [](SimplePhysicalVaporDepositionOperation &op) {
            op.setThickness(2);
            op.setHorizontalRatio(0.5f);
            op.setDepositOn(1);
            op.setMaterialId(5);
        });
    const std::vector<uint32_t> afterPvd = materialsOf(*scene.volume);
    ASSERT_NE(afterIsotropic, original);
    ASSERT_NE(afterPvd, afterIsotropic);

    ASSERT_TRUE(scene.workspace.history().undo());
    EXPECT_EQ(materialsOf(*scene.volume), afterIsotropic);
    ASSERT_TRUE(scene.workspace.history().undo());
    EXPECT_EQ(materialsOf(*scene.volume), original);
    ASSERT_TRUE(scene.workspace.history().redo());
    EXPECT_EQ(materialsOf(*scene.volume), afterIsotropic);
    ASSERT_TRUE(scene.workspace.history().redo());
    EXPECT_EQ(materialsOf(*scene.volume), afterPvd);
}

TEST(DistanceCountingOperations, CvdIsTheIsotropicDepositionUnderItsOwnName)
{
    Workspace workspace;
    const IsotropicFilmDepositionOperation cvd(&workspace, 33), plain(&workspace, 13);
    EXPECT_EQ(cvd.getName(), QStringLiteral("CVD"));
    EXPECT_EQ(cvd.getTypeNumber(), 13);
    EXPECT_EQ(cvd.materialProcessId(), 3u);
    EXPECT_EQ(plain.getName(), QStringLiteral("Isotropic Deposition"));
    EXPECT_EQ(plain.materialProcessId(), 18u);
    EXPECT_EQ(cvd.snapshot().key(), plain.snapshot().key());
    EXPECT_NE(cvd.snapshot().serial(), plain.snapshot().serial());
}

TEST(DistanceCountingOperations, BadValuesCancelInsteadOfRunning)
{
    struct Row
    {
        const char *what;
        std::function<void(Scene &)> start;
    };
    const Row rows[] = {
        {"negative thickness",
         [](Scene &s) {
             s.start<IsotropicFilmDepositionOperation>(
                 boost::shared_ptr<IsotropicFilmDepositionOperation>(new IsotropicFilmDepositionOperation(&s.workspace)),
                 [](IsotropicFilmDepositionOperation &op) {
                     op.setFilmThickness(-2);
                     op.setMaterialId(3);
                 });
         }},
        {"not-a-number depth",
         [](Scene &s) {
             s.start<IsotropicFilmEtchingOperation>(
                 boost::shared_ptr<IsotropicFilmEtchingOperation>(new IsotropicFilmEtchingOperation(&s.workspace)),
                 [](IsotropicFilmEtchingOperation &op) {
                     op.setDepth(std::nanf(""));
                     op.setMaterialId(6);
                 });
         }},
        {"deposit-on mode 4",
         [](Scene &s) {
             s.start<SimplePhysicalVaporDepositionOperation>(
                 boost::shared_ptr<SimplePhysicalVaporDepositionOperation>(
                     new SimplePhysicalVaporDepositionOperation(&s.workspace)),
                 [](SimplePhysicalVaporDepositionOperation &op) {
                     op.setThickness(2);
                     op.setHorizontalRatio(1);
                     op.setDepositOn(4);
                     op.setMaterialId(5);
                 });
         }},
        {"missing conductor",
         [](Scene &s) {
             s.start<ElectrodepositionOperation>(
                 boost::shared_ptr<ElectrodepositionOperation>(new ElectrodepositionOperation(&s.workspace)),
                 [](ElectrodepositionOperation &op) {
                     op.setFilmThickness(2);
                     op.setDepositedMaterialId(9);
                 });
         }},
    };
    for (const Row &row : rows) {
        Scene scene;
        const std::vector<uint32_t> before = materialsOf(*scene.volume);
        row.start(scene);
        EXPECT_TRUE(scene.workspace.console().lastMessage().endsWith(QStringLiteral(": Operation canceled."))) << row.what;
        EXPECT_EQ(scene.workspace.history().undoCount(), 0u) << row.what;
        EXPECT_EQ(materialsOf(*scene.volume), before) << row.what;
    }
}

TEST(DistanceCountingOperations, IonImplantationRunsWithoutUndoAndCancelsInItsOwnWords)
{
    Scene scene;
    scene.workspace.setLatticeStale(scene.volume->getId(), false);
    const auto set = [](IonImplantationOperation &op) {
        op.setImplantationDepth(2);
        op.setVerticalSpread(0);
        op.setAnnealingDistance(0);
        op.setDopedMaterialId(15);
    };
    scene.start<IonImplantationOperation>(
        boost::shared_ptr<IonImplantationOperation>(new IonImplantationOperation(&scene.workspace)), set);
    EXPECT_EQ(scene.workspace.console().lastMessage(), QStringLiteral("Ion Implantation: Operation finished."));
    EXPECT_EQ(scene.workspace.history().undoCount(), 0u);
    EXPECT_TRUE(scene.workspace.isLatticeStale(scene.volume->getId()));
    EXPECT_FALSE(scene.workspace.currentOperation());
    // Open columns: surface at z = 4, depth 2 is z = 2. Under the film (not implantable) the surface is z = 5.
    EXPECT_EQ(materialAt(*scene.volume, 3, 0, 2), 15u);
    EXPECT_EQ(materialAt(*scene.volume, 0, 0, 3), 15u);
    EXPECT_EQ(materialAt(*scene.volume, 0, 0, 4), 6u);

    Scene rejected;
    rejected.rejectDialog = true;
    rejected.start<IonImplantationOperation>(
        boost::shared_ptr<IonImplantationOperation>(new IonImplantationOperation(&rejected.workspace)), set);
    EXPECT_EQ(rejected.workspace.console().lastMessage(), QStringLiteral("Ion Implantation: Operation Canceled!"));
}

TEST(DistanceCountingOperations, OxidationByThicknessOrByTime)
{
    // The thickness option: 0.5 µm at 10 cells per micron is 5 cells.
    Scene byThickness;
    byThickness.start<SimpleSiOxidationOperation>(
        boost::shared_ptr<SimpleSiOxidationOperation>(new SimpleSiOxidationOperation(&byThickness.workspace)),
        [](SimpleSiOxidationOperation &op) {
            op.setOxidationThickness(0.5);
            op.setMicronConversion(10);
        });
    EXPECT_EQ(byThickness.workspace.console().lastMessage(), QStringLiteral("Simple Si Oxidation: Operation finished."));
    EXPECT_EQ(byThickness.workspace.history().undoCount(), 0u);
    EXPECT_TRUE(byThickness.workspace.isLatticeStale(byThickness.volume->getId()));
    // Open silicon at x = 3: 2.8 cells out, 2.2 cells in.
    EXPECT_EQ(materialAt(*byThickness.volume, 3, 2, 4), 3u);
    EXPECT_EQ(materialAt(*byThickness.volume, 3, 2, 5), 3u);
    EXPECT_EQ(materialAt(*byThickness.volume, 3, 2, 6), 0u);
    EXPECT_EQ(materialAt(*byThickness.volume, 3, 2, 2), 3u);
    EXPECT_EQ(materialAt(*byThickness.volume, 3, 2, 1), 1u);
    EXPECT_EQ(materialAt(*byThickness.volume, 0, 2, 4), 6u); // the film is not oxidizable

    // The time option with only the time given uses 1273 K and 1 atm.
    Workspace workspace;
    SimpleSiOxidationOperation byTime(&workspace);
    byTime.setOxidationTime(2);
    EXPECT_DOUBLE_EQ(byTime.thicknessMicrons(), SimpleSiOxidation::dealGroveThickness(2, 1273, 1));
    byTime.setOxidationThickness(1.5);
    EXPECT_DOUBLE_EQ(byTime.thicknessMicrons(), 1.5);

    Scene nothingGiven;
    nothingGiven.start<SimpleSiOxidationOperation>(
        boost::shared_ptr<SimpleSiOxidationOperation>(new SimpleSiOxidationOperation(&nothingGiven.workspace)),
        [](SimpleSiOxidationOperation &op) { op.setMicronConversion(10); });
    EXPECT_EQ(nothingGiven.workspace.console().lastMessage(), QStringLiteral("Simple Si Oxidation: Operation canceled."));
}

namespace {

// Writes into the cells, then runs out of memory half way.
class FailingStep : public ProcessOperation
{
public:
    explicit FailingStep(Workspace *workspace)
        : ProcessOperation(workspace, QStringLiteral("Failing Step"), 13, QStringLiteral("FailingStep"))
    {
    }

protected:
    bool parametersComplete() const override { return true; }
    void runEngine(TotalVolume &volume) override
    {
        {
            Model::Automaton::CellLock lock(volume);
            lock.cells()[0].material = 99;
        }
        throw std::bad_alloc();
    }
};

} // namespace

TEST(DistanceCountingOperations, AnEngineFailureRestoresTheCellsAndKeepsNoUndoEntry)
{
    Scene scene;
    const std::vector<uint32_t> before = materialsOf(*scene.volume);
    scene.workspace.startOperation(boost::shared_ptr<Operation>(new FailingStep(&scene.workspace)));
    EXPECT_EQ(materialsOf(*scene.volume), before);
    EXPECT_EQ(scene.workspace.console().lastMessage(),
              QStringLiteral("Failing Step: The simulation failed; the cells were restored."));
    EXPECT_EQ(scene.workspace.history().undoCount(), 0u);
    EXPECT_FALSE(scene.workspace.currentOperation());
}
