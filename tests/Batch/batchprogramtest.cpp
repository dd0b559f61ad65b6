#include "Batch/batchprogram.h"
#include "Core/Operations/BatchRun/processlistfile.h"
#include "Core/Steps/executor.h"
#include "Core/Operations/Document/documentstorage.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"
#include "Model/ModelExtraction/cantilevermodelrule.h"
#include "Model/ModelExtraction/preprocessing.h"
#include "Util/stoptoken.h"
#include "testsupport.h"
#include "volumetestsupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <climits>
#include <cmath>
#include <map>
#include <set>

using Batch::BatchOptions;
using Core::Operations::DocumentStorage;
using Core::Operations::ProcessListFile;
using Core::Steps::ProcessData;

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

// Si 4 cells thick in a 10 x 10 x 12 volume.
ProcessData substrateStep()
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

class ExampleList : public ::testing::TestWithParam<const char *>
{
};

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

INSTANTIATE_TEST_SUITE_P(Examples, ExampleList, ::testing::Values("v-groove", "cantilever", "doping-oxidation", "gdsii-comb",
                                                                  "sputter-via", "bosch-trenches", "koh-v-groove"));

TEST(BatchProgramTest, FailingStepStopsTheRunKeepsEarlierStepsAndExitsWithItsCode)
{
    QTemporaryDir out;
    const ProcessData substrate = substrateStep();
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
    ASSERT_TRUE(ProcessListFile::save({substrateStep(), walk, walk}, list));

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

TEST(BatchProgramTest, ThreadCountIsAWholeNumberUpToTheLimit)
{
    const struct
    {
        const char *text;
        int threads; // -1: refused
    } rows[] = {{"2", 2}, {"0", 0}, {" 7 ", 7}, {"1024", 1024}, {"1025", -1}, {"-1", -1}, {"two", -1}, {"1.5", -1}};
    for (const auto &row : rows) {
        const BatchOptions options =
            BatchOptions::parse({QStringLiteral("torvane-batch"), QStringLiteral("l.plst"), QStringLiteral("--threads"),
                                 QString::fromLatin1(row.text), QStringLiteral("--out"), QStringLiteral("r.tvn")});
        if (row.threads < 0) {
            EXPECT_TRUE(options.error.startsWith(QStringLiteral("--threads: "))) << row.text;
        } else {
            EXPECT_TRUE(options.error.isEmpty()) << row.text << ": " << options.error.toStdString();
            EXPECT_EQ(options.threads, row.threads) << row.text;
        }
    }
    EXPECT_EQ(BatchOptions::parse({QStringLiteral("torvane-batch"), QStringLiteral("l.plst"), QStringLiteral("--out"),
                                   QStringLiteral("r.tvn")})
                  .threads,
              -1);
    EXPECT_FALSE(BatchOptions::parse({QStringLiteral("torvane-batch"), QStringLiteral("l.plst"),
                                      QStringLiteral("--threads")})
                     .error.isEmpty());
}

namespace {

// The example's final volume, run in this process with the step runner.
boost::shared_ptr<Model::Automaton::TotalVolume> exampleVolume(const char *name)
{
    ProcessListFile::LoadResult loaded;
    if (!ProcessListFile::load(QStringLiteral(TORVANE_EXAMPLES_DIR "/%1.plst").arg(QLatin1String(name)), loaded))
        return boost::shared_ptr<Model::Automaton::TotalVolume>();
    QMap<int, bool> stale;
    Core::Steps::ProcessRunContext context;
    context.latticeStale = &stale;
    if (Core::Steps::runProcessSteps(loaded.list, context) != loaded.list.size())
        return boost::shared_ptr<Model::Automaton::TotalVolume>();
    return context.volume;
}

int mostCommon(const std::vector<int> &values)
{
    std::map<int, int> counts;
    for (int v : values)
        ++counts[v];
    int best = 0, seen = 0;
    for (const auto &c : counts)
        if (c.second > seen) {
            best = c.first;
            seen = c.second;
        }
    return best;
}

// The substrate with 2 units of oxide on top, saved as a list in folder.
QString oxideList(const QTemporaryDir &folder)
{
    ProcessData cvd(ProcessData::Cvd);
    cvd.setMaterial(QStringLiteral("Material"), 3, QStringLiteral("Thermal Si02"), Qt::blue);
    cvd.setParameter(QStringLiteral("Thickness"), QVariant(2.0), true);
    const QString list = folder.filePath(QStringLiteral("oxide.plst"));
    EXPECT_TRUE(ProcessListFile::save({substrateStep(), cvd}, list));
    return list;
}

QStringList filesIn(const QTemporaryDir &folder, const QString &except)
{
    QStringList files = QDir(folder.path()).entryList(QDir::Files);
    files.removeAll(except);
    return files;
}

} // namespace

// What the README says of the line-of-sight examples: the sputtered film is
// thinner on the via's floor than on the top; the Bosch trenches are the
// deeper the wider, the widest near 20 cycles of 4.
TEST(ExampleLineOfSight, TheViaFloorGetsLessFilmAndNarrowTrenchesEtchShallower)
{
    const boost::shared_ptr<Model::Automaton::TotalVolume> via = exampleVolume("sputter-via");
    ASSERT_TRUE(via);
    const auto filmAt = [&](unsigned x, unsigned y) {
        unsigned film = 0;
        for (unsigned z = 0; z < via->getSizeZ(); ++z)
            film += TestSupport::materialAt(*via, x, y, z) == 4u;
        return film;
    };
    EXPECT_EQ(filmAt(4, 4), 6u);
    EXPECT_GE(filmAt(32, 32), 1u);
    EXPECT_LE(filmAt(32, 32), 4u);

    const boost::shared_ptr<Model::Automaton::TotalVolume> trenches = exampleVolume("bosch-trenches");
    ASSERT_TRUE(trenches);
    double last = 0;
    for (unsigned centre : {16u, 44u, 80u, 128u}) { // openings 4, 8, 16 and 32 wide
        double depth = 0;
        for (unsigned y = 0; y < trenches->getSizeY(); ++y) {
            unsigned z = 120;
            while (z > 0 && TestSupport::materialAt(*trenches, centre, y, z - 1) == 0)
                --z;
            depth += 120 - z;
        }
        depth /= trenches->getSizeY();
        EXPECT_GT(depth, last) << centre;
        last = depth;
    }
    EXPECT_NEAR(last, 80, 12);
}

TEST(ExampleCantilever, BeamIsFoundWithItsDimensionsAndResonatesAtItsFirstMode)
{
    const boost::shared_ptr<Model::Automaton::TotalVolume> volume = exampleVolume("cantilever");
    ASSERT_TRUE(volume);
    const unsigned poly = 16;

    // The beam measured from the cells: the planes across x at the far end
    // whose poly-Si spans less than half the anchor's width in y; its width
    // and thickness are the spans most of those planes have.
    std::vector<int> spanY(volume->getSizeX(), 0), spanZ(volume->getSizeX(), 0);
    {
        const Model::Automaton::Voxel *cells = volume->lockCells();
        for (unsigned x = 0; x < volume->getSizeX(); ++x) {
            int y0 = INT_MAX, y1 = -1, z0 = INT_MAX, z1 = -1;
            for (unsigned y = 0; y < volume->getSizeY(); ++y)
                for (unsigned z = 0; z < volume->getSizeZ(); ++z)
                    if (cells[volume->cellIndex(x, y, z)].material == poly) {
                        y0 = std::min(y0, int(y));
                        y1 = std::max(y1, int(y));
                        z0 = std::min(z0, int(z));
                        z1 = std::max(z1, int(z));
                    }
            spanY[x] = y1 - y0 + 1;
            spanZ[x] = z1 - z0 + 1;
        }
        volume->unlockCells();
    }
    const int anchorWidth = *std::max_element(spanY.begin(), spanY.end());
    int tip = int(volume->getSizeX()) - 1;
    while (tip >= 0 && spanY[tip] <= 0)
        --tip;
    int root = tip;
    while (root > 0 && spanY[root - 1] > 0 && 2 * spanY[root - 1] < anchorWidth)
        --root;
    const int length = tip - root + 1;
    const int width = mostCommon(std::vector<int>(spanY.begin() + root, spanY.begin() + tip + 1));
    const int thickness = mostCommon(std::vector<int>(spanZ.begin() + root, spanZ.begin() + tip + 1));
    ASSERT_GT(length, 20);

    const Model::ModelExtraction::BoxList boxes = Model::ModelExtraction::Preprocessing::run(*volume);
    const Model::ModelExtraction::CantileverStructure::CellEdges edges =
        Model::ModelExtraction::CantileverStructure::cellEdges(*volume);
    Model::ModelExtraction::CantileverModelRule rule(edges);
    const boost::shared_ptr<Model::ModelExtraction::IStructure> structure = rule.apply(boxes);
    ASSERT_TRUE(structure);
    ASSERT_EQ(1u, rule.getCantilevers().size());
    const Model::ModelExtraction::CantileverStructure::Cantilever c = rule.getCantilevers()[0];
    EXPECT_EQ(poly, c.material);
    EXPECT_NEAR(c.t, length, 1);
    EXPECT_NEAR(c.u, width, 1);
    EXPECT_NEAR(c.v, thickness, 1);

    // Its LC pair against Euler–Bernoulli's first mode of a beam of the size found.
    double l = 0, cap = 0;
    for (const QString &line : structure->netlist().split('\n')) {
        const QStringList f = line.split(' ', Qt::SkipEmptyParts);
        if (f.size() == 4 && f[0] == "c1")
            cap = f[3].toDouble();
        if (f.size() == 4 && f[0] == "l1")
            l = f[3].toDouble();
    }
    ASSERT_GT(l * cap, 0);
    const Model::Materials::Material m = Model::Materials::MaterialFactory::instance()->getMaterial(poly);
    const double E = m.getYoungModulus(), rho = m.getDensity();
    const double um = volume->getUnitLength() * 1e-6;
    const double L = c.t * volume->getCellSizeX() * um, w = c.u * volume->getCellSizeY() * um;
    const double h = c.v * volume->getCellSizeZ() * um, beta = 1.8751040687119611;
    const double f1 = beta * beta / (2 * M_PI) * std::sqrt(E * w * h * h * h / 12 / (rho * w * h)) / (L * L);
    EXPECT_NEAR(1 / (2 * M_PI * std::sqrt(l * cap)), f1, 0.03 * f1);
}

TEST(BatchProgramTest, NetlistOptionWritesTheCantileversOrSaysThereAreNone)
{
    QTemporaryDir out;
    const QString netlist = out.filePath(QStringLiteral("beam.cir"));
    const BatchRun found = runBatch({QStringLiteral(TORVANE_EXAMPLES_DIR "/cantilever.plst"), QStringLiteral("--out"),
                                     out.filePath(QStringLiteral("c.tvn")), QStringLiteral("--netlist"), netlist},
                                    false);
    EXPECT_EQ(Batch::ExitSuccess, found.exitCode) << found.err.toStdString();
    QFile file(netlist);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.startsWith(QStringLiteral("Model extracted by Torvane\nc1 1 0 "))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral(".end \n")));

    const QString none = out.filePath(QStringLiteral("none.cir"));
    const BatchRun missing = runBatch({QStringLiteral(TORVANE_EXAMPLES_DIR "/doping-oxidation.plst"), QStringLiteral("--out"),
                                       out.filePath(QStringLiteral("d.tvn")), QStringLiteral("--netlist"), none},
                                      false);
    EXPECT_EQ(Batch::ExitStepFailed, missing.exitCode);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("No model data was extracted."))) << missing.err.toStdString();
    EXPECT_FALSE(QFile::exists(none));
    EXPECT_TRUE(QFile::exists(out.filePath(QStringLiteral("d.tvn"))));

    EXPECT_EQ(QStringLiteral("--netlist needs a file name"),
              BatchOptions::parse({QStringLiteral("torvane-batch"), QStringLiteral("l.plst"), QStringLiteral("--out"),
                                   QStringLiteral("r.tvn"), QStringLiteral("--netlist")})
                  .error);
}

