#include "Core/Operations/stepoperations.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"

#include "volumetestsupport.h"

#include "Model/Geometry/fieldpainter.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Core::Operations;
using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;

namespace {

using TestSupport::FakeDialog;
using TestSupport::materialsOf;

struct Scene
{
    Workspace workspace;
    boost::shared_ptr<TotalVolume> volume;
    boost::shared_ptr<FakeDialog> dialog{new FakeDialog};
    Scene()
    {
        std::vector<uint32_t> m(8 * 8 * 8);
        for (size_t i = 0; i < m.size(); ++i)
            m[i] = i % 8 < 5 ? 1u : 0u; // silicon up to z = 4 under an open top
        volume.reset(new TotalVolume(8, 8, 8, 1, 1, 1, Util::Vector3D(), m));
        workspace.document().addObject(volume);
    }
    boost::shared_ptr<RandomWalkDopingOperation> run(double timeStep)
    {
        boost::shared_ptr<RandomWalkDopingOperation> op(new RandomWalkDopingOperation(&workspace));
        RandomWalkDopingOperation *raw = op.get();
        dialog->accept = [raw, timeStep]() {
            raw->setValues({{"Cell Size", 1e-6},
                            {"Diffusion Coefficient", 1e-13},
                            {"Material", 15u},
                            {"Surface Concentration", 500e18},
                            {"Doping Threshold", 100e18},
                            {"Doping Time", 5.0},
                            {"Time Step Duration", timeStep},
                            {"Seed", 4u}});
        };
        op->setDialogObserver(dialog);
        workspace.startOperation(op);
        return op;
    }
};

} // namespace

TEST(RandomWalkDopingOperation, DopesTheTopAndUndoRestoresTheCells)
{
    Scene scene;
    const std::vector<uint32_t> before = materialsOf(*scene.volume);
    scene.run(0.8);
    EXPECT_EQ(scene.workspace.console().lastMessage(), QStringLiteral("Random Walk Doping: Operation finished."));
    const std::vector<uint32_t> after = materialsOf(*scene.volume);
    EXPECT_EQ(after[scene.volume->cellIndex(0, 0, 4)], 15u);
    EXPECT_TRUE(scene.workspace.isLatticeStale(scene.volume->getId()));
    ASSERT_TRUE(scene.workspace.history().undo());
    EXPECT_EQ(materialsOf(*scene.volume), before);
    ASSERT_TRUE(scene.workspace.history().redo());
    EXPECT_EQ(materialsOf(*scene.volume), after);
}

TEST(RandomWalkDopingOperation, UndoAndRedoPutBackTheParticleCountsToo)
{
    Scene scene;
    const QString property = QStringLiteral("Random Walk Particle Count Type P");
    const auto counts = [&]() {
        const Model::Geometry::ParticleCounterArray array =
            Model::Geometry::FieldPainter::countersOf(scene.volume->getProperty(property));
        std::vector<int32_t> flat;
        if (array)
            for (const Model::Geometry::ParticleCounter &c : *array)
                flat.insert(flat.end(), c.values, c.values + 7);
        return flat;
    };
    scene.run(0.8);
    const std::vector<int32_t> first = counts();
    ASSERT_FALSE(first.empty());
    scene.run(0.8);
    const std::vector<int32_t> second = counts();
    ASSERT_NE(second, first);

    ASSERT_TRUE(scene.workspace.history().undo());
    EXPECT_EQ(counts(), first);
    ASSERT_TRUE(scene.workspace.history().undo());
    EXPECT_TRUE(counts().empty()); // before the first walk there were none
    ASSERT_TRUE(scene.workspace.history().redo());
    EXPECT_EQ(counts(), first);
    ASSERT_TRUE(scene.workspace.history().redo());
    EXPECT_EQ(counts(), second);
}

TEST(RandomWalkDopingOperation, TooLongATimeStepIsRefusedWithItsReason)
{
    Scene scene;
    const std::vector<uint32_t> before = materialsOf(*scene.volume);
    scene.run(5.0); // 6 D dt / L^2 = 3
    EXPECT_EQ(scene.workspace.console().lastMessage(), QStringLiteral("Random Walk Doping: Operation canceled."));
    EXPECT_EQ(materialsOf(*scene.volume), before);
    EXPECT_FALSE(scene.volume->getProperty(QStringLiteral("Random Walk Particle Count Type P")).isValid());
    EXPECT_EQ(scene.workspace.history().undoName(), QString());
}

TEST(RandomWalkDopingOperation, MissingParameterCancels)
{
    Scene scene;
    boost::shared_ptr<RandomWalkDopingOperation> op(new RandomWalkDopingOperation(&scene.workspace));
    RandomWalkDopingOperation *raw = op.get();
    // The material has no default: the dialog always gives one, a bare set of values does not.
    scene.dialog->accept = [raw]() { raw->setValues({{"Cell Size", 1e-6}}); };
    op->setDialogObserver(scene.dialog);
    scene.workspace.startOperation(op);
    EXPECT_EQ(scene.workspace.console().lastMessage(), QStringLiteral("Random Walk Doping: Operation canceled."));
}

TEST(RandomWalkDopingOperation, CancelInsideTheWalkPutsTheCellsBackAsUndoWouldAndRecordsNothing)
{
    Scene scene;
    const boost::shared_ptr<TestSupport::FakeStepProgress> progress(new TestSupport::FakeStepProgress);
    scene.workspace.setStepProgress(progress);
    const std::vector<uint32_t> before = materialsOf(*scene.volume);
    {
        // 500 time steps; Cancel lands at the hundredth.
        const TestSupport::StopWhenLogged cancelAtStep100(&progress->current, QStringLiteral("At step 100"));
        scene.run(0.01);
    }
    ASSERT_EQ(progress->names, std::vector<QString>{QStringLiteral("Random Walk Doping")});
    EXPECT_EQ(materialsOf(*scene.volume), before);
    EXPECT_EQ(scene.workspace.console().lastMessage(), QStringLiteral("Random Walk Doping: Operation canceled."));
    EXPECT_EQ(scene.workspace.history().undoName(), QString());
    EXPECT_FALSE(scene.workspace.currentOperation());

    // Uncancelled, the same step dopes and can be undone.
    progress->when = TestSupport::FakeStepProgress::Never;
    scene.run(0.01);
    EXPECT_EQ(materialsOf(*scene.volume)[scene.volume->cellIndex(0, 0, 4)], 15u);
    EXPECT_EQ(scene.workspace.history().undoName(), QStringLiteral("Random Walk Doping"));
}

TEST(RandomWalkDopingOperation, CancelAfterTheLastStopPointStillPutsTheCellsBack)
{
    Scene scene;
    scene.workspace.setStepProgress(boost::shared_ptr<IStepProgress>(
        new TestSupport::FakeStepProgress(TestSupport::FakeStepProgress::After)));
    const std::vector<uint32_t> before = materialsOf(*scene.volume);
    scene.run(0.8);
    EXPECT_EQ(materialsOf(*scene.volume), before);
    EXPECT_EQ(scene.workspace.history().undoName(), QString());
}
