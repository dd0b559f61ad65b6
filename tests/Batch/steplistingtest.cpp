#include "Batch/batchprogram.h"
#include "Batch/steplisting.h"
#include "Core/Operations/BatchRun/processlistfile.h"
#include "Core/Steps/executor.h"
#include "Core/Steps/stepbuilder.h"
#include "Core/Steps/stepregistry.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

using Core::Operations::ProcessListFile;
using Core::Steps::StepParameter;
using Core::Steps::ProcessData;
using Core::Steps::StepDefinition;
using Core::Steps::StepRegistry;
using Core::Steps::ValueKind;

namespace {

struct Printed
{
    int exitCode = -1;
    QString out;
    QString err;
};

Printed runBatch(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(TORVANE_BATCH_PROGRAM), arguments);
    Printed printed;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return printed;
    printed.exitCode = process.exitCode();
    printed.out = QString::fromUtf8(process.readAllStandardOutput());
    printed.err = QString::fromUtf8(process.readAllStandardError());
    return printed;
}

QList<const StepDefinition *> listSteps()
{
    QList<const StepDefinition *> steps;
    for (const StepDefinition *step : StepRegistry::instance().steps())
        if (step->inLists())
            steps << step;
    return steps;
}

// The lines of one step's block of --list-steps: from its header to the blank line after it.
QStringList blockOf(const QStringList &lines, const StepDefinition &step)
{
    const QString header = QStringLiteral("%1 (list type %2)").arg(step.name).arg(step.type);
    const int start = lines.indexOf(header);
    if (start < 0)
        return QStringList();
    QStringList block;
    for (int i = start; i < lines.size() && !lines.at(i).isEmpty(); ++i)
        block << lines.at(i);
    return block;
}

bool isRangedNumber(const StepParameter &param)
{
    return param.kind == ValueKind::Number || param.kind == ValueKind::WholeNumber || param.kind == ValueKind::Integer;
}

// One row of tests/data/out-of-range-values.tsv, which the Python tests read too.
struct OutOfRange
{
    QString step, parameter, value;
    int code = 0;
    QVariantMap others;
    QString sentence;
};

QList<OutOfRange> outOfRangeRows()
{
    QList<OutOfRange> rows;
    QFile file(QStringLiteral(TORVANE_TESTS_DIR "/data/out-of-range-values.tsv"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return rows;
    QTextStream in(&file);
    in.setCodec("UTF-8");
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList columns = line.split(QLatin1Char('\t'));
        if (columns.size() != 6)
            return QList<OutOfRange>();
        OutOfRange row;
        row.step = columns.at(0);
        row.parameter = columns.at(1);
        row.value = columns.at(2);
        row.code = columns.at(3).toInt();
        for (const QString &pair : columns.at(4).split(QStringLiteral("; "), Qt::SkipEmptyParts))
            row.others.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
        row.sentence = columns.at(5);
        rows << row;
    }
    return rows;
}

// Si 4 cells thick in a 10 x 10 x 12 volume, as a new substrate step holds it.
ProcessData smallSubstrate()
{
    const StepDefinition &substrate = *Core::Steps::definitionOf(ProcessData::CreateSubstrate);
    QVariantMap values = Core::Steps::defaultValues(substrate);
    values.insert(QStringLiteral("Material"), QStringLiteral("Si"));
    for (const char *name : {"Volume Size X", "Volume Size Y", "Substrate Size X", "Substrate Size Y"})
        values.insert(QLatin1String(name), 10u);
    values.insert(QStringLiteral("Volume Size Z"), 12u);
    values.insert(QStringLiteral("Substrate Size Z"), 4u);
    return Core::Steps::makeStep(substrate, values);
}

} // namespace

