#include "Batch/batchprogram.h"
#include "Core/Operations/BatchRun/processlistfile.h"
#include "Core/Operations/Document/documentstorage.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <set>

using Batch::BatchOptions;
using Core::Operations::DocumentStorage;
using Core::Operations::ProcessListFile;
using Ui::ProcessData;

namespace {

struct BatchRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the real program; display false takes the window system away.
BatchRun runBatch(const QStringList &arguments, bool display = true)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!display) {
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    }
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TORVANE_BATCH_PROGRAM), arguments);
    BatchRun run;
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

bool haveDisplay() { return !qgetenv("DISPLAY").isEmpty(); }

// The document reads back and holds one cell volume with more than one material.
void expectDocumentOpens(const QString &fileName)
{
    Core::Operations::Workspace workspace;
    QString message;
    ASSERT_EQ(DocumentStorage::Loaded, DocumentStorage::load(fileName, workspace, nullptr, &message))
        << message.toStdString();
    const QList<boost::shared_ptr<Model::Object>> objects = workspace.document().getObjects();
    ASSERT_EQ(1, objects.size());
    const boost::shared_ptr<Model::Automaton::TotalVolume> volume =
        boost::dynamic_pointer_cast<Model::Automaton::TotalVolume>(objects.first());
    ASSERT_TRUE(volume);
    std::set<unsigned> materials;
    const Model::Automaton::Voxel *cells = volume->lockCells();
    for (unsigned x = 0; x < volume->getSizeX(); x += 3)
        for (unsigned y = 0; y < volume->getSizeY(); y += 3)
            for (unsigned z = 0; z < volume->getSizeZ(); ++z)
                materials.insert(cells[volume->cellIndex(x, y, z)].material);
    volume->unlockCells();
    EXPECT_GE(materials.size(), 3u) << "substrate, a processed material and empty cells";
}

class ExampleList : public ::testing::TestWithParam<const char *>
{
};

// A 10 x 10 x 12 volume with 4 layers of silicon.
ProcessData siliconSubstrate()
{
    ProcessData substrate(ProcessData::CreateSubstrate);
    substrate.setMaterial(QStringLiteral("Material"), 1, QStringLiteral("Si"), Qt::gray);
    substrate.setParameter(QStringLiteral("Lower Left Front Corner"), QVariant::fromValue(Util::Vector3D()), true);
    for (const char *name : {"Volume Size X", "Volume Size Y", "Substrate Size X", "Substrate Size Y"})
        substrate.setParameter(QLatin1String(name), QVariant(10u), true);
    substrate.setParameter(QStringLiteral("Volume Size Z"), QVariant(12u), true);
    substrate.setParameter(QStringLiteral("Substrate Size Z"), QVariant(4u), true);
    for (const char *name : {"Substrate Delta X", "Substrate Delta Y", "Substrate Delta Z"})
        substrate.setParameter(QLatin1String(name), QVariant(0u), true);
    substrate.setParameter(QStringLiteral("SphericalSubstrate"), QVariant(false), false);
    return substrate;
}

} // namespace

TEST_P(ExampleList, RunsToTheEndAndWritesADocumentThatOpens)
{
    QTemporaryDir out;
    const QString list = QStringLiteral(TORVANE_EXAMPLES_DIR "/%1.plst").arg(QLatin1String(GetParam()));
    const QString document = out.filePath(QStringLiteral("result.tvn"));
    const QString picture = out.filePath(QStringLiteral("view.png"));
    QStringList arguments{list, QStringLiteral("--out"), document};
    if (haveDisplay())
        arguments << QStringLiteral("--image") << picture;

    const BatchRun run = runBatch(arguments);
    ASSERT_EQ(0, run.exitCode) << run.out.toStdString() << run.err.toStdString();
    ProcessListFile::LoadResult loaded;
    ASSERT_TRUE(ProcessListFile::load(list, loaded));
    const QString last = QStringLiteral("%1/%1  ").arg(loaded.list.size());
    EXPECT_TRUE(run.out.contains(last + loaded.list.last().displayName())) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("No error, process was run successfully.")));
    expectDocumentOpens(document);

    if (haveDisplay()) {
        const QImage image(picture);
        ASSERT_FALSE(image.isNull());
        // Not a blank frame: the volume is drawn in more than one colour.
        std::set<QRgb> colours;
        for (int y = 0; y < image.height(); y += 8)
            for (int x = 0; x < image.width(); x += 8)
                colours.insert(image.pixel(x, y));
        EXPECT_GT(colours.size(), 3u);
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleList, ::testing::Values("v-groove", "cantilever", "doping-oxidation"));

