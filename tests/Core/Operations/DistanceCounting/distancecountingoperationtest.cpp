#include "distancecountingtestsupport.h"

#include "Core/Operations/stepoperations.h"
#include "Core/Operations/DistanceCounting/simpledoping.h"
#include "Core/Operations/DistanceCounting/simplesioxidation.h"
#include "Core/Operations/workspace.h"
#include "Core/Steps/steprun.h"

#include <gtest/gtest.h>

#include <boost/weak_ptr.hpp>

#include <algorithm>
#include <cmath>
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
    // Implantation says it in its own words (": Operation Canceled!").
    EXPECT_TRUE(scene.workspace.console().lastMessage().startsWith(
        GetParam().messageName + QStringLiteral(": Operation canceled"), Qt::CaseInsensitive));
    EXPECT_EQ(scene.workspace.history().undoCount(), 0u);
    EXPECT_FALSE(scene.workspace.currentOperation());
    EXPECT_EQ(materialsOf(*scene.volume), before);
}

template <class Op>
std::function<boost::shared_ptr<ProcessOperation>(Scene &)> starter(const QVariantMap &values)
{
    return starter<Op>([values](Op &op) { op.setValues(values); });
}

INSTANTIATE_TEST_SUITE_P(
    Steps, UndoableOperations,
    ::testing::Values(
        UndoableCase{"IsotropicDeposition", QStringLiteral("Isotropic Deposition"),
                     starter<IsotropicFilmDepositionOperation>({{"Film Thickness", 2.0}, {"Material", 1u}}), true},
        UndoableCase{"IsotropicEtching", QStringLiteral("Isotropic Etching"),
                     starter<IsotropicFilmEtchingOperation>({{"Depth", 2.0}, {"Material", 6u}}), false},
        UndoableCase{"AnisotropicDeposition", QStringLiteral("Anisotropic Deposition"),
                     starter<AnisotropicFilmDepositionOperation>(
                         {{"Film Thickness", 3.0}, {"Horizontal to Vertical Ratio", 0.5}, {"Material", 4u}}),
                     false},
        UndoableCase{"AnisotropicEtching", QStringLiteral("Anisotropic Etching"),
                     starter<AnisotropicFilmEtchingOperation>(
                         {{"Etch Depth", 3.0}, {"Horizontal to Vertical Ratio", 2.0}, {"Material", 6u}}),
                     false},
        UndoableCase{"PhysicalVaporDeposition", QStringLiteral("Isotropic Deposition"),
                     starter<SimplePhysicalVaporDepositionOperation>(
                         {{"Thickness", 2.0}, {"Horizontal to Vertical Ratio", 1.0}, {"DepositOn", 3}, {"Material", 8u}}),
                     false},
        UndoableCase{"Electroplating", QStringLiteral("Electroplating"),
                     starter<ElectrodepositionOperation>(
                         {{"Film Thickness", 2.0}, {"Deposited Material", 9u}, {"Conducting Material", 6u}}),
                     false},
        UndoableCase{"Doping", QStringLiteral("Doping"),
                     starter<DopingOperation>({{"Doping Depth", 1.5}, {"Doped Material", 14u}}), true},
        // Steps that kept no undo entry before: their cells come back all the same.
        UndoableCase{"IonImplantation", QStringLiteral("Ion Implantation"),
                     starter<IonImplantationOperation>({{"Implantation Depth", 2.0},
                                                        {"Vertical Spread", 0.0},
                                                        {"Annealing Distance", 0.0},
                                                        {"Doped Material", 15u}}),
                     true},
        UndoableCase{"Oxidation", QStringLiteral("Simple Si Oxidation"),
                     starter<SimpleSiOxidationOperation>({{"Oxidation Thickness", 0.5}, {"Micron Conversion", 10.0}}),
                     true}),
    [](const ::testing::TestParamInfo<UndoableCase> &info) { return std::string(info.param.name); });

TEST(DistanceCountingOperations, PvdAndIsotropicDepositionShareAKeyButNotTheirRecords)
{
    Scene scene;
    const std::vector<uint32_t> original = materialsOf(*scene.volume);
    starter<IsotropicFilmDepositionOperation>({{"Film Thickness", 1.0}, {"Material", 3u}})(scene);
    const std::vector<uint32_t> afterIsotropic = materialsOf(*scene.volume);
    starter<SimplePhysicalVaporDepositionOperation>(
        {{"Thickness", 2.0}, {"Horizontal to Vertical Ratio", 0.5}, {"DepositOn", 1}, {"Material", 5u}})(scene);
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
    EXPECT_EQ(cvd.definition()->processId, 3u);
    EXPECT_EQ(plain.getName(), QStringLiteral("Isotropic Deposition"));
    EXPECT_EQ(plain.definition()->processId, 18u);
    EXPECT_EQ(cvd.snapshot().key(), plain.snapshot().key());
    EXPECT_NE(cvd.snapshot().serial(), plain.snapshot().serial());
}