TEST(StepListingTest, ListStepsPrintsEveryListStepWithItsNamesSummaryAndParameters)
{
    const Printed printed = runBatch({QStringLiteral("--list-steps")});
    ASSERT_EQ(Batch::ExitSuccess, printed.exitCode) << printed.err.toStdString();
    const QStringList lines = printed.out.split(QLatin1Char('\n'));
    const QList<const StepDefinition *> steps = listSteps();
    ASSERT_EQ(Core::Steps::StepRegistry::instance().typeLimit(), steps.size());
    EXPECT_TRUE(printed.out.startsWith(QStringLiteral("The %1 steps").arg(steps.size())));

    for (const StepDefinition *step : steps) {
        SCOPED_TRACE(step->name.toStdString());
        const QStringList block = blockOf(lines, *step);
        ASSERT_FALSE(block.isEmpty());
        QStringList others = step->names();
        others.removeFirst();
        int at = 1;
        if (!others.isEmpty()) {
            EXPECT_EQ(QStringLiteral("  also: ") + others.join(QStringLiteral(", ")), block.value(at++));
        }
        EXPECT_EQ(QStringLiteral("  ") + step->summary, block.value(at++));
        ASSERT_EQ(at + step->parameters.size(), block.size()) << block.join(QLatin1Char('\n')).toStdString();
        for (const StepParameter &param : step->parameters) {
            const QString line = block.at(at++);
            SCOPED_TRACE(line.toStdString());
            // Its other names follow it, as --set and Python take them.
            const QString also = param.aliases.isEmpty()
                                     ? QString()
                                     : QStringLiteral(" (also %1)").arg(param.aliases.join(QStringLiteral(", ")));
            EXPECT_TRUE(line.startsWith(QStringLiteral("    %1%2: ").arg(param.name, also)));
            if (!param.unit.isEmpty()) {
                EXPECT_TRUE(line.contains(QStringLiteral(" in ") + param.unit));
            }
            if (isRangedNumber(param)) {
                EXPECT_TRUE(line.contains(StepParameter::number(param.minimum)));
                if (param.hasMaximum()) {
                    EXPECT_TRUE(line.contains(QStringLiteral(" ") + StepParameter::number(param.maximum)));
                }
            }
            if (param.defaultIsMaximum) {
                EXPECT_TRUE(line.contains(QStringLiteral("; default the volume's height")));
            } else if (param.defaultValue.isValid()) {
                EXPECT_TRUE(line.contains(QStringLiteral("; default ")));
            } else if (!param.optional && !param.readByRun) {
                EXPECT_TRUE(line.endsWith(QStringLiteral("; required")));
            }
            EXPECT_EQ(!param.when.isEmpty(), line.contains(QStringLiteral("; only when ") + param.when + QStringLiteral(" is ")));
        }
    }
    // The program's own steps cannot stand in a list.
    for (const StepDefinition *step : StepRegistry::instance().steps()) {
        if (!step->inLists()) {
            EXPECT_FALSE(printed.out.contains(step->name)) << step->name.toStdString();
        }
    }
}

TEST(StepListingTest, ListStepsRunsNothingAndWantsNothingElse)
{
    const struct
    {
        QStringList arguments;
        const char *says;
    } cases[] = {
        {{QStringLiteral("--markdown")}, "--markdown goes with --list-steps"},
        {{QStringLiteral("--list-steps"), QStringLiteral("a.plst")}, "--list-steps runs nothing"},
        {{QStringLiteral("--list-steps"), QStringLiteral("--out"), QStringLiteral("r.tvn")}, "--list-steps runs nothing"},
        {{QStringLiteral("--list-steps"), QStringLiteral("--set"), QStringLiteral("1:Thickness=2")},
         "--list-steps runs nothing"},
    };
    for (const auto &c : cases) {
        const Printed printed = runBatch(c.arguments);
        EXPECT_EQ(Batch::ExitUsage, printed.exitCode) << c.says;
        EXPECT_TRUE(printed.err.contains(QLatin1String(c.says))) << printed.err.toStdString();
        EXPECT_TRUE(printed.out.isEmpty()) << printed.out.toStdString();
    }
    const Printed help = runBatch({QStringLiteral("--help")});
    EXPECT_TRUE(help.out.contains(QStringLiteral("torvane-batch --list-steps [--markdown]")));
}

