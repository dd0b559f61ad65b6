#include "Core/Operations/CreateSubstrate/createsubstrateoperation.h"
#include "Core/Operations/stepoperations.h"
#include "Core/Operations/workspace.h"
#include "Core/Steps/stepbuilder.h"
#include "Core/Steps/stepregistry.h"

#include "volumetestsupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;
using TestSupport::materialsOf;

namespace {

const uint32_t Si = 1, Oxide = 3, ResistPlus = 11, PDoped = 15;

// Silicon under an oxide film with a window in it.
uint32_t windowedOxide(unsigned x, unsigned, unsigned z)
{
    if (z < 5)
        return Si;
    return z == 5 && (x < 4 || x > 7) ? Oxide : 0u;
}

struct Scene
{
    Workspace workspace;
    boost::shared_ptr<TotalVolume> volume = TestSupport::makeVolume(12, 6, 12, windowedOxide);
    Scene() { workspace.document().addObject(volume); }

    // Runs op with values as its dialog's OK.
    template <class Op>
    void run(const QVariantMap &values)
    {
        TestSupport::startWithDialog<Op>(workspace, boost::shared_ptr<Op>(new Op(&workspace)),
                                         boost::shared_ptr<TestSupport::FakeDialog>(new TestSupport::FakeDialog),
                                         [values](Op &op) { op.setValues(values); });
    }
};

std::vector<bool> columnsBelow(unsigned x0)
{
    std::vector<bool> bits(12 * 6);
    for (unsigned x = 0; x < 12; ++x)
        for (unsigned y = 0; y < 6; ++y)
            bits[x * 6 + y] = x < x0;
    return bits;
}

struct LaterStep
{
    const char *name;
    std::function<void(Scene &)> run;
};

void PrintTo(const LaterStep &c, std::ostream *os) { *os << c.name; }

// The steps that used to keep no undo entry, each run after another step.
const std::vector<LaterStep> &laterSteps()
{
    static const std::vector<LaterStep> steps = {
        {"Photolithography",
         [](Scene &s) {
             // The silicon is developed as a positive resist would be, through the mask.
             s.run<PhotolithographyOperation>({{"Material", Si},
                                               {"Top Mask", QVariant::fromValue(columnsBelow(6))},
                                               {"Top Mask Width", 12u},
                                               {"Top Mask Height", 6u},
                                               {"Bottom Mask", QVariant::fromValue(std::vector<bool>())},
                                               {"Bottom Mask Width", 0u},
                                               {"Bottom Mask Height", 0u}});
         }},
        {"Planarization",
         [](Scene &s) { s.run<PlanarizationOperation>({{"Maximum Height", 7u}, {"Minimum Height", 1u}}); }},
        {"SpinCoating", [](Scene &s) { s.run<SpinCoatingOperation>({{"Material", ResistPlus}, {"Maximum Height", 9u}}); }},
        {"Oxidation",
         [](Scene &s) { s.run<SimpleSiOxidationOperation>({{"Oxidation Thickness", 0.2}, {"Micron Conversion", 10.0}}); }},
        {"IonImplantation",
         [](Scene &s) {
             s.run<IonImplantationOperation>({{"Doped Material", PDoped},
                                              {"Implantation Depth", 2.0},
                                              {"Vertical Spread", 1.0},
                                              {"Annealing Distance", 0.0}});
         }},
        {"SimpleRie",
         [](Scene &s) {
             s.run<SimpleReactiveIonEtchingOperation>({{"Material", Si}, {"Etch Depth", 2u}, {"EtchDirectionValue", 1}});
         }},
        {"BondCountingWetEtch", [](Scene &s) { s.run<AtomisticSiWetEtchingOperation>({{"Depth", 1.0}}); }},
        {"ContinuousWetEtch", [](Scene &s) { s.run<ContinousWetEtchOperation>({{"Depth", 1.0}}); }},
    };
    return steps;
}

class FormerlyFinalSteps : public ::testing::TestWithParam<LaterStep>
{
};

} // namespace

