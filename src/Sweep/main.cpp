// torvane-sweep: runs one process list over a grid of parameter values with
// the schedulers people already have (GNU parallel, Slurm). It writes the job
// lines and scheduler scripts and collects the results; every variant is an
// ordinary torvane-batch run.
#include "Model/Process/processfactory.h"
#include "Util/slabrunner.h"
#include "Util/version.h"
#include "sweepplan.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

enum ExitCode { ExitSuccess = 0, ExitUsage = 1, ExitVariantsFailed = 2, ExitNotWritten = 3 };

const char usageText[] =
    "usage: torvane-sweep LIST.plst --grid POSITION:PARAMETER=VALUES [--grid ...] --out FOLDER\n"
    "                     [--measure] [--column X,Y ...] [--netlist] [--batch PATH] [--threads N]\n"
    "                     [--run parallel [--jobs N] [--resume]]\n"
    "                     [--run slurm [--submit] [--limit N] [--partition P] [--time T]\n"
    "                                  [--mem M] [--cpus-per-task N]]\n"
    "       torvane-sweep collect FOLDER [--long] [--all-columns]\n"
    "       torvane-sweep --version\n"
    "\n"
    "Runs LIST once per combination of the grid's values (the first --grid varies slowest).\n"
    "VALUES is V1,V2,... or START:STOP:STEP (STOP included). POSITION is the step's number\n"
    "from 1 and PARAMETER its name in the list, as torvane-batch --set takes them.\n"
    "\n"
    "FOLDER receives jobs.txt (one torvane-batch command line per variant), variants.csv\n"
    "(variant number and values) and variants/NNNN/ with each variant's document\n"
    "(result.tvn), log (log.txt), exit status (status) and, with --measure or --column,\n"
    "its measurement file (measure.json).\n"
    "\n"
    "  --measure          write each variant's measurement file\n"
    "  --column X,Y       add the layer stack of cell column X,Y to it (repeatable)\n"
    "  --netlist          extract each variant's cantilevers (FOLDER/variants/NNNN/model.cir);\n"
    "                     collect gives each beam's first-mode frequency (Hz), effective mass\n"
    "                     (kg) and compliance (m/N), or the reason there is none\n"
    "  --batch PATH       the torvane-batch to run (default: the one beside torvane-sweep)\n"
    "  --threads N        engine threads of each variant (torvane-batch --threads; 0: one\n"
    "                     per core, its default); the results are the same for any N.\n"
    "                     With --jobs J, J x N should not exceed the cores\n"
    "  --run parallel     run the jobs with GNU parallel, logging to FOLDER/joblog.txt\n"
    "  --jobs N           variants at once with GNU parallel (default: the number of cores)\n"
    "  --resume           run only the variants the job log does not list as finished\n"
    "                     (after an interrupted --run parallel of the same sweep)\n"
    "  --run slurm        write FOLDER/sweep.sbatch, a Slurm job array, one variant per task\n"
    "  --submit           submit it with sbatch\n"
    "  --limit N          at most N array tasks at once (%N)\n"
    "  --partition, --time, --mem, --cpus-per-task   resources of each task\n"
    "\n"
    "collect FOLDER writes FOLDER/results.csv and prints it: variant, values, status\n"
    "(ok, failed, not run), exit code, reason of a failure, then the figures: the beams'\n"
    "frequencies (--netlist), per --column its stack and each material's thickness by name\n"
    "(col_X_Y.thickness.Poly-Si, in micrometres), and every figure of the\n"
    "measurement files. A figure the same in every variant is left out (and named on\n"
    "standard error).\n"
    "  --all-columns      keep the figures that are the same in every variant, and each\n"
    "                     column's layers by place (col_X_Y.layers.N.*)\n"
    "  --long             also write FOLDER/results-long.csv, one row per variant and quantity\n"
    "                     (variant, values, quantity, value, unit), and print it instead\n"
    "\n"
    "Exit status: 0 done, 1 bad command line or list, 2 a variant failed (GNU parallel\n"
    "runs), 3 a file could not be written or the scheduler could not be started.\n";