TEST(BatchAnalysisTest, SectionsMeasurementsAndExportsOfTheFinalVolumeNeedNoDisplay)
{
    QTemporaryDir out;
    const QString list = oxideList(out);
    const BatchRun run = runBatch({list, QStringLiteral("--out"), out.filePath("r.tvn"), QStringLiteral("--section"),
                                   QStringLiteral("x=5:") + out.filePath("x5.png"), QStringLiteral("--section"),
                                   QStringLiteral("Z=5:") + out.filePath("z5.png"), QStringLiteral("--measure"),
                                   out.filePath("m.json"), QStringLiteral("--column"), QStringLiteral("3,4"),
                                   QStringLiteral("--export-vti"), out.filePath("v.vti"),
                                   QStringLiteral("--export-stl"), out.filePath("s")},
                                  false);
    ASSERT_EQ(Batch::ExitSuccess, run.exitCode) << run.out.toStdString() << run.err.toStdString();
    for (const char *png : {"x5.png", "z5.png"}) {
        const QImage image(out.filePath(QLatin1String(png)));
        EXPECT_GE(image.width(), 800) << png;
    }
    // Substrate 0-4, oxide on top to 6, then empty.
    const QJsonObject top = QJsonDocument::fromJson(TestSupport::readAll(out.filePath("m.json"))).object();
    const QJsonArray layers = top.value("columns").toArray().at(0).toObject().value("layers").toArray();
    ASSERT_EQ(3, layers.size());
    EXPECT_EQ(QStringLiteral("Si"), layers[0].toObject().value("material").toString());
    EXPECT_DOUBLE_EQ(4.0, layers[0].toObject().value("z_to").toDouble());
    EXPECT_EQ(QStringLiteral("Thermal Si02"), layers[1].toObject().value("material").toString());
    EXPECT_DOUBLE_EQ(2.0, layers[1].toObject().value("thickness").toDouble());
    EXPECT_EQ(400, top.value("materials").toArray().at(0).toObject().value("cells").toInt());
    EXPECT_TRUE(run.out.contains(QStringLiteral("Thermal Si02 (3): z 4 to 6 \u00b5m, thickness 2 \u00b5m"))) << run.out.toStdString();
    EXPECT_TRUE(TestSupport::readAll(out.filePath("v.vti")).contains("Name=\"material\""));
    for (const char *stl : {"s-1.stl", "s-3.stl"})
        EXPECT_GT(QFileInfo(out.filePath(QLatin1String(stl))).size(), 84) << stl;
    EXPECT_TRUE(QFile::exists(out.filePath("m-top-surface.csv")));

    // The smooth surfaces instead of the cells' faces: other triangles, the same files.
    const BatchRun smooth = runBatch({list, QStringLiteral("--out"), out.filePath("r2.tvn"), QStringLiteral("--export-stl"),
                                      out.filePath("t"), QStringLiteral("--stl-surface"), QStringLiteral("Smooth")},
                                     false);
    ASSERT_EQ(Batch::ExitSuccess, smooth.exitCode) << smooth.err.toStdString();
    for (const char *stl : {"1", "3"}) {
        const QByteArray cells = TestSupport::readAll(out.filePath(QStringLiteral("s-%1.stl").arg(QLatin1String(stl))));
        const QByteArray rounded = TestSupport::readAll(out.filePath(QStringLiteral("t-%1.stl").arg(QLatin1String(stl))));
        EXPECT_GT(rounded.size(), 84) << stl;
        EXPECT_TRUE(rounded.startsWith("Torvane smooth surface")) << stl;
        EXPECT_NE(cells.mid(84), rounded.mid(84)) << stl;
    }
}