TEST_P(FormerlyFinalSteps, UndoAndRedoGiveTheCellsOfEachStepAndANewStepClearsRedo)
{
    Scene scene;
    // A: strip the oxide, so that every later step finds silicon to work on.
    scene.run<IsotropicFilmEtchingOperation>({{"Depth", 1.0}, {"Material", Oxide}});
    const std::vector<uint32_t> afterA = materialsOf(*scene.volume);
    GetParam().run(scene);
    const std::vector<uint32_t> afterB = materialsOf(*scene.volume);
    ASSERT_NE(afterB, afterA) << qPrintable(scene.workspace.console().lastMessage());
    ASSERT_EQ(scene.workspace.history().undoCount(), 2u);

    scene.workspace.setLatticeStale(scene.volume->getId(), false);
    ASSERT_TRUE(scene.workspace.history().undo());
    EXPECT_EQ(materialsOf(*scene.volume), afterA);
    ASSERT_TRUE(scene.workspace.history().redo());
    EXPECT_EQ(materialsOf(*scene.volume), afterB);

    // Undo, then a new step: what Redo held is gone.
    ASSERT_TRUE(scene.workspace.history().undo());
    scene.run<IsotropicFilmDepositionOperation>({{"Film Thickness", 1.0}, {"Material", 5u}});
    EXPECT_EQ(scene.workspace.history().redoCount(), 0u);
    const std::vector<uint32_t> afterC = materialsOf(*scene.volume);
    EXPECT_FALSE(scene.workspace.history().redo());
    EXPECT_EQ(materialsOf(*scene.volume), afterC);
}

INSTANTIATE_TEST_SUITE_P(Steps, FormerlyFinalSteps, ::testing::ValuesIn(laterSteps()),
                         [](const ::testing::TestParamInfo<LaterStep> &info) { return std::string(info.param.name); });

// Create Substrate 40 x 40 x 30 (15 high), an oxide film of 4, then resist
// poured to 24: Undo takes away the resist only, and Redo brings it back.
TEST(StepUndo, UndoOfAPouredResistKeepsTheFilmUnderItAndRedoBringsItBack)
{
    Workspace workspace;
    const boost::shared_ptr<CreateSubstrateOperation> create(new CreateSubstrateOperation(&workspace));
    create->setValues({{"Material", Si},
                       {"Volume Size X", 40u},
                       {"Volume Size Y", 40u},
                       {"Volume Size Z", 30u},
                       {"Substrate Size X", 40u},
                       {"Substrate Size Y", 40u},
                       {"Substrate Size Z", 15u}});
    workspace.startOperation(create);
    const boost::shared_ptr<TotalVolume> volume = create->getVolume();
    ASSERT_TRUE(volume);
    const auto run = [&](auto op, const QVariantMap &values) {
        TestSupport::startWithDialog<typename decltype(op)::element_type>(
            workspace, op, boost::shared_ptr<TestSupport::FakeDialog>(new TestSupport::FakeDialog),
            [values](typename decltype(op)::element_type &o) { o.setValues(values); });
    };
    run(boost::shared_ptr<IsotropicFilmDepositionOperation>(new IsotropicFilmDepositionOperation(&workspace)),
        {{"Material", QStringLiteral("Thermal Si02")}, {"Film Thickness", 4.0}});
    const std::vector<uint32_t> withOxide = materialsOf(*volume);
    run(boost::shared_ptr<SpinCoatingOperation>(new SpinCoatingOperation(&workspace)),
        {{"Material", QStringLiteral("Photoresist +")}, {"Maximum Height", 24u}});
    const std::vector<uint32_t> withResist = materialsOf(*volume);
    ASSERT_NE(withResist, withOxide);
    EXPECT_EQ(workspace.history().undoName(), QStringLiteral("Spin Coating"));

    ASSERT_TRUE(workspace.history().undo());
    EXPECT_EQ(materialsOf(*volume), withOxide);
    EXPECT_EQ(workspace.history().undoName(), QStringLiteral("Isotropic Deposition"));
    ASSERT_TRUE(workspace.history().redo());
    EXPECT_EQ(materialsOf(*volume), withResist);
}

