#include "Sweep/sweepplan.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include <QDir>
#include <QFile>
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
                           R"("columns":[{"x":3,"y":4,"layers":[{"material_id":1,"material":"Si","thickness":2},)"
                           R"({"material_id":0,"material":"empty","thickness":5}]}]})");
    TestSupport::writeFile(plan.variantFolder(1) + "/status", "2\n");
    TestSupport::writeFile(plan.variantFolder(1) + "/log.txt",
                           "1/8  Create Substrate  ok\n"
                           "torvane-batch: step 3/8 Isotropic Deposition failed: invalid value, \"x\"\n"
                           "document written to r.tvn\n");
    QString csv;
    ASSERT_TRUE(Sweep::collect(dir.path(), csv, &error)) << error.toStdString();
    // One variant has figures: nothing is the same "in every variant" yet. The
    // column's stack and thickness by material come first; names hold no commas.
    EXPECT_TRUE(csv.startsWith(QStringLiteral("variant,3:Film Thickness,status,exit_code,reason,col_3_4.stack,"
                                              "col_3_4.thickness.Si,materials.16.cells,materials.16.id,"
                                              "materials.16.name,materials.16.volume\n")))
        << csv.toStdString();
    const QStringList lines = csv.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(4, lines.size());
    EXPECT_EQ(QStringLiteral("0,2,ok,0,,Si,2,120,16,Poly-Si,1.5"), lines.at(1));
    EXPECT_EQ(QStringLiteral("1,-1,failed,2,\"step 3/8 Isotropic Deposition failed: invalid value, \"\"x\"\"\",,,,,,"),
              lines.at(2));
    EXPECT_EQ(QStringLiteral("2,4,not run,,,,,,,,"), lines.at(3));
    EXPECT_EQ(csv.toUtf8(), TestSupport::readAll(dir.filePath(Sweep::resultsFileName())));
}

namespace {

// A sweep folder of n variants over "3:Film Thickness", all written as ok.
Sweep::SweepPlan writtenPlan(const QTemporaryDir &dir, int n, bool netlist = false)
{
    Sweep::SweepPlan plan;
    plan.listFile = QStringLiteral("/lists/l.plst");
    plan.folder = dir.path();
    plan.batchProgram = QStringLiteral("/bin/torvane-batch");
    plan.netlist = netlist;
    QStringList values;
    for (int v = 0; v < n; ++v)
        values << QString::number(v + 2);
    plan.axes << axis(QStringLiteral("3:Film Thickness=") + values.join(QLatin1Char(',')));
    QString error;
    EXPECT_TRUE(plan.write(&error)) << error.toStdString();
    for (int v = 0; v < n; ++v)
        TestSupport::writeFile(plan.variantFolder(v) + "/status", "0\n");
    return plan;
}

// One column's layers, bottom to top, as (material id, name, thickness).
QByteArray measureFile(const QList<std::tuple<int, const char *, double>> &layers, int polyCells)
{
    QByteArray json = R"({"format":"torvane-measurements","version":1,"volume":{"size":[8,8,8],"units":"\u00b5m"},)"
                      R"("materials":[{"id":1,"name":"Si","cells":100},{"id":16,"name":"Poly-Si","cells":)" +
                      QByteArray::number(polyCells) + R"(}],"columns":[{"x":32,"y":20,"layers":[)";
    QByteArrayList parts;
    for (const auto &layer : layers)
        parts << R"({"material_id":)" + QByteArray::number(std::get<0>(layer)) + R"(,"material":")" +
                     std::get<1>(layer) + R"(","thickness":)" + QByteArray::number(std::get<2>(layer)) + "}";
    return json + parts.join(',') + "]}]}";
}

// The table as rows of header -> value.
QList<QMap<QString, QString>> rowsOf(const QString &csv)
{
    const QStringList lines = csv.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList header = Sweep::csvFields(lines.value(0));
    QList<QMap<QString, QString>> rows;
    for (int i = 1; i < lines.size(); ++i) {
        const QStringList fields = Sweep::csvFields(lines.at(i));
        QMap<QString, QString> row;
        for (int c = 0; c < header.size(); ++c)
            row.insert(header.at(c), fields.value(c));
        rows << row;
    }
    return rows;
}

} // namespace