TEST(BatchAnalysisTest, BadRequestsExitNonZeroWithAClearMessageAndWriteNoAnalysisFile)
{
    QTemporaryDir out;
    const QString list = oxideList(out);
    // "@" stands for each case's own empty folder.
    const struct
    {
        QStringList options;
        const char *says;
        bool documentWritten; // the run went ahead and only the analysis was refused
    } cases[] = {
        {{"--section", "w=3:@/a.png"}, "unknown axis \"w\": give x, y or z", false},
        {{"--section", "x3.png"}, "give AXIS=INDEX:FILE.png", false},
        {{"--section", "x=-1:@/a.png"}, "is not a cell number", false},
        {{"--column", "3,4"}, "--column needs --measure FILE.json", false},
        {{"--measure", "@/m.json", "--column", "3;4"}, "give X,Y as two cell numbers", false},
        {{"--section-particles", "q", "--section", "x=1:@/a.png"}, "give n, p or total", false},
        {{"--section-dopant", "Ga", "--section", "x=1:@/a.png"}, "--section-dopant \"Ga\": give B, P, As, Sb", false},
        {{"--section-dopant", "B"}, "--section-dopant needs a --section", false},
        {{"--section-dopant", "As", "--section-particles", "n", "--section", "x=1:@/a.png"}, "cannot be shown together",
         false},
        {{"--section", "z=12:@/a.png", "--measure", "@/m.json"}, "z runs from 0 to 11", true},
        {{"--section", "x=10:@/a.png"}, "x runs from 0 to 9", true},
        {{"--measure", "@/m.json", "--column", "10,0"}, "lies outside the volume", true},
        {{"--export-vti", "@/no/such/v.vti"}, "does not exist", false},
        {{"--export-stl", "@/no/such/s"}, "does not exist", false},
        {{"--stl-surface", "smooth"}, "--stl-surface needs --export-stl PREFIX", false},
        {{"--export-stl", "@/s", "--stl-surface", "round"}, "neither \"cells\" nor \"smooth\"", false},
        {{"--measure", "@"}, "is a folder", false},
    };
    for (const auto &c : cases) {
        QTemporaryDir work;
        QStringList arguments{list, QStringLiteral("--out"), work.filePath("r.tvn")};
        for (const QString &option : c.options)
            arguments << QString(option).replace(QLatin1Char('@'), work.path());
        const BatchRun run = runBatch(arguments, false);
        EXPECT_EQ(Batch::ExitUsage, run.exitCode) << c.says << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QLatin1String(c.says))) << c.says << ": " << run.err.toStdString();
        EXPECT_EQ(c.documentWritten ? QStringList{QStringLiteral("r.tvn")} : QStringList(), filesIn(work, QString()))
            << c.says;
    }
}

