#include "cellblocks.h"

#include "Core/Operations/ModelExtraction/imodelextractionuser.h"
#include "Core/Operations/ModelExtraction/runmodelextraction.h"
#include "Core/Operations/workspace.h"
#include "Model/ModelExtraction/extractedmodel.h"
#include "Model/ModelExtraction/istructure.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

using Core::Operations::RunModelExtraction;
using Model::Automaton::TotalVolume;

namespace {

// Stands in for the dialog and message boxes: runs a script of steps.
class FakeUser : public Core::Operations::IModelExtractionUser
{
public:
    std::function<void(RunModelExtraction &)> script;
    QString fileName;
    int fileRequests = 0;
    QStringList messages;

    void runSteps(RunModelExtraction &operation) override { script(operation); }
    QString chooseNetlistFile() override
    {
        ++fileRequests;
        return fileName;
    }
    void showInformation(const QString &title, const QString &text) override { messages << title + "|" + text; }
    void showWarning(const QString &title, const QString &text) override { messages << title + "|" + text; }
};

struct Fixture
{
    Core::Operations::Workspace workspace;
    boost::shared_ptr<TotalVolume> volume;
    boost::shared_ptr<FakeUser> user{new FakeUser};
    boost::shared_ptr<RunModelExtraction> operation{new RunModelExtraction(&workspace)};