TEST(DistanceCountingOperations, BadValuesAreRefusedWithTheReasonAndCancel)
{
    struct Row
    {
        const char *what;
        std::function<boost::shared_ptr<ProcessOperation>(Scene &)> start;
        const char *reason;
    };
    const Row rows[] = {
        {"negative thickness", starter<IsotropicFilmDepositionOperation>({{"Film Thickness", -2.0}, {"Material", 3u}}),
         "\"Film Thickness\" must be a finite number from 0 to 1000000000 units, not -2."},
        {"not-a-number depth",
         starter<IsotropicFilmEtchingOperation>({{"Depth", std::nan("")}, {"Material", 6u}}),
         "\"Depth\" must be a finite number from 0 to 1000000000 units, not nan."},
        {"deposit-on mode 4",
         starter<SimplePhysicalVaporDepositionOperation>(
             {{"Thickness", 2.0}, {"Horizontal to Vertical Ratio", 1.0}, {"DepositOn", 4}, {"Material", 5u}}),
         "\"DepositOn\" must be 1 (top), 2 (bottom) or 3 (both sides), not 4."},
        {"missing conductor",
         starter<ElectrodepositionOperation>({{"Film Thickness", 2.0}, {"Deposited Material", 9u}}),
         "The parameter \"Conducting Material_Id\" is missing or has no value."},
    };
    for (const Row &row : rows) {
        Scene scene;
        QStringList messages;
        TestSupport::recordConsole(scene.workspace, messages);
        const std::vector<uint32_t> before = materialsOf(*scene.volume);
        row.start(scene);
        EXPECT_TRUE(std::any_of(messages.begin(), messages.end(), [&](const QString &message) {
            return message.endsWith(QStringLiteral(": ") + QLatin1String(row.reason));
        })) << row.what << " " << qPrintable(messages.join(QLatin1Char('|')));
        EXPECT_TRUE(scene.workspace.console().lastMessage().endsWith(QStringLiteral(": Operation canceled."))) << row.what;
        EXPECT_EQ(scene.workspace.history().undoCount(), 0u) << row.what;
        EXPECT_EQ(materialsOf(*scene.volume), before) << row.what;
    }
}

TEST(DistanceCountingOperations, IonImplantationCancelsInItsOwnWords)
{
    Scene scene;
    starter<IonImplantationOperation>({{"Implantation Depth", 2.0}, {"Vertical Spread", 0.0},
                                       {"Annealing Distance", 0.0}, {"Doped Material", 15u}})(scene);
    // Open columns: surface at z = 4, depth 2 is z = 2. Under the film (not implantable) the surface is z = 5.
    EXPECT_EQ(materialAt(*scene.volume, 3, 0, 2), 15u);
    EXPECT_EQ(materialAt(*scene.volume, 0, 0, 3), 15u);
    EXPECT_EQ(materialAt(*scene.volume, 0, 0, 4), 6u);

    Scene rejected;
    rejected.rejectDialog = true;
    starter<IonImplantationOperation>(QVariantMap())(rejected);
    EXPECT_EQ(rejected.workspace.console().lastMessage(), QStringLiteral("Ion Implantation: Operation Canceled!"));
}

TEST(DistanceCountingOperations, OxidationByThicknessOrByTime)
{
    // The thickness option: 0.5 µm at 10 cells per micron is 5 cells.
    Scene byThickness;
    starter<SimpleSiOxidationOperation>({{"Oxidation Thickness", 0.5}, {"Micron Conversion", 10.0}})(byThickness);
    EXPECT_EQ(byThickness.workspace.console().lastMessage(), QStringLiteral("Simple Si Oxidation: Operation finished."));
    // Open silicon at x = 3: 2.8 cells out, 2.2 cells in.
    EXPECT_EQ(materialAt(*byThickness.volume, 3, 2, 4), 3u);
    EXPECT_EQ(materialAt(*byThickness.volume, 3, 2, 5), 3u);
    EXPECT_EQ(materialAt(*byThickness.volume, 3, 2, 6), 0u);
    EXPECT_EQ(materialAt(*byThickness.volume, 3, 2, 2), 3u);
    EXPECT_EQ(materialAt(*byThickness.volume, 3, 2, 1), 1u);
    EXPECT_EQ(materialAt(*byThickness.volume, 0, 2, 4), 6u); // the film is not oxidizable

    // The time option with only the time given takes the declared 1273 K and 1 atm.
    const auto oxideAfter = [](const QVariantMap &values) {
        Scene scene;
        starter<SimpleSiOxidationOperation>(values)(scene);
        EXPECT_EQ(scene.workspace.console().lastMessage(), QStringLiteral("Simple Si Oxidation: Operation finished."));
        return materialsOf(*scene.volume);
    };
    const double grown = Core::Operations::DealGrove().thickness(200, 1273, 1);
    EXPECT_EQ(oxideAfter({{"OxidationTimeSet", true}, {"Oxidation Time", 200.0}, {"Micron Conversion", 10.0}}),
              oxideAfter({{"Oxidation Thickness", grown}, {"Micron Conversion", 10.0}}));
}

namespace {

// Writes into the cells, then runs out of memory half way.
int failHalfWay(Core::Steps::StepRun &run)
{
    {
        Model::Automaton::CellLock lock(run.volume());
        lock.cells()[0].material = 99;
    }
    throw std::bad_alloc();
}

const Core::Steps::StepDefinition &failingStep()
{
    static const Core::Steps::StepDefinition definition = [] {
        Core::Steps::StepDefinition d;
        d.name = QStringLiteral("Failing Step");
        d.run = failHalfWay;
        return d;
    }();
    return definition;
}

class FailingStep : public ProcessOperation
{
public:
    explicit FailingStep(Workspace *workspace)
        : ProcessOperation(workspace, QStringLiteral("Failing Step"), 13, QStringLiteral("FailingStep"), &failingStep())
    {
        setValues(QVariantMap());
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
              QStringLiteral("Failing Step: There was not enough memory to finish the step; the cells were put back as "
                             "they were."));
    EXPECT_EQ(scene.workspace.history().undoCount(), 0u);
    EXPECT_FALSE(scene.workspace.currentOperation());
}
