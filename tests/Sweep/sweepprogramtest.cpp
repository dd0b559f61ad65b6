// torvane-sweep run for real: GNU parallel runs the variants with torvane-batch.
#include "Core/Operations/Document/documentstorage.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"
#include "Sweep/sweepplan.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <QPoint>
#include <QSet>

#include <cmath>
#include <signal.h>

namespace {

const QString sweepProgram = QStringLiteral(TORVANE_SWEEP_PROGRAM);
const QString batchProgram = QStringLiteral(TORVANE_BATCH_PROGRAM);
const QString cantilever = QStringLiteral(TORVANE_EXAMPLES_DIR "/cantilever.plst");

struct ProgramRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

ProgramRun runProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    ProgramRun result;
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = process.exitCode();
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

// Film thickness of the beam (step 3) against depth of the release etch (step 8).
QStringList sixVariants()
{
    return {QStringLiteral("--grid"), QStringLiteral("3:Film Thickness=2,3,4"), QStringLiteral("--grid"),
            QStringLiteral("8:Depth=5:7:2")};
}

QList<QStringList> sixValues()
{
    return {{"2", "5"}, {"2", "7"}, {"3", "5"}, {"3", "7"}, {"4", "5"}, {"4", "7"}};
}

// The material ids of every cell of the document's only volume.
std::vector<unsigned> cells(const QString &document)
{
    Core::Operations::Workspace workspace;
    QString message;
    EXPECT_EQ(Core::Operations::DocumentStorage::Loaded,
              Core::Operations::DocumentStorage::load(document, workspace, nullptr, &message))
        << document.toStdString() << ": " << message.toStdString();
    std::vector<unsigned> materials;
    const auto objects = workspace.document().getObjects();
    if (objects.size() != 1)
        return materials;
    auto volume = boost::dynamic_pointer_cast<Model::Automaton::TotalVolume>(objects.first());
    const Model::Automaton::Voxel *voxels = volume->lockCells();
    for (size_t i = 0; i < size_t(volume->getSizeX()) * volume->getSizeY() * volume->getSizeZ(); ++i)
        materials.push_back(voxels[i].material);
    volume->unlockCells();
    return materials;
}

// The fields of one CSV line; a quoted field may hold commas.
QStringList csvFields(const QString &line)
{
    QStringList fields(QString{});
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('"') && quoted && i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"'))
            fields.last() += line.at(++i);
        else if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == QLatin1Char(',') && !quoted)
            fields << QString();
        else
            fields.last() += c;
    }
    return fields;
}

// A measurement file without the name of its height-map file, which follows the file's own name.
QJsonObject measured(const QString &fileName)
{
    QJsonObject object = QJsonDocument::fromJson(TestSupport::readAll(fileName)).object();
    QJsonObject top = object.value(QStringLiteral("top_surface")).toObject();
    EXPECT_TRUE(top.contains(QStringLiteral("csv"))) << fileName.toStdString();
    top.remove(QStringLiteral("csv"));
    object.insert(QStringLiteral("top_surface"), top);
    EXPECT_FALSE(object.value(QStringLiteral("materials")).toArray().isEmpty()) << fileName.toStdString();
    return object;
}

bool haveParallel() { return !QStandardPaths::findExecutable(QStringLiteral("parallel")).isEmpty(); }

// Thickness of each material in cell column (x, y) of a document's only volume, by material name.
QMap<QString, double> columnThickness(const QString &document, unsigned x, unsigned y)
{
    Core::Operations::Workspace workspace;
    QString message;
    EXPECT_EQ(Core::Operations::DocumentStorage::Loaded,
              Core::Operations::DocumentStorage::load(document, workspace, nullptr, &message));
    QMap<QString, double> thickness;
    const auto objects = workspace.document().getObjects();
    if (objects.size() != 1)
        return thickness;
    auto volume = boost::dynamic_pointer_cast<Model::Automaton::TotalVolume>(objects.first());
    const auto catalogue = Model::Materials::MaterialFactory::instance();
    const Model::Automaton::Voxel *voxels = volume->lockCells();
    for (unsigned z = 0; z < volume->getSizeZ(); ++z) {
        const unsigned material = voxels[volume->cellIndex(x, y, z)].material;
        if (material != 0)
            thickness[catalogue->getMaterial(material).getName()] += volume->getCellSizeZ();
    }
    volume->unlockCells();
    return thickness;
}