TEST(BatchAnalysisTest, AFailedListWritesTheDocumentButNoAnalysis)
{
    QTemporaryDir out;
    ProcessData cvd(ProcessData::Cvd); // no "Thickness": the step fails
    cvd.setMaterial(QStringLiteral("Material"), 3, QStringLiteral("Thermal Si02"), Qt::blue);
    const QString list = out.filePath(QStringLiteral("list.plst"));
    ASSERT_TRUE(ProcessListFile::save({substrateStep(), cvd}, list));
    const BatchRun run = runBatch({list, QStringLiteral("--out"), out.filePath("r.tvn"), QStringLiteral("--measure"),
                                   out.filePath("m.json")},
                                  false);
    EXPECT_EQ(Batch::ExitStepFailed, run.exitCode);
    EXPECT_TRUE(run.err.contains(QStringLiteral("no analysis file was written"))) << run.err.toStdString();
    EXPECT_EQ(QStringList{QStringLiteral("r.tvn")}, filesIn(out, QStringLiteral("list.plst")));
}

TEST(BatchAnalysisTest, SectionsAndColumnsRepeat)
{
    const BatchOptions options = BatchOptions::parse(
        {QStringLiteral("torvane-batch"), QStringLiteral("l.plst"), QStringLiteral("--out"), QStringLiteral("r"),
         QStringLiteral("--section"), QStringLiteral("x=1:a.png"), QStringLiteral("--section"),
         QStringLiteral("y=2:b:c.png"), QStringLiteral("--measure"), QStringLiteral("m.json"),
         QStringLiteral("--column"), QStringLiteral("1,2"), QStringLiteral("--column"), QStringLiteral("3,4")});
    ASSERT_TRUE(options.error.isEmpty()) << options.error.toStdString();
    ASSERT_EQ(2, options.analysis.sections.size());
    EXPECT_EQ(Model::Analysis::SectionAxis::Y, options.analysis.sections[1].axis);
    EXPECT_EQ(2u, options.analysis.sections[1].index);
    EXPECT_EQ(QStringLiteral("b:c.png"), options.analysis.sections[1].file);
    ASSERT_EQ(2u, options.analysis.columns.size());
    EXPECT_EQ(3u, options.analysis.columns[1].x);
    EXPECT_EQ(4u, options.analysis.columns[1].y);
    EXPECT_TRUE(BatchOptions::usage().contains(QStringLiteral("--export-stl PREFIX")));
    EXPECT_TRUE(BatchOptions::usage().contains(QStringLiteral("--stl-surface cells|smooth")));
}