void say(const QString &text) { std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData()); }

int refuse(const QString &text, bool showUsage = false)
{
    std::fprintf(stderr, "torvane-sweep: %s\n%s", text.toLocal8Bit().constData(), showUsage ? usageText : "");
    return ExitUsage;
}

struct Options
{
    QString list;
    QString out;
    QString batch;
    QStringList grids;
    QStringList columns;
    bool measure = false;
    bool netlist = false;
    QString run;
    int jobs = 0;
    int threads = -1;
    bool resume = false;
    bool submit = false;
    Sweep::SlurmOptions slurm;
};

// Parses the sweep's options; false with the reason.
bool parse(const QStringList &arguments, Options &options, QString &error)
{
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        auto value = [&](QString &target) {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty()) {
                error = QStringLiteral("%1 needs a value").arg(argument);
                return false;
            }
            target = arguments.at(++i);
            return true;
        };
        auto number = [&](int &target, int minimum) {
            QString text;
            if (!value(text))
                return false;
            bool ok = false;
            target = text.toInt(&ok);
            if (!ok || target < minimum) {
                error = QStringLiteral("%1 takes a whole number from %2, not \"%3\"").arg(argument).arg(minimum).arg(text);
                return false;
            }
            return true;
        };
        QString text;
        bool ok = true;
        if (argument == QLatin1String("--grid"))
            ok = value(text) && (options.grids << text, true);
        else if (argument == QLatin1String("--column"))
            ok = value(text) && (options.columns << text, true);
        else if (argument == QLatin1String("--out") || argument == QLatin1String("-o"))
            ok = value(options.out);
        else if (argument == QLatin1String("--batch"))
            ok = value(options.batch);
        else if (argument == QLatin1String("--measure"))
            options.measure = true;
        else if (argument == QLatin1String("--netlist"))
            options.netlist = true;
        else if (argument == QLatin1String("--run"))
            ok = value(options.run);
        else if (argument == QLatin1String("--jobs"))
            ok = number(options.jobs, 1);
        else if (argument == QLatin1String("--threads")) {
            QString why;
            ok = value(text) && Util::parseThreadCount(text, &options.threads, &why);
            if (!ok && error.isEmpty())
                error = QStringLiteral("--threads: %1").arg(why);
        }
        else if (argument == QLatin1String("--resume"))
            options.resume = true;
        else if (argument == QLatin1String("--submit"))
            options.submit = true;
        else if (argument == QLatin1String("--limit"))
            ok = number(options.slurm.limit, 1);
        else if (argument == QLatin1String("--partition"))
            ok = value(options.slurm.partition);
        else if (argument == QLatin1String("--time"))
            ok = value(options.slurm.time);
        else if (argument == QLatin1String("--mem"))
            ok = value(options.slurm.memory);
        else if (argument == QLatin1String("--cpus-per-task"))
            ok = number(options.slurm.cpusPerTask, 1);
        else if (argument.startsWith(QLatin1Char('-')))
            error = QStringLiteral("unknown option %1").arg(argument);
        else if (options.list.isEmpty())
            options.list = argument;
        else
            error = QStringLiteral("only one process list can be swept at a time");
        if (!ok || !error.isEmpty())
            return false;
    }
    if (options.list.isEmpty())
        error = QStringLiteral("no process list given");
    else if (options.grids.isEmpty())
        error = QStringLiteral("no --grid given: nothing to sweep");
    else if (options.out.isEmpty())
        error = QStringLiteral("no sweep folder given (--out FOLDER)");
    else if (!options.run.isEmpty() && options.run != QLatin1String("parallel") && options.run != QLatin1String("slurm"))
        error = QStringLiteral("--run takes parallel or slurm, not \"%1\"").arg(options.run);
    for (const QString &column : options.columns) {
        const QStringList xy = column.split(QLatin1Char(','));
        bool okX = false, okY = false;
        if (xy.size() != 2 || (xy.at(0).toUInt(&okX), !okX) || (xy.at(1).toUInt(&okY), !okY))
            error = QStringLiteral("--column takes X,Y (two whole numbers), not \"%1\"").arg(column);
    }
    return error.isEmpty();
}