// Each beam's first-mode frequency from a netlist torvane-batch wrote.
QList<double> netlistFrequencies(const QString &fileName)
{
    QMap<int, QPair<double, double>> beams;
    for (const QByteArray &line : TestSupport::readAll(fileName).split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() == 4 && (words.at(0).startsWith('c') || words.at(0).startsWith('l'))) {
            const int beam = words.at(0).mid(1).toInt();
            (words.at(0).startsWith('c') ? beams[beam].first : beams[beam].second) = words.at(3).toDouble();
        }
    }
    QList<double> frequencies;
    for (const auto &beam : beams)
        frequencies << 1.0 / (2.0 * M_PI * std::sqrt(beam.first * beam.second));
    return frequencies;
}

} // namespace

// The cantilever swept over its film thickness with --netlist: each beam's
// frequency is the one a single torvane-batch run of that variant gives, the
// thickness columns are the documents' own, no figure is the same in every
// variant, and the long table holds the wide one.
TEST(SweepProgram, CantileverFrequenciesAndThicknessesMatchEachVariantsOwnRun)
{
    if (!haveParallel())
        GTEST_SKIP() << "GNU parallel is not installed";
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("sweep"));
    const ProgramRun sweep =
        runProgram(sweepProgram, {cantilever, "--grid", "3:Film Thickness=2:5:1", "--measure", "--column", "32,20",
                                  "--column", "32,50", "--netlist", "--out", folder, "--run", "parallel", "--jobs", "2"});
    // Film thickness 5 never releases the beam: torvane-batch finds no cantilever there.
    EXPECT_EQ(1, sweep.exitCode) << sweep.out.toStdString() << sweep.err.toStdString();
    const ProgramRun collected = runProgram(sweepProgram, {QStringLiteral("collect"), folder});
    ASSERT_EQ(0, collected.exitCode) << collected.err.toStdString();
    EXPECT_TRUE(collected.err.contains(QStringLiteral("the same in every variant left out"))) << collected.err.toStdString();
    const QStringList lines = collected.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(5, lines.size()) << collected.out.toStdString();
    const QStringList header = csvFields(lines.at(0));
    for (const QString &name : header)
        EXPECT_FALSE(name.contains(QLatin1Char(','))) << name.toStdString();

    Sweep::SweepPlan plan;
    plan.folder = folder;
    QList<QStringList> rows;
    for (int v = 0; v < 4; ++v) {
        SCOPED_TRACE(v);
        const QStringList row = csvFields(lines.at(v + 1));
        ASSERT_EQ(header.size(), row.size());
        rows << row;
        auto value = [&](const QString &name) { return row.value(header.indexOf(name)); };
        const QString thickness = QString::number(v + 2);
        EXPECT_EQ(thickness, value(QStringLiteral("3:Film Thickness")));

        // The same variant run alone.
        const QString one = dir.filePath(QStringLiteral("one-%1").arg(v));
        const ProgramRun single = runProgram(batchProgram, {cantilever, "--out", one + ".tvn", "--netlist", one + ".cir",
                                                            "--set", "3:Film Thickness=" + thickness});
        const QList<double> expected = netlistFrequencies(one + ".cir");
        if (v < 3) {
            ASSERT_EQ(0, single.exitCode) << single.err.toStdString();
            ASSERT_EQ(1, expected.size());
            EXPECT_EQ(QStringLiteral("ok"), value(QStringLiteral("status")));
            const double swept = value(QStringLiteral("beam_1.frequency_hz")).toDouble();
            EXPECT_NEAR(expected.first(), swept, expected.first() * 1e-5);
            EXPECT_GT(swept, 1e3);
            EXPECT_TRUE(value(QStringLiteral("netlist_reason")).isEmpty());
        } else {
            EXPECT_EQ(2, single.exitCode);
            EXPECT_TRUE(single.err.contains(QStringLiteral("No model data was extracted.")));
            EXPECT_TRUE(value(QStringLiteral("beam_1.frequency_hz")).isEmpty());
            EXPECT_EQ(QStringLiteral("0"), value(QStringLiteral("beams")));
            EXPECT_EQ(QStringLiteral("no cantilever was found"), value(QStringLiteral("netlist_reason")));
        }

        // Thickness by material name, against the document's cells.
        for (const QPoint column : {QPoint(32, 20), QPoint(32, 50)}) {
            const QMap<QString, double> cellsThick =
                columnThickness(plan.variantFolder(v) + "/result.tvn", unsigned(column.x()), unsigned(column.y()));
            ASSERT_FALSE(cellsThick.isEmpty());
            const QString prefix = QStringLiteral("col_%1_%2.thickness.").arg(column.x()).arg(column.y());
            for (const QString &name : header) {
                if (!name.startsWith(prefix))
                    continue;
                EXPECT_DOUBLE_EQ(cellsThick.value(name.mid(prefix.size())), value(name).toDouble()) << name.toStdString();
            }
            for (auto it = cellsThick.begin(); it != cellsThick.end(); ++it) {
                const int at = header.indexOf(prefix + it.key());
                // A material the table leaves out is equally thick in every variant (the silicon).
                if (at < 0)
                    EXPECT_EQ(QStringLiteral("Si"), it.key());
            }
        }
    }
    // The unreleased beam shows in its column's stack and in the oxide the release etch left.
    EXPECT_NE(rows.at(0).value(header.indexOf(QStringLiteral("col_32_20.stack"))),
              rows.at(3).value(header.indexOf(QStringLiteral("col_32_20.stack"))));
    // No figure column holds one value in every variant.
    for (int c = header.indexOf(QStringLiteral("reason")) + 1; c < header.size(); ++c) {
        QSet<QString> values;
        for (const QStringList &row : rows)
            values.insert(row.value(c));
        EXPECT_GT(values.size(), 1) << header.at(c).toStdString();
    }

    // The long table, pivoted back, is the wide table.
    const ProgramRun longRun = runProgram(sweepProgram, {QStringLiteral("collect"), folder, QStringLiteral("--long")});
    ASSERT_EQ(0, longRun.exitCode) << longRun.err.toStdString();
    EXPECT_EQ(longRun.out.toUtf8(), TestSupport::readAll(folder + QStringLiteral("/results-long.csv")));
    QList<QStringList> pivoted;
    for (const QStringList &row : rows) {
        QStringList empty;
        for (int c = 0; c < row.size(); ++c)
            empty << QString();
        empty[0] = row.at(0);
        empty[1] = row.at(1);
        pivoted << empty;
    }
    const QStringList longLines = longRun.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ((QStringList{"variant", "3:Film Thickness", "quantity", "value", "unit"}), csvFields(longLines.at(0)));
    for (int i = 1; i < longLines.size(); ++i) {
        const QStringList f = csvFields(longLines.at(i));
        const int v = f.value(0).toInt(), c = header.indexOf(f.value(2));
        ASSERT_TRUE(v >= 0 && v < 4 && c >= 0) << longLines.at(i).toStdString();
        pivoted[v][c] = f.value(3);
    }
    EXPECT_EQ(rows, pivoted);
}