// A column means the same material in every variant only by name: its
// thickness is named by material, 0 where a variant's column lacks it.
TEST(SweepCollect, ColumnsGiveEachMaterialsThicknessByNameAndTheirStack)
{
    QTemporaryDir dir;
    const Sweep::SweepPlan plan = writtenPlan(dir, 3);
    TestSupport::writeFile(plan.variantFolder(0) + "/measure.json",
                           measureFile({{1, "Si", 20}, {0, "empty", 3}, {16, "Poly-Si", 2}, {0, "empty", 15}}, 10));
    TestSupport::writeFile(plan.variantFolder(1) + "/measure.json",
                           measureFile({{1, "Si", 20}, {3, "Thermal Si02", 3}, {16, "Poly-Si", 3}, {0, "empty", 14}}, 20));
    TestSupport::writeFile(plan.variantFolder(2) + "/measure.json",
                           measureFile({{1, "Si", 20}, {3, "Thermal Si02", 1.5}, {16, "Poly-Si", 2}, {3, "Thermal Si02", 1.25},
                                        {0, "empty", 15.25}}, 30));
    QString csv, error;
    ASSERT_TRUE(Sweep::collect(dir.path(), csv, &error)) << error.toStdString();
    const QStringList header = Sweep::csvFields(csv.section(QLatin1Char('\n'), 0, 0));
    for (const QString &name : header)
        EXPECT_FALSE(name.contains(QLatin1Char(','))) << name.toStdString();
    const QList<QMap<QString, QString>> rows = rowsOf(csv);
    ASSERT_EQ(3, rows.size());
    const struct
    {
        const char *stack;
        const char *oxide, *poly;
    } expected[] = {{"Si / empty / Poly-Si", "0", "2"},
                    {"Si / Thermal Si02 / Poly-Si", "3", "3"},
                    {"Si / Thermal Si02 / Poly-Si / Thermal Si02", "2.75", "2"}};
    for (int v = 0; v < 3; ++v) {
        EXPECT_EQ(QLatin1String(expected[v].stack), rows.at(v).value(QStringLiteral("col_32_20.stack"))) << v;
        EXPECT_EQ(QLatin1String(expected[v].oxide), rows.at(v).value(QStringLiteral("col_32_20.thickness.Thermal Si02")))
            << v;
        EXPECT_EQ(QLatin1String(expected[v].poly), rows.at(v).value(QStringLiteral("col_32_20.thickness.Poly-Si"))) << v;
    }
    // Silicon is 20 thick in every variant, so it tells nothing here; by place, layers stay out.
    EXPECT_FALSE(header.contains(QStringLiteral("col_32_20.thickness.Si")));
    for (const QString &name : header)
        EXPECT_FALSE(name.contains(QStringLiteral(".layers."))) << name.toStdString();
}

TEST(SweepCollect, FiguresTheSameInEveryVariantAreLeftOutUnlessAllAreAskedFor)
{
    QTemporaryDir dir;
    const Sweep::SweepPlan plan = writtenPlan(dir, 4);
    for (int v = 0; v < 3; ++v)
        TestSupport::writeFile(plan.variantFolder(v) + "/measure.json",
                               measureFile({{1, "Si", 20}, {16, "Poly-Si", double(v + 1)}}, v < 2 ? 10 : 11));
    // A variant that has not run has no figures: it does not make a figure differ.
    QFile::remove(plan.variantFolder(3) + "/status");
    Sweep::CollectedTables tables;
    QString error;
    ASSERT_TRUE(Sweep::collect(dir.path(), Sweep::CollectOptions(), tables, &error)) << error.toStdString();
    const QStringList header = Sweep::csvFields(tables.csv.section(QLatin1Char('\n'), 0, 0));
    EXPECT_EQ((QStringList{"variant", "3:Film Thickness", "status", "exit_code", "reason",
                           "col_32_20.thickness.Poly-Si", "materials.16.cells"}),
              header);
    for (const char *constant : {"format", "version", "volume.size.0", "volume.units", "materials.1.cells",
                                 "materials.16.name", "col_32_20.stack", "col_32_20.thickness.Si"})
        EXPECT_TRUE(tables.leftOut.contains(QLatin1String(constant))) << constant;

    Sweep::CollectOptions all;
    all.allColumns = true;
    Sweep::CollectedTables every;
    ASSERT_TRUE(Sweep::collect(dir.path(), all, every, &error)) << error.toStdString();
    const QStringList full = Sweep::csvFields(every.csv.section(QLatin1Char('\n'), 0, 0));
    EXPECT_TRUE(every.leftOut.isEmpty());
    for (const QString &name : tables.leftOut)
        EXPECT_TRUE(full.contains(name)) << name.toStdString();
    EXPECT_TRUE(full.contains(QStringLiteral("col_32_20.layers.1.thickness")));
}