// collect FOLDER [--long] [--all-columns]
int collectFolder(const QStringList &arguments)
{
    QString folder;
    Sweep::CollectOptions options;
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("--long"))
            options.longTable = true;
        else if (argument == QLatin1String("--all-columns"))
            options.allColumns = true;
        else if (argument.startsWith(QLatin1Char('-')))
            return refuse(QStringLiteral("collect: unknown option %1").arg(argument), true);
        else if (folder.isEmpty())
            folder = argument;
        else
            return refuse(QStringLiteral("collect takes one sweep folder"), true);
    }
    if (folder.isEmpty())
        return refuse(QStringLiteral("collect takes one sweep folder"), true);
    Sweep::CollectedTables tables;
    QString error;
    if (!Sweep::collect(QDir(folder).absolutePath(), options, tables, &error))
        return refuse(error);
    std::fputs((options.longTable ? tables.longCsv : tables.csv).toUtf8().constData(), stdout);
    if (!tables.leftOut.isEmpty())
        std::fprintf(stderr, "torvane-sweep: %d figures the same in every variant left out (--all-columns keeps "
                             "them): %s\n",
                     int(tables.leftOut.size()), tables.leftOut.join(QStringLiteral(", ")).toLocal8Bit().constData());
    return ExitSuccess;
}

// Replaces this process by GNU parallel, so that stopping the sweep stops the
// scheduler, and its exit status (the number of failed jobs) is the sweep's.
int runParallel(const Sweep::SweepPlan &plan, const Options &options)
{
    const QString parallel = QStandardPaths::findExecutable(QStringLiteral("parallel"));
    if (parallel.isEmpty()) {
        std::fprintf(stderr, "torvane-sweep: GNU parallel is not installed (Debian: apt-get install parallel)\n");
        return ExitNotWritten;
    }
    const int jobs = options.jobs > 0 ? options.jobs : QThread::idealThreadCount();
    QStringList arguments;
    arguments << parallel << QStringLiteral("--will-cite") << QStringLiteral("--jobs") << QString::number(jobs)
              << QStringLiteral("--joblog") << plan.folder + QLatin1Char('/') + Sweep::jobLogFileName();
    if (options.resume)
        arguments << QStringLiteral("--resume");
    arguments << QStringLiteral("-a") << plan.folder + QLatin1Char('/') + Sweep::jobsFileName();
    say(QStringLiteral("running %1 variants with GNU parallel, %2 at once; then: torvane-sweep collect %3")
            .arg(plan.variantCount())
            .arg(jobs)
            .arg(plan.folder));
    std::fflush(stdout);
    std::vector<QByteArray> bytes;
    for (const QString &argument : arguments)
        bytes.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    std::fprintf(stderr, "torvane-sweep: GNU parallel could not be started\n");
    return ExitNotWritten;
}