TEST(StepListingTest, StepsDocumentIsWhatTheRegistryGenerates)
{
    QFile file(QStringLiteral(TORVANE_DOCS_DIR "/STEPS.md"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "docs/STEPS.md is missing; write it with: "
                                                << Batch::StepsDocumentCommand;
    const QString stored = QString::fromUtf8(file.readAll());
    const Printed printed = runBatch({QStringLiteral("--list-steps"), QStringLiteral("--markdown")});
    ASSERT_EQ(Batch::ExitSuccess, printed.exitCode) << printed.err.toStdString();
    EXPECT_EQ(printed.out, Batch::stepListingMarkdown()) << "the program prints what the listing builds";
    EXPECT_TRUE(stored.contains(QLatin1String(Batch::StepsDocumentCommand)));
    if (stored == printed.out)
        return;
    const QStringList want = printed.out.split(QLatin1Char('\n')), have = stored.split(QLatin1Char('\n'));
    int line = 0;
    while (line < want.size() && line < have.size() && want.at(line) == have.at(line))
        ++line;
    ADD_FAILURE() << "docs/STEPS.md differs from what the step registry gives (first at line " << line + 1
                  << ":\n  file:     " << have.value(line).toStdString()
                  << "\n  registry: " << want.value(line).toStdString()
                  << "\n). Regenerate it from the source folder with:\n  " << Batch::StepsDocumentCommand;
}

TEST(StepListingTest, SetWithAValueOutsideTheDeclaredRangeFailsWithTheExecutorsSentence)
{
    const QList<OutOfRange> rows = outOfRangeRows();
    ASSERT_GE(rows.size(), 5) << "tests/data/out-of-range-values.tsv is missing or malformed";
    QTemporaryDir folder;
    for (const OutOfRange &row : rows) {
        SCOPED_TRACE((row.step + QLatin1Char('/') + row.parameter + QLatin1Char('=') + row.value).toStdString());
        const StepDefinition *definition = StepRegistry::instance().named(row.step);
        ASSERT_TRUE(definition);
        ASSERT_TRUE(definition->parameter(row.parameter));
        QVariantMap values = Core::Steps::defaultValues(*definition);
        for (auto it = row.others.constBegin(); it != row.others.constEnd(); ++it)
            values.insert(it.key(), it.value());
        const ProcessData step = Core::Steps::makeStep(*definition, values);
        Core::Steps::ProcessList list;
        if (!definition->createsVolume)
            list << smallSubstrate();
        list << step;
        const QString file = folder.filePath(QStringLiteral("list.plst"));
        ASSERT_TRUE(ProcessListFile::save(list, file));

        // The stored values run; only the value --set gives is refused.
        const Printed plain = runBatch({file, QStringLiteral("--out"), folder.filePath(QStringLiteral("plain.tvn"))});
        EXPECT_EQ(Batch::ExitSuccess, plain.exitCode) << plain.out.toStdString() << plain.err.toStdString();

        const Printed set = runBatch({file, QStringLiteral("--out"), folder.filePath(QStringLiteral("set.tvn")),
                                      QStringLiteral("--set"),
                                      QStringLiteral("%1:%2=%3").arg(list.size()).arg(row.parameter, row.value)});
        EXPECT_EQ(Batch::ExitStepFailed, set.exitCode) << set.out.toStdString() << set.err.toStdString();
        const QString failure = QStringLiteral("step %1/%1 %2 failed: %3 (%4)")
                                    .arg(list.size())
                                    .arg(definition->name, Core::Steps::processStepResultText(row.code), row.sentence);
        EXPECT_TRUE(set.err.contains(failure)) << set.err.toStdString() << "\nwanted: " << failure.toStdString();
    }
}
