#include "Sweep/sweepplan.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

using Sweep::GridAxis;

namespace {

GridAxis axis(const QString &text)
{
    GridAxis parsed;
    QString error;
    EXPECT_TRUE(GridAxis::parse(text, parsed, &error)) << error.toStdString();
    return parsed;
}

} // namespace

TEST(SweepGrid, ListsAndRangesGiveTheirValues)
{
    struct Case
    {
        const char *text;
        QStringList values;
    };
    const Case cases[] = {
        {"3:Film Thickness=2,3,4", {"2", "3", "4"}},
        {"3:Film Thickness= 2.5 ,x", {"2.5", "x"}},
        {"8:Depth=5:9:2", {"5", "7", "9"}},
        {"8:Depth=5:10:2", {"5", "7", "9"}},
        {"8:Depth=0.1:0.3:0.1", {"0.1", "0.2", "0.3"}},
        {"8:Depth=1:0:-0.5", {"1", "0.5", "0"}},
        {"2:Corner=1;2;3,4;5;6", {"1;2;3", "4;5;6"}},
    };
    for (const Case &c : cases) {
        const GridAxis parsed = axis(QString::fromLatin1(c.text));
        EXPECT_EQ(c.values, parsed.values) << c.text;
    }
    EXPECT_EQ(QStringLiteral("3:Film Thickness"), axis(QStringLiteral("3:Film Thickness=1")).target.target());
}

TEST(SweepGrid, ImpossibleGridsAreRefused)
{
    for (const char *text : {"Depth=1,2", "0:Depth=1", "8:Depth=", "8:Depth=1,,2", "8:Depth=1:5:0", "8:Depth=5:1:1",
                             "8:Depth=0:1e9:1", "8:Depth=0:inf:1"}) {
        GridAxis parsed;
        QString error;
        EXPECT_FALSE(GridAxis::parse(QString::fromLatin1(text), parsed, &error)) << text;
        EXPECT_FALSE(error.isEmpty()) << text;
    }
}

TEST(SweepGrid, VariantsVaryTheFirstAxisSlowest)
{
    const QList<QStringList> variants =
        Sweep::variantValues({axis(QStringLiteral("1:A=a,b")), axis(QStringLiteral("2:B=1,2,3"))});
    const QList<QStringList> expected = {{"a", "1"}, {"a", "2"}, {"a", "3"}, {"b", "1"}, {"b", "2"}, {"b", "3"}};
    EXPECT_EQ(expected, variants);
}

TEST(SweepPlan, JobLinesQuoteEveryWordAndKeepTheExitStatus)
{
    Sweep::SweepPlan plan;
    plan.listFile = QStringLiteral("/lists/it's.plst");
    plan.folder = QStringLiteral("/runs/a b");
    plan.batchProgram = QStringLiteral("/bin/torvane-batch");
    plan.axes << axis(QStringLiteral("3:Film Thickness=2"));
    plan.columns << QStringLiteral("10,20");
    EXPECT_EQ(QStringLiteral("'/bin/torvane-batch' '/lists/it'\\''s.plst' --out '/runs/a b/variants/0007/result.tvn' "
                             "--measure '/runs/a b/variants/0007/measure.json' --column '10,20' "
                             "--set '3:Film Thickness=2' > '/runs/a b/variants/0007/log.txt' 2>&1; s=$?; "
                             "echo $s > '/runs/a b/variants/0007/status'; exit $s"),
              plan.jobLine(7, {QStringLiteral("2")}));
    plan.threads = 1;
    EXPECT_TRUE(plan.jobLine(7, {QStringLiteral("2")}).contains(QStringLiteral("--column '10,20' --threads 1 --set")));
}