int runSlurm(const Sweep::SweepPlan &plan, const Options &options)
{
    const QString script = plan.folder + QLatin1Char('/') + Sweep::sbatchFileName();
    QFile file(script);
    if (!file.open(QIODevice::WriteOnly) || file.write(plan.sbatchScript(options.slurm).toUtf8()) < 0) {
        std::fprintf(stderr, "torvane-sweep: \"%s\" could not be written\n", script.toLocal8Bit().constData());
        return ExitNotWritten;
    }
    file.close();
    say(QStringLiteral("Slurm job array written to %1").arg(script));
    if (!options.submit) {
        say(QStringLiteral("submit it with: sbatch %1").arg(script));
        return ExitSuccess;
    }
    QProcess sbatch;
    sbatch.start(QStringLiteral("sbatch"), QStringList() << QStringLiteral("--parsable") << script);
    if (!sbatch.waitForFinished(120000) || sbatch.exitStatus() != QProcess::NormalExit || sbatch.exitCode() != 0) {
        std::fprintf(stderr, "torvane-sweep: sbatch failed: %s%s\n", sbatch.errorString().toLocal8Bit().constData(),
                     sbatch.readAllStandardError().constData());
        return ExitNotWritten;
    }
    say(QStringLiteral("submitted as Slurm job %1; when it has ended: torvane-sweep collect %2")
            .arg(QString::fromLocal8Bit(sbatch.readAllStandardOutput()).trimmed(), plan.folder));
    return ExitSuccess;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        std::fputs(usageText, stdout);
        return ExitSuccess;
    }
    if (arguments.contains(QStringLiteral("--version"))) {
        std::printf("torvane-sweep %s\n", Util::projectVersion().toLocal8Bit().constData());
        return ExitSuccess;
    }
    if (arguments.size() >= 2 && arguments.at(1) == QLatin1String("collect"))
        return collectFolder(arguments.mid(2));

    Options options;
    QString error;
    if (!parse(arguments, options, error))
        return refuse(error, true);
    Model::Process::initializeCatalogues();

    Sweep::SweepPlan plan;
    plan.listFile = QFileInfo(options.list).absoluteFilePath();
    plan.folder = QDir(options.out).absolutePath();
    plan.batchProgram = QFileInfo(options.batch.isEmpty()
                                      ? QCoreApplication::applicationDirPath() + QStringLiteral("/torvane-batch")
                                      : options.batch)
                            .absoluteFilePath();
    plan.measure = options.measure;
    plan.columns = options.columns;
    plan.threads = options.threads;
    plan.netlist = options.netlist;
    for (const QString &grid : options.grids) {
        Sweep::GridAxis axis;
        if (!Sweep::GridAxis::parse(grid, axis, &error))
            return refuse(error);
        plan.axes << axis;
    }
    if (qint64(plan.variantCount()) > Sweep::GridAxis::maxValues)
        return refuse(QStringLiteral("the grid has more than %1 variants").arg(Sweep::GridAxis::maxValues));
    if (!QFileInfo(plan.batchProgram).isExecutable())
        return refuse(QStringLiteral("torvane-batch is not at \"%1\" (give it with --batch)").arg(plan.batchProgram));
    if (!Sweep::checkAgainstList(plan.listFile, plan.axes, &error))
        return refuse(error);

    const QString jobs = plan.folder + QLatin1Char('/') + Sweep::jobsFileName();
    if (QFileInfo::exists(jobs)) {
        // A sweep folder is resumed only with the sweep that made it.
        QFile existing(jobs);
        existing.open(QIODevice::ReadOnly);
        QByteArray expected;
        const QList<QStringList> variants = Sweep::variantValues(plan.axes);
        for (int v = 0; v < variants.size(); ++v)
            expected += plan.jobLine(v, variants.at(v)).toUtf8() + '\n';
        if (!options.resume)
            return refuse(QStringLiteral("\"%1\" already holds a sweep: add --resume to finish it, or choose "
                                         "another folder")
                              .arg(plan.folder));
        if (existing.readAll() != expected)
            return refuse(QStringLiteral("\"%1\" holds another sweep than this one; --resume needs the same list, "
                                         "grid and measurements")
                              .arg(plan.folder));
    } else if (!plan.write(&error)) {
        std::fprintf(stderr, "torvane-sweep: %s\n", error.toLocal8Bit().constData());
        return ExitNotWritten;
    } else {
        say(QStringLiteral("%1 variants written to %2").arg(plan.variantCount()).arg(plan.folder));
    }

    if (options.run == QLatin1String("parallel"))
        return runParallel(plan, options);
    if (options.run == QLatin1String("slurm"))
        return runSlurm(plan, options);
    return ExitSuccess;
}