TEST(SweepProgram, SixVariantsWithParallelEqualTheSixRunsOneByOne)
{
    if (!haveParallel())
        GTEST_SKIP() << "GNU parallel is not installed";
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("sweep"));
    const ProgramRun sweep = runProgram(sweepProgram, QStringList() << cantilever << sixVariants() << QStringLiteral("--measure")
                                                      << QStringLiteral("--column") << QStringLiteral("32,20")
                                                      << QStringLiteral("--out") << folder << QStringLiteral("--run")
                                                      << QStringLiteral("parallel") << QStringLiteral("--jobs")
                                                      << QStringLiteral("2"));
    ASSERT_EQ(0, sweep.exitCode) << sweep.out.toStdString() << sweep.err.toStdString();
    const ProgramRun collected = runProgram(sweepProgram, {QStringLiteral("collect"), folder});
    ASSERT_EQ(0, collected.exitCode) << collected.err.toStdString();
    const QStringList rows = collected.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(7, rows.size()) << collected.out.toStdString();
    EXPECT_TRUE(rows.at(0).startsWith(QStringLiteral("variant,3:Film Thickness,8:Depth,status,exit_code,reason,")));

    Sweep::SweepPlan plan;
    plan.folder = folder;
    const QList<QStringList> values = sixValues();
    for (int v = 0; v < values.size(); ++v) {
        EXPECT_TRUE(rows.at(v + 1).startsWith(QStringLiteral("%1,%2,%3,ok,0,,").arg(v).arg(values.at(v).at(0),
                                                                                         values.at(v).at(1))))
            << rows.at(v + 1).toStdString();
        const QString one = dir.filePath(QStringLiteral("one-%1").arg(v));
        const ProgramRun single = runProgram(batchProgram, {cantilever, QStringLiteral("--out"), one + ".tvn",
                                              QStringLiteral("--measure"), one + ".json", QStringLiteral("--column"),
                                              QStringLiteral("32,20"), QStringLiteral("--set"),
                                              "3:Film Thickness=" + values.at(v).at(0), QStringLiteral("--set"),
                                              "8:Depth=" + values.at(v).at(1)});
        ASSERT_EQ(0, single.exitCode) << single.err.toStdString();
        const std::vector<unsigned> swept = cells(plan.variantFolder(v) + "/result.tvn");
        ASSERT_FALSE(swept.empty());
        EXPECT_EQ(cells(one + ".tvn"), swept) << "variant " << v;
        EXPECT_EQ(measured(one + ".json"), measured(plan.variantFolder(v) + "/measure.json")) << "variant " << v;
        // The table's figure is the one the single run measured.
        const QStringList header = csvFields(rows.at(0));
        const int column = header.indexOf(QStringLiteral("materials.16.cells"));
        ASSERT_GE(column, 0) << rows.at(0).toStdString();
        int polyCells = -1;
        for (const QJsonValue &m : measured(one + ".json").value(QStringLiteral("materials")).toArray())
            if (m.toObject().value(QStringLiteral("id")).toInt() == 16)
                polyCells = m.toObject().value(QStringLiteral("cells")).toInt();
        EXPECT_EQ(QString::number(polyCells), csvFields(rows.at(v + 1)).value(column)) << "variant " << v;
    }
    // Thicker films and deeper etches give other structures.
    EXPECT_NE(cells(plan.variantFolder(0) + "/result.tvn"), cells(plan.variantFolder(5) + "/result.tvn"));
}