TEST(SweepPlan, SlurmScriptIsAnArrayOverTheJobLines)
{
    Sweep::SweepPlan plan;
    plan.folder = QStringLiteral("/runs/s");
    plan.axes << axis(QStringLiteral("1:A=a,b,c")) << axis(QStringLiteral("2:B=1,2"));
    Sweep::SlurmOptions slurm;
    slurm.limit = 4;
    slurm.time = QStringLiteral("00:10:00");
    slurm.memory = QStringLiteral("1G");
    const QString script = plan.sbatchScript(slurm);
    EXPECT_TRUE(script.startsWith(QStringLiteral("#!/bin/bash\n")));
    EXPECT_TRUE(script.contains(QStringLiteral("#SBATCH --array=0-5%4\n"))) << script.toStdString();
    EXPECT_TRUE(script.contains(QStringLiteral("#SBATCH --time=00:10:00\n")));
    EXPECT_TRUE(script.contains(QStringLiteral("#SBATCH --mem=1G\n")));
    EXPECT_FALSE(script.contains(QStringLiteral("--partition")));
    EXPECT_TRUE(script.contains(QStringLiteral("SLURM_ARRAY_TASK_ID + 1))p\" '/runs/s/jobs.txt'")));
    slurm.limit = 0;
    EXPECT_TRUE(plan.sbatchScript(slurm).contains(QStringLiteral("#SBATCH --array=0-5\n")));
}

TEST(SweepCollect, TableHoldsValuesStatusReasonsAndEveryFigure)
{
    QTemporaryDir dir;
    Sweep::SweepPlan plan;
    plan.listFile = QStringLiteral("/lists/l.plst");
    plan.folder = dir.path();
    plan.batchProgram = QStringLiteral("/bin/torvane-batch");
    plan.axes << axis(QStringLiteral("3:Film Thickness=2,-1,4"));
    QString error;
    ASSERT_TRUE(plan.write(&error)) << error.toStdString();
    EXPECT_EQ(QByteArray("variant,3:Film Thickness\n0,2\n1,-1\n2,4\n"),
              TestSupport::readAll(dir.filePath(Sweep::variantsFileName())));
    EXPECT_EQ(3, TestSupport::readAll(dir.filePath(Sweep::jobsFileName())).count('\n'));

    // Variant 0 ran, variant 1 failed, variant 2 never ran.
    TestSupport::writeFile(plan.variantFolder(0) + "/status", "0\n");
    TestSupport::writeFile(plan.variantFolder(0) + "/measure.json",
                           R"({"materials":[{"id":16,"name":"Poly-Si","cells":120,"volume":1.5}],)"
                           R"("columns":[{"x":3,"y":4,"layers":[{"material_id":1,"thickness":2}]}]})");
    TestSupport::writeFile(plan.variantFolder(1) + "/status", "2\n");
    TestSupport::writeFile(plan.variantFolder(1) + "/log.txt",
                           "1/8  Create Substrate  ok\n"
                           "torvane-batch: step 3/8 Isotropic Deposition failed: invalid value, \"x\"\n"
                           "document written to r.tvn\n");
    QString csv;
    ASSERT_TRUE(Sweep::collect(dir.path(), csv, &error)) << error.toStdString();
    // Figures in the measurement file's key order (sorted); names with commas quoted.
    EXPECT_TRUE(csv.startsWith(QStringLiteral(
        "variant,3:Film Thickness,status,exit_code,reason,\"columns.3,4.layers.0.material_id\","
        "\"columns.3,4.layers.0.thickness\",\"columns.3,4.x\",\"columns.3,4.y\",materials.16.cells,"
        "materials.16.id,materials.16.name,materials.16.volume\n")))
        << csv.toStdString();
    const QStringList lines = csv.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(4, lines.size());
    EXPECT_EQ(QStringLiteral("0,2,ok,0,,1,2,3,4,120,16,Poly-Si,1.5"), lines.at(1));
    EXPECT_EQ(QStringLiteral("1,-1,failed,2,\"step 3/8 Isotropic Deposition failed: invalid value, \"\"x\"\"\",,,,,,,,"),
              lines.at(2));
    EXPECT_EQ(QStringLiteral("2,4,not run,,,,,,,,,,"), lines.at(3));
    EXPECT_EQ(csv.toUtf8(), TestSupport::readAll(dir.filePath(Sweep::resultsFileName())));
}

TEST(SweepCollect, FolderWithoutASweepIsRefused)
{
    QTemporaryDir dir;
    QString csv, error;
    EXPECT_FALSE(Sweep::collect(dir.path(), csv, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("holds no sweep")));
}