TEST(BatchProgramTest, FailingStepStopsTheRunKeepsEarlierStepsAndExitsWithItsCode)
{
    QTemporaryDir out;
    const ProcessData substrate = siliconSubstrate();
    ProcessData cvd(ProcessData::Cvd);
    cvd.setMaterial(QStringLiteral("Material"), 3, QStringLiteral("Thermal Si02"), Qt::blue);
    const QString list = out.filePath(QStringLiteral("list.plst"));
    ASSERT_TRUE(ProcessListFile::save({substrate, cvd}, list)); // the CVD step lacks "Thickness"

    const BatchRun run = runBatch({list, QStringLiteral("--out"), out.filePath(QStringLiteral("r"))});
    EXPECT_EQ(Batch::ExitStepFailed, run.exitCode);
    EXPECT_TRUE(run.out.contains(QStringLiteral("1/2  Create Substrate  No error, process was run successfully.")))
        << run.out.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("step 2/2 CVD failed: A required parameter was not found. Check input "
                                                "list.")))
        << run.err.toStdString();
    // The extension is added; the volume of the first step is in the document.
    Core::Operations::Workspace workspace;
    ASSERT_EQ(DocumentStorage::Loaded,
              DocumentStorage::load(out.filePath(QStringLiteral("r.tvn")), workspace, nullptr));
    EXPECT_EQ(1, workspace.document().getObjects().size());

    // A list that never creates a volume runs nothing.
    ASSERT_TRUE(ProcessListFile::save({cvd}, list));
    const BatchRun none = runBatch({list, QStringLiteral("--out"), out.filePath(QStringLiteral("none.tvn"))});
    EXPECT_EQ(Batch::ExitStepFailed, none.exitCode);
    EXPECT_TRUE(none.err.contains(QStringLiteral("no cell volume"))) << none.err.toStdString();
}

TEST(BatchProgramTest, TerminateSignalMidStepUndoesItWritesTheFinishedStepsAndExitsWithItsCode)
{
    QTemporaryDir out;
    // Nine million walk steps: hours of work unless the signal reaches the walk.
    ProcessData walk(ProcessData::RandomWalkDoping);
    walk.setMaterial(QStringLiteral("Material"), 15, QStringLiteral("p-Si"), Qt::red);
    const struct
    {
        const char *name;
        double value;
    } values[] = {{"Diffusion Coefficient", 1e-13}, {"Cell Size", 1e-6},       {"Time Step Duration", 0.8333333333},
                  {"Surface Concentration", 500e18}, {"Doping Threshold", 100e18}, {"Doping Time", 0.8333333333 * 9e6}};
    for (const auto &v : values)
        walk.setParameter(QLatin1String(v.name), QVariant(v.value), true);
    const QString list = out.filePath(QStringLiteral("walk.plst"));
    ASSERT_TRUE(ProcessListFile::save({siliconSubstrate(), walk, walk}, list));

    QProcess process;
    process.start(QStringLiteral(TORVANE_BATCH_PROGRAM),
                  {list, QStringLiteral("--out"), out.filePath(QStringLiteral("stopped.tvn"))});
    // The first step's line says the walk has begun.
    QByteArray printed;
    while (!printed.contains("1/3  Create Substrate") && process.waitForReadyRead(60000))
        printed += process.readAllStandardOutput();
    ASSERT_TRUE(printed.contains("1/3  Create Substrate")) << printed.toStdString();
    process.terminate(); // SIGTERM
    ASSERT_TRUE(process.waitForFinished(120000));
    ASSERT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), Batch::ExitStopped);
    printed += process.readAllStandardOutput();
    const QByteArray errors = process.readAllStandardError();
    EXPECT_TRUE(errors.contains("stopped by a signal after 1 of 3 steps")) << errors.toStdString();
    EXPECT_FALSE(printed.contains("3/3")) << printed.toStdString();

    // The document holds the substrate as the first step left it: no doped cell.
    Core::Operations::Workspace workspace;
    ASSERT_EQ(DocumentStorage::Loaded,
              DocumentStorage::load(out.filePath(QStringLiteral("stopped.tvn")), workspace, nullptr));
    ASSERT_EQ(1, workspace.document().getObjects().size());
    const auto volume =
        boost::dynamic_pointer_cast<Model::Automaton::TotalVolume>(workspace.document().getObjects().first());
    ASSERT_TRUE(volume);
    std::set<uint32_t> materials;
    {
        Model::Automaton::CellLock lock(*volume);
        for (uint64_t i = 0; i < volume->getCellCount(); ++i)
            materials.insert(lock.cells()[i].material);
    }
    EXPECT_EQ(materials, (std::set<uint32_t>{0u, 1u}));
}