TEST(SweepProgram, FailedVariantIsReportedAndTheOthersRun)
{
    if (!haveParallel())
        GTEST_SKIP() << "GNU parallel is not installed";
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("sweep"));
    const ProgramRun sweep = runProgram(sweepProgram, {cantilever, QStringLiteral("--grid"), QStringLiteral("3:Film Thickness=2,-1,3"),
                                         QStringLiteral("--out"), folder, QStringLiteral("--run"),
                                         QStringLiteral("parallel"), QStringLiteral("--jobs"), QStringLiteral("2")});
    EXPECT_EQ(1, sweep.exitCode) << "GNU parallel's count of failed jobs";
    QString csv, error;
    ASSERT_TRUE(Sweep::collect(folder, csv, &error)) << error.toStdString();
    const QStringList rows = csv.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(4, rows.size());
    EXPECT_TRUE(rows.at(1).startsWith(QStringLiteral("0,2,ok,0,")));
    EXPECT_TRUE(rows.at(2).startsWith(QStringLiteral("1,-1,failed,2,"))) << rows.at(2).toStdString();
    EXPECT_TRUE(rows.at(2).contains(QStringLiteral("Film Thickness"))) << "the runner's reason names the value";
    EXPECT_TRUE(rows.at(3).startsWith(QStringLiteral("2,3,ok,0,")));
}

TEST(SweepProgram, KilledSweepResumesOnlyTheUnfinishedVariants)
{
    if (!haveParallel() || QStandardPaths::findExecutable(QStringLiteral("setsid")).isEmpty())
        GTEST_SKIP() << "GNU parallel or setsid is not installed";
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("sweep"));
    const QStringList arguments = QStringList() << sweepProgram << cantilever << sixVariants() << QStringLiteral("--out")
                                                << folder << QStringLiteral("--run") << QStringLiteral("parallel")
                                                << QStringLiteral("--jobs") << QStringLiteral("1");
    // Its own process group, so that the kill reaches GNU parallel's jobs too.
    QProcess first;
    first.start(QStringLiteral("setsid"), arguments);
    ASSERT_TRUE(first.waitForStarted());
    Sweep::SweepPlan plan;
    plan.folder = folder;
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(plan.variantFolder(1) + "/status") && clock.elapsed() < 300000 &&
           first.state() == QProcess::Running)
        QThread::msleep(20);
    ASSERT_TRUE(QFileInfo::exists(plan.variantFolder(1) + "/status")) << "two variants ran";
    ::kill(-pid_t(first.processId()), SIGKILL);
    first.waitForFinished();
    const QDateTime firstRun = QFileInfo(plan.variantFolder(0) + "/log.txt").lastModified();
    int unfinished = 0;
    for (int v = 0; v < 6; ++v)
        unfinished += QFileInfo::exists(plan.variantFolder(v) + "/status") ? 0 : 1;
    ASSERT_GT(unfinished, 0) << "the kill came before the end";

    const ProgramRun again = runProgram(arguments.first(), arguments.mid(1) << QStringLiteral("--resume"));
    ASSERT_EQ(0, again.exitCode) << again.out.toStdString() << again.err.toStdString();
    QString csv, error;
    ASSERT_TRUE(Sweep::collect(folder, csv, &error)) << error.toStdString();
    EXPECT_EQ(6, csv.count(QStringLiteral(",ok,0,"))) << csv.toStdString();
    EXPECT_EQ(firstRun, QFileInfo(plan.variantFolder(0) + "/log.txt").lastModified()) << "variant 0 ran once";
}