// A layer only some variants have is named beside the other layers of its
// column, not after every other figure.
TEST(SweepCollect, ALayerOnlyLaterVariantsHaveStandsBesideItsKin)
{
    QTemporaryDir dir;
    const Sweep::SweepPlan plan = writtenPlan(dir, 2);
    TestSupport::writeFile(plan.variantFolder(0) + "/measure.json", measureFile({{1, "Si", 20}, {0, "empty", 4}}, 1));
    TestSupport::writeFile(plan.variantFolder(1) + "/measure.json",
                           measureFile({{1, "Si", 20}, {3, "Thermal Si02", 2}, {0, "empty", 2}}, 2));
    Sweep::CollectOptions all;
    all.allColumns = true;
    Sweep::CollectedTables tables;
    QString error;
    ASSERT_TRUE(Sweep::collect(dir.path(), all, tables, &error)) << error.toStdString();
    const QStringList header = Sweep::csvFields(tables.csv.section(QLatin1Char('\n'), 0, 0));
    const int thirdLayer = header.indexOf(QStringLiteral("col_32_20.layers.2.thickness"));
    const int secondLayer = header.indexOf(QStringLiteral("col_32_20.layers.1.thickness"));
    const int materials = header.indexOf(QStringLiteral("materials.1.cells"));
    const int volume = header.indexOf(QStringLiteral("volume.size.0"));
    ASSERT_GE(thirdLayer, 0);
    EXPECT_LT(secondLayer, thirdLayer);
    EXPECT_LT(thirdLayer, materials);
    EXPECT_LT(thirdLayer, volume);
    EXPECT_EQ(QStringLiteral("0"), rowsOf(tables.csv).at(0).value(QStringLiteral("col_32_20.thickness.Thermal Si02")));
}

TEST(SweepCollect, NetlistGivesEachBeamsFrequencyOrWhyThereIsNone)
{
    QTemporaryDir dir;
    const Sweep::SweepPlan plan = writtenPlan(dir, 4, true);
    EXPECT_TRUE(plan.jobLine(2, {QStringLiteral("4")})
                    .contains(QStringLiteral(" --netlist '") + plan.variantFolder(2) + QStringLiteral("/model.cir'")));
    // Two beams; one beam; no cantilever (every step ran); a failed run.
    TestSupport::writeFile(plan.variantFolder(0) + "/model.cir",
                           "Model extracted by Torvane\nc1 1 0 2e-12 \nl1 1 0 0.5 \nc2 2 0 1e-12 \nl2 2 0 0.25 \n.end \n");
    TestSupport::writeFile(plan.variantFolder(1) + "/model.cir", "Model extracted by Torvane\nc1 1 0 4e-12 \nl1 1 0 1 \n.end \n");
    TestSupport::writeFile(plan.variantFolder(2) + "/status", "2\n");
    TestSupport::writeFile(plan.variantFolder(2) + "/log.txt",
                           "8 of 8 steps completed in 10 ms\ntorvane-batch: No model data was extracted.\n");
    TestSupport::writeFile(plan.variantFolder(3) + "/status", "2\n");
    TestSupport::writeFile(plan.variantFolder(3) + "/log.txt", "torvane-batch: step 3/8 CVD failed: invalid\n");
    QString csv, error;
    ASSERT_TRUE(Sweep::collect(dir.path(), csv, &error)) << error.toStdString();
    const QList<QMap<QString, QString>> rows = rowsOf(csv);
    ASSERT_EQ(4, rows.size());
    const auto frequency = [](double mass, double compliance) { return 1.0 / (2 * M_PI * std::sqrt(mass * compliance)); };
    EXPECT_DOUBLE_EQ(frequency(2e-12, 0.5), Sweep::firstModeFrequency(2e-12, 0.5));
    EXPECT_EQ(QStringLiteral("2"), rows.at(0).value(QStringLiteral("beams")));
    EXPECT_NEAR(frequency(2e-12, 0.5), rows.at(0).value(QStringLiteral("beam_1.frequency_hz")).toDouble(), 1.0);
    EXPECT_NEAR(frequency(1e-12, 0.25), rows.at(0).value(QStringLiteral("beam_2.frequency_hz")).toDouble(), 1.0);
    EXPECT_EQ(QStringLiteral("2e-12"), rows.at(0).value(QStringLiteral("beam_1.mass_kg")));
    EXPECT_EQ(QStringLiteral("0.25"), rows.at(0).value(QStringLiteral("beam_2.compliance_m_per_n")));
    EXPECT_EQ(QStringLiteral("1"), rows.at(1).value(QStringLiteral("beams")));
    EXPECT_TRUE(rows.at(1).value(QStringLiteral("beam_2.frequency_hz")).isEmpty());
    EXPECT_EQ(QStringLiteral("0"), rows.at(2).value(QStringLiteral("beams")));
    EXPECT_TRUE(rows.at(2).value(QStringLiteral("beam_1.frequency_hz")).isEmpty());
    EXPECT_EQ(QStringLiteral("no cantilever was found"), rows.at(2).value(QStringLiteral("netlist_reason")));
    EXPECT_EQ(QStringLiteral("No model data was extracted."), rows.at(2).value(QStringLiteral("reason")));
    EXPECT_TRUE(rows.at(3).value(QStringLiteral("beams")).isEmpty());
    EXPECT_EQ(QStringLiteral("no netlist: the run failed"), rows.at(3).value(QStringLiteral("netlist_reason")));
    // The frequency comes first among the figures: it is what the sweep is for.
    const QStringList header = Sweep::csvFields(csv.section(QLatin1Char('\n'), 0, 0));
    EXPECT_EQ(QStringLiteral("beams"), header.value(5));
}