    explicit Fixture(const CellBlocks &cells)
        : volume(new TotalVolume(cells.sx, cells.sy, cells.sz, 2.0f, 1.0f, 1.0f, Util::Vector3D(5, 0, 0),
                                 cells.materials))
    {
        workspace.document().addObject(volume);
        operation->setUser(user);
    }
    void start(bool selectVolume = true)
    {
        if (selectVolume)
            workspace.viewPicks().setSelected({volume});
        workspace.startOperation(operation);
    }
};

CellBlocks beam(uint32_t material)
{
    CellBlocks cells(16, 4, 3);
    cells.fill(0, 0, 0, 3, 4, 3, 2).fill(3, 1, 1, 10, 2, 1, material);
    return cells;
}

QString readAll(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly | QIODevice::Text) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

TEST(RunModelExtractionTest, StepsRunInOrderAndWriteTheNetlist)
{
    QTemporaryDir dir;
    Fixture f(beam(3));
    f.user->fileName = dir.filePath("beam.cir");
    f.user->script = [&](RunModelExtraction &op) {
        EXPECT_EQ("Model Extraction: Cell volume selected.", f.workspace.console().lastMessage());
        EXPECT_FALSE(op.runStepTwo());
        EXPECT_FALSE(op.runStepThree());
        ASSERT_TRUE(op.runStepOne());
        EXPECT_FALSE(op.runStepOne());
        EXPECT_TRUE(f.volume->getPainter().isHidden());
        ASSERT_TRUE(op.getPreprocessingModel());
        EXPECT_EQ(op.getBoxes().size(), op.getPreprocessingModel()->getBoxes().size());
        ASSERT_TRUE(op.runStepTwo());
        EXPECT_FALSE(op.runStepTwo());
        ASSERT_TRUE(op.getExtractedModel());
        EXPECT_DOUBLE_EQ(5 + 2.0 * (16 + 10), op.getExtractedModel()->getOffset().x);
        EXPECT_TRUE(op.runStepThree());
        EXPECT_TRUE(op.runStepThree()); // may be saved again
    };
    f.start();

    const QList<boost::shared_ptr<Model::Object>> objects = f.workspace.document().getObjects();
    ASSERT_EQ(3, objects.size());
    EXPECT_EQ(Model::Object::ExtractedModelType, objects[1]->getType());
    EXPECT_EQ(nullptr, objects[1]->clone());
    EXPECT_FALSE(f.volume->getPainter().isHidden());
    EXPECT_EQ("Model Extraction: Model extracted.", f.workspace.console().lastMessage());
    EXPECT_EQ(2, f.user->fileRequests);
    EXPECT_TRUE(f.user->messages.isEmpty());
    // Cells 2 x 1 x 1 um of thermal oxide (2200 kg/m^3, 70 GPa), the beam 10 x 2 x 1 cells along x:
    // m = 20 um * 2 um * 1 um * 2200 * 33/140, 1/k = (20 um)^3 / (3 * 7e10 * 2 um * (1 um)^3 / 12)
    EXPECT_EQ(QStringLiteral("Model extracted by Torvane\nc1 1 0 2.07429e-14 \nl1 1 0 0.228571 \n.end \n"),
              readAll(f.user->fileName));
}

TEST(RunModelExtractionTest, ExtractionMeasuresCellsByTheVolumesCellSizesAndUnitLength)
{
    // f1 grows with h / L^2: the same cells at a unit length u resonate at f / u.
    Fixture f(beam(9));
    const RunModelExtraction::Extraction at1 = RunModelExtraction::extract(*f.volume);
    ASSERT_EQ(1u, at1.beams.size());
    EXPECT_EQ(at1.netlist, RunModelExtraction::extractNetlist(*f.volume));
    EXPECT_DOUBLE_EQ(20e-6, at1.beams[0].length); // 10 cells of 2 units
    EXPECT_DOUBLE_EQ(2e-6, at1.beams[0].width);
    for (double u : {0.25, 3.0}) {
        f.volume->setUnitLength(u);
        const RunModelExtraction::Extraction e = RunModelExtraction::extract(*f.volume);
        ASSERT_EQ(1u, e.beams.size()) << u;
        EXPECT_NEAR(at1.beams[0].frequency / u, e.beams[0].frequency, 1e-9 * e.beams[0].frequency) << u;
        EXPECT_NEAR(at1.beams[0].mass * u * u * u, e.beams[0].mass, 1e-9 * e.beams[0].mass) << u;
        EXPECT_DOUBLE_EQ(20e-6 * u, e.beams[0].length) << u;
    }
}

TEST(RunModelExtractionTest, NothingFoundShowsNoModelDataAndAsksForNoFile)
{
    Fixture f(beam(1));
    f.user->script = [](RunModelExtraction &op) {
        op.runStepOne();
        op.runStepTwo();
        EXPECT_FALSE(op.getStructure());
        EXPECT_FALSE(op.getExtractedModel());
        EXPECT_FALSE(op.runStepThree());
    };
    f.start();
    EXPECT_EQ(0, f.user->fileRequests);
    EXPECT_EQ(QStringList{"No model data|No model data was extracted."}, f.user->messages);
    EXPECT_EQ(2, f.workspace.document().getObjects().size());
}

TEST(RunModelExtractionTest, FileThatCannotBeOpenedWarnsAndCancelWritesNothing)
{
    QTemporaryDir dir;
    for (const QString &target : {dir.filePath("missing/folder/beam.cir"), QString()}) {
        Fixture f(beam(3));
        f.user->fileName = target;
        f.user->script = [](RunModelExtraction &op) {
            op.runStepOne();
            op.runStepTwo();
            EXPECT_FALSE(op.runStepThree());
        };
        f.start();
        EXPECT_EQ(1, f.user->fileRequests);
        EXPECT_EQ(target.isEmpty() ? QStringList() : QStringList{"File Error|Unable to save to selected file!"},
                  f.user->messages);
    }
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST(RunModelExtractionTest, WithoutASelectedVolumeItAsksForOne)
{
    Fixture f(beam(3));
    f.user->script = [](RunModelExtraction &) { ADD_FAILURE() << "dialog opened without a volume"; };
    f.start(false);
    EXPECT_EQ("Model Extraction: Select a cell volume and press Enter/Return.", f.workspace.console().lastMessage());
    EXPECT_FALSE(f.operation->getVolume());
    f.operation->cancel();
    EXPECT_EQ(1, f.workspace.document().getObjects().size());
}