TEST(SweepProgram, BadSweepsAreRefusedAndWriteNothing)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("sweep"));
    struct Case
    {
        QStringList arguments;
        const char *reason;
    };
    const QList<Case> cases = {
        {{cantilever, "--grid", "12:Depth=1,2", "--out", folder}, "no step 12"},
        {{cantilever, "--grid", "8:Dpth=1,2", "--out", folder}, "no parameter"},
        {{cantilever, "--grid", "8:Depth=1:2:0", "--out", folder}, "never reaches"},
        {{cantilever, "--out", folder}, "no --grid"},
        {{cantilever, "--grid", "8:Depth=1", "--out", folder, "--run", "pbs"}, "parallel or slurm"},
        {{cantilever, "--grid", "8:Depth=1", "--out", folder, "--column", "3"}, "X,Y"},
        {{dir.filePath("missing.plst"), "--grid", "8:Depth=1", "--out", folder}, "missing.plst"},
    };
    for (const Case &c : cases) {
        const ProgramRun refused = runProgram(sweepProgram, c.arguments);
        EXPECT_EQ(1, refused.exitCode) << c.reason;
        EXPECT_TRUE(refused.err.contains(QString::fromLatin1(c.reason))) << refused.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(folder)) << c.reason;
    }
    // A folder holding a sweep is not overwritten.
    ASSERT_EQ(0, runProgram(sweepProgram, {cantilever, "--grid", "8:Depth=1", "--out", folder}).exitCode);
    const ProgramRun again = runProgram(sweepProgram, {cantilever, "--grid", "8:Depth=2", "--out", folder});
    EXPECT_EQ(1, again.exitCode);
    EXPECT_TRUE(again.err.contains(QStringLiteral("already holds a sweep")));
    EXPECT_EQ(1, runProgram(sweepProgram, {cantilever, "--grid", "8:Depth=2", "--out", folder, "--resume"}).exitCode)
        << "another grid is not a resume";
}

TEST(SweepProgram, BatchSetChangesTheRunAndRefusesUnknownTargets)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain.tvn"), thick = dir.filePath("thick.tvn");
    ASSERT_EQ(0, runProgram(batchProgram, {cantilever, "--out", plain}).exitCode);
    const ProgramRun set = runProgram(batchProgram, {cantilever, "--out", thick, "--set", "3:Film Thickness=5", "--set",
                                       "3:Material=Al (bulk)"});
    ASSERT_EQ(0, set.exitCode) << set.err.toStdString();
    const std::vector<unsigned> a = cells(plain), b = cells(thick);
    EXPECT_EQ(0, std::count(a.begin(), a.end(), 4u));
    EXPECT_GT(std::count(b.begin(), b.end(), 4u), 0) << "the film is aluminium";

    // Step 3 keeps "Film Thickness"; "Thickness", the name CVD keeps, is declared as its alias.
    const QString alias = dir.filePath("alias.tvn");
    ASSERT_EQ(0, runProgram(batchProgram, {cantilever, "--out", alias, "--set", "3:Thickness=5", "--set",
                                           "3:Material=Al (bulk)"})
                     .exitCode);
    EXPECT_EQ(b, cells(alias));
    for (const QStringList &bad : {QStringList{"--set", "9:Depth=1"}, QStringList{"--set", "3:Thicknes=1"},
                                   QStringList{"--set", "3Film=1"}, QStringList{"--set"}}) {
        const ProgramRun refused = runProgram(batchProgram, QStringList{cantilever, "--out", dir.filePath("bad.tvn")} << bad);
        EXPECT_EQ(1, refused.exitCode) << bad.join(' ').toStdString();
        EXPECT_FALSE(refused.err.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(dir.filePath("bad.tvn")));
    }
    // A value that does not convert is the run's to refuse, as a stored one is.
    const ProgramRun invalid = runProgram(batchProgram, {cantilever, "--out", dir.filePath("inv.tvn"), "--set", "3:Film Thickness=thick"});
    EXPECT_EQ(2, invalid.exitCode);
}