// The long table holds every cell of the wide one and no more: pivoted back it is the wide table.
TEST(SweepCollect, LongTablePivotsBackIntoTheWideTable)
{
    QTemporaryDir dir;
    const Sweep::SweepPlan plan = writtenPlan(dir, 3, true);
    TestSupport::writeFile(plan.variantFolder(0) + "/model.cir", "c1 1 0 2e-12 \nl1 1 0 0.5 \n");
    TestSupport::writeFile(plan.variantFolder(1) + "/status", "2\n");
    TestSupport::writeFile(plan.variantFolder(1) + "/log.txt", "torvane-batch: No model data was extracted.\n");
    QFile::remove(plan.variantFolder(2) + "/status");
    for (int v = 0; v < 2; ++v)
        TestSupport::writeFile(plan.variantFolder(v) + "/measure.json",
                               measureFile({{1, "Si", 20}, {16, "Poly-Si", 1.5 * (v + 1)}, {0, "empty", 9}}, 10 * v));
    Sweep::CollectOptions options;
    options.longTable = true;
    Sweep::CollectedTables tables;
    QString error;
    ASSERT_TRUE(Sweep::collect(dir.path(), options, tables, &error)) << error.toStdString();
    EXPECT_EQ(tables.longCsv.toUtf8(), TestSupport::readAll(dir.filePath(Sweep::longResultsFileName())));

    const QStringList longLines = tables.longCsv.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_EQ((QStringList{"variant", "3:Film Thickness", "quantity", "value", "unit"}), Sweep::csvFields(longLines.at(0)));
    const QList<QMap<QString, QString>> wide = rowsOf(tables.csv);
    const QStringList header = Sweep::csvFields(tables.csv.section(QLatin1Char('\n'), 0, 0));
    QList<QMap<QString, QString>> pivoted;
    for (const QMap<QString, QString> &row : wide) {
        QMap<QString, QString> identity;
        identity.insert(QStringLiteral("variant"), row.value(QStringLiteral("variant")));
        identity.insert(QStringLiteral("3:Film Thickness"), row.value(QStringLiteral("3:Film Thickness")));
        for (const QString &name : header)
            identity.insert(name, identity.value(name));
        pivoted << identity;
    }
    QMap<QString, QString> units;
    for (int i = 1; i < longLines.size(); ++i) {
        const QStringList f = Sweep::csvFields(longLines.at(i));
        ASSERT_EQ(5, f.size()) << longLines.at(i).toStdString();
        const int v = f.at(0).toInt();
        ASSERT_TRUE(v >= 0 && v < pivoted.size());
        EXPECT_EQ(pivoted.at(v).value(QStringLiteral("3:Film Thickness")), f.at(1));
        EXPECT_TRUE(header.contains(f.at(2))) << f.at(2).toStdString();
        EXPECT_FALSE(f.at(3).isEmpty()) << "an empty cell is a missing row";
        pivoted[v].insert(f.at(2), f.at(3));
        units.insert(f.at(2), f.at(4));
    }
    EXPECT_EQ(wide, pivoted);
    EXPECT_EQ(QStringLiteral("Hz"), units.value(QStringLiteral("beam_1.frequency_hz")));
    EXPECT_EQ(QStringLiteral("\u00b5m"), units.value(QStringLiteral("col_32_20.thickness.Poly-Si")));
    EXPECT_EQ(QStringLiteral("cells"), units.value(QStringLiteral("materials.16.cells")));
    EXPECT_EQ(QStringLiteral("not run"), wide.at(2).value(QStringLiteral("status")));
}

TEST(SweepCollect, FolderWithoutASweepIsRefused)
{
    QTemporaryDir dir;
    QString csv, error;
    EXPECT_FALSE(Sweep::collect(dir.path(), csv, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("holds no sweep")));
}
