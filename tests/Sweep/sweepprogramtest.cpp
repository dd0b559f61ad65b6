// torvane-sweep run for real: GNU parallel runs the variants with torvane-batch.
#include "Core/Operations/Document/documentstorage.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
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

} // namespace

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

    for (const QStringList &bad : {QStringList{"--set", "9:Depth=1"}, QStringList{"--set", "3:Thickness=1"},
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