TEST(BatchProgramTest, PictureWithoutADisplayIsRefusedClearlyAfterTheDocumentIsWritten)
{
    QTemporaryDir out;
    const QString document = out.filePath(QStringLiteral("result.tvn"));
    const BatchRun run = runBatch({QStringLiteral(TORVANE_EXAMPLES_DIR "/doping-oxidation.plst"), QStringLiteral("--out"),
                              document, QStringLiteral("--image"), out.filePath(QStringLiteral("view.png"))},
                             false);
    EXPECT_EQ(Batch::ExitNotWritten, run.exitCode) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("no display"))) << run.err.toStdString();
    EXPECT_TRUE(QFile::exists(document));
    EXPECT_FALSE(QFile::exists(out.filePath(QStringLiteral("view.png"))));
}

TEST(BatchProgramTest, BadCommandLinesAndUnreadableListsExitWithUsageErrors)
{
    QTemporaryDir out;
    QFile broken(out.filePath(QStringLiteral("broken.plst")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("<Process-List version=\"1\"><Process-Data");
    broken.close();
    const struct
    {
        QStringList arguments;
        const char *says;
    } cases[] = {
        {{}, "no process list given"},
        {{QStringLiteral("a.plst")}, "--out RESULT.tvn"},
        {{QStringLiteral("a.plst"), QStringLiteral("--out")}, "--out needs a file name"},
        {{QStringLiteral("a.plst"), QStringLiteral("--bogus")}, "unknown option --bogus"},
        {{out.filePath(QStringLiteral("missing.plst")), QStringLiteral("--out"), QStringLiteral("r.tvn")},
         "cannot be opened"},
        {{broken.fileName(), QStringLiteral("--out"), QStringLiteral("r.tvn")}, "is not valid XML"},
    };
    for (const auto &c : cases) {
        const BatchRun run = runBatch(c.arguments, false);
        EXPECT_EQ(Batch::ExitUsage, run.exitCode) << c.says;
        EXPECT_TRUE(run.err.contains(QLatin1String(c.says))) << c.says << ": " << run.err.toStdString();
    }
    const BatchRun help = runBatch({QStringLiteral("--help")}, false);
    EXPECT_EQ(0, help.exitCode);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("usage: torvane-batch LIST.plst --out RESULT.tvn")));
}

TEST(BatchProgramTest, OptionsAcceptAnyOrder)
{
    const BatchOptions options = BatchOptions::parse(
        {QStringLiteral("torvane-batch"), QStringLiteral("--image"), QStringLiteral("v.png"), QStringLiteral("l.plst"),
         QStringLiteral("-o"), QStringLiteral("r.tvn")});
    EXPECT_TRUE(options.error.isEmpty()) << options.error.toStdString();
    EXPECT_EQ(QStringLiteral("l.plst"), options.listFile);
    EXPECT_EQ(QStringLiteral("r.tvn"), options.outFile);
    EXPECT_EQ(QStringLiteral("v.png"), options.imageFile);
    EXPECT_FALSE(BatchOptions::parse({QStringLiteral("torvane-batch"), QStringLiteral("a.plst"), QStringLiteral("b.plst"),
                                      QStringLiteral("--out"), QStringLiteral("r")})
                     .error.isEmpty());
}