// Undo a deposition, then run a photolithography: Redo has nothing left to bring back.
TEST(StepUndo, RedoDoesNotSurviveANewStep)
{
    Scene scene;
    scene.run<IsotropicFilmDepositionOperation>({{"Film Thickness", 1.0}, {"Material", 4u}});
    ASSERT_TRUE(scene.workspace.history().undo());
    ASSERT_EQ(scene.workspace.history().redoCount(), 1u);
    laterSteps().front().run(scene);
    const std::vector<uint32_t> developed = materialsOf(*scene.volume);
    EXPECT_EQ(scene.workspace.history().redoCount(), 0u);
    EXPECT_FALSE(scene.workspace.history().redo());
    EXPECT_EQ(materialsOf(*scene.volume), developed);
}

// Implant, then anneal: undo takes each step's concentrations back, redo
// brings them again, and undoing the implant leaves no field at all.
TEST(StepUndo, DopantStepsUndoAndRedoTheirConcentrations)
{
    Workspace workspace;
    const boost::shared_ptr<TotalVolume> volume = TestSupport::makeVolume(
        8, 6, 40, [](unsigned x, unsigned, unsigned z) { return z < 30 ? Si : z < 33 && x < 3 ? Oxide : 0u; }, 0.01f);
    workspace.document().addObject(volume);
    const auto fields = [&]() {
        Model::Automaton::CellLock lock(*volume);
        return lock.dopants();
    };
    const auto run = [&](const char *name, const QVariantMap &values) {
        const Core::Steps::StepDefinition *definition = Core::Steps::StepRegistry::instance().named(QLatin1String(name));
        ASSERT_TRUE(definition);
        TestSupport::startWithDialog<StepOperation>(
            workspace, boost::shared_ptr<StepOperation>(new StepOperation(&workspace, *definition)),
            boost::shared_ptr<TestSupport::FakeDialog>(new TestSupport::FakeDialog),
            [values](StepOperation &o) { o.setValues(values); });
    };
    run("Dopant Implant", {{"Species", "As"}, {"Energy", 60.0}, {"Dose", 1e15}});
    const Model::Automaton::DopantFields implanted = fields();
    ASSERT_FALSE(implanted.isEmpty()) << qPrintable(workspace.console().lastMessage());
    run("Dopant Anneal", {{"Temperature", 1100.0}, {"Time", 20.0}});
    const Model::Automaton::DopantFields annealed = fields();
    ASSERT_FALSE(annealed == implanted);
    ASSERT_EQ(workspace.history().undoCount(), 2u);

    ASSERT_TRUE(workspace.history().undo());
    EXPECT_TRUE(fields() == implanted);
    ASSERT_TRUE(workspace.history().undo());
    EXPECT_TRUE(fields().isEmpty());
    ASSERT_TRUE(workspace.history().redo());
    EXPECT_TRUE(fields() == implanted);
    ASSERT_TRUE(workspace.history().redo());
    EXPECT_TRUE(fields() == annealed);

    // An etch takes the dopant away with the silicon it removes, and its undo brings both back.
    run("Isotropic etching", {{"Material", Si}, {"Depth", 0.02}}); // two cells
    ASSERT_EQ(workspace.history().undoCount(), 3u) << qPrintable(workspace.console().lastMessage());
    {
        Model::Automaton::CellLock lock(*volume);
        const std::vector<float> &as = lock.dopants().field(Model::Automaton::DopantFields::Arsenic);
        ASSERT_EQ(as.size(), size_t(volume->getCellCount()));
        double left = 0.0, before = 0.0;
        for (size_t i = 0; i < as.size(); ++i) {
            if (lock.cells()[i].material == 0)
                EXPECT_EQ(as[i], 0.0f) << i;
            left += as[i];
            before += annealed.field(Model::Automaton::DopantFields::Arsenic)[i];
        }
        EXPECT_LT(left, before);
    }
    ASSERT_TRUE(workspace.history().undo());
    EXPECT_TRUE(fields() == annealed);
}