namespace {

// A signal landing in "Create Substrate" after the volume was made and added to the scene.
class StoppedAsTheSubstrateIsMade : public Batch::BatchProgram
{
public:
    StoppedAsTheSubstrateIsMade(const BatchOptions &options, Util::StopToken &stop)
        : BatchProgram(options, false, stdout, stderr, &stop), m_stop(stop)
    {
    }
    void setCurrentVolume(const boost::shared_ptr<Model::Automaton::TotalVolume> &volume) override
    {
        BatchProgram::setCurrentVolume(volume);
        m_stop.request();
    }

private:
    Util::StopToken &m_stop;
};

} // namespace

TEST(BatchProgramTest, AStoppedSubstrateLeavesNoVolumeInTheDocument)
{
    QTemporaryDir out;
    const QString list = out.filePath(QStringLiteral("list.plst"));
    ASSERT_TRUE(ProcessListFile::save({substrateStep()}, list));
    const QString document = out.filePath(QStringLiteral("stopped.tvn"));
    Util::StopToken stop;
    StoppedAsTheSubstrateIsMade program(
        BatchOptions::parse({QStringLiteral("torvane-batch"), list, QStringLiteral("--out"), document}), stop);
    EXPECT_EQ(Batch::ExitStopped, program.exec());
    Core::Operations::Workspace workspace;
    ASSERT_EQ(DocumentStorage::Loaded, DocumentStorage::load(document, workspace, nullptr));
    EXPECT_TRUE(workspace.document().getObjects().isEmpty());
}
