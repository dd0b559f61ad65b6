#include "batchprogram.h"

#include "Core/Operations/BatchRun/processlistfile.h"
#include "Core/Operations/Document/documentstorage.h"
#include "Core/Operations/ModelExtraction/runmodelextraction.h"
#include "Model/Automaton/totalvolume.h"
#include "Util/slabrunner.h"
#include "Util/stoptoken.h"
#include "batchrenderer.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include <unistd.h>

namespace Batch {

using Core::Operations::ProcessListFile;
using Core::Operations::RunModelExtraction;
using Core::Steps::ProcessData;

BatchOptions BatchOptions::parse(const QStringList &arguments)
{
    BatchOptions options;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        auto value = [&](QString &target, const char *what = "a file name") {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty()) {
                options.error = QStringLiteral("%1 needs %2").arg(argument, QLatin1String(what));
                return;
            }
            target = arguments.at(++i);
        };
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            options.help = true;
        else if (argument == QLatin1String("--version"))
            options.version = true;
        else if (argument == QLatin1String("--list-steps"))
            options.listSteps = true;
        else if (argument == QLatin1String("--markdown"))
            options.markdown = true;
        else if (argument == QLatin1String("--out") || argument == QLatin1String("-o"))
            value(options.outFile);
        else if (argument == QLatin1String("--image"))
            value(options.imageFile);
        else if (argument == QLatin1String("--netlist"))
            value(options.netlistFile);
        else if (argument == QLatin1String("--threads")) {
            QString text;
            value(text, "a thread count");
            QString why;
            if (options.error.isEmpty() && !Util::parseThreadCount(text, &options.threads, &why))
                options.error = QStringLiteral("--threads: %1").arg(why);
        } else if (argument == QLatin1String("--set")) {
            QString text;
            value(text, "POSITION:PARAMETER=VALUE");
            Core::Operations::ParameterOverride override;
            if (options.error.isEmpty() && Core::Operations::ParameterOverride::parse(text, override, &options.error))
                options.overrides.append(override);
        } else if (BatchAnalysis::isOption(argument)) {
            QString text;
            value(text, "a value");
            if (options.error.isEmpty())
                options.error = options.analysis.add(argument, text);
        } else if (argument.startsWith(QLatin1Char('-')))
            options.error = QStringLiteral("unknown option %1").arg(argument);
        else if (options.listFile.isEmpty())
            options.listFile = argument;
        else
            options.error = QStringLiteral("only one process list can be run at a time");
        if (!options.error.isEmpty())
            return options;
    }
    if (options.version)
        return options;
    if (!options.help)
        options.error = options.analysis.check();
    if (!options.error.isEmpty())
        return options;
    if (options.markdown && !options.listSteps) {
        options.error = QStringLiteral("--markdown goes with --list-steps");
        return options;
    }
    if (options.listSteps) {
        // A listing runs nothing: a list or its outputs beside it would be silently ignored.
        if (!options.listFile.isEmpty() || !options.outFile.isEmpty() || !options.imageFile.isEmpty() ||
            !options.netlistFile.isEmpty() || !options.overrides.isEmpty() || options.analysis.any())
            options.error = QStringLiteral("--list-steps runs nothing and takes no process list or output");
        return options;
    }
    if (!options.help && options.listFile.isEmpty())
        options.error = QStringLiteral("no process list given");
    else if (!options.help && options.outFile.isEmpty())
        options.error = QStringLiteral("no document to write given (--out RESULT.tvn)");
    return options;
}

QString BatchOptions::usage()
{
    return QStringLiteral(
               "usage: torvane-batch LIST.plst --out RESULT.tvn [--image VIEW.png] [--netlist MODEL.cir]\n"
               "                     [--set POSITION:PARAMETER=VALUE ...] [--threads N] [analysis options]\n"
               "Runs the process list on a new scene, writes the scene as a Torvane document and,\n"
               "with --image, a picture of it (needs a display; xvfb-run will do).\n"
               "With --netlist, extracts the cantilevers of the final cell volume (preprocessing,\n"
               "feature detection, model extraction) and writes them as a circuit netlist; when\n"
               "none is found it says \"No model data was extracted.\" and exits with 2.\n"
               "--set POSITION:PARAMETER=VALUE replaces one stored value before the run (repeatable):\n"
               "POSITION is the step's number from 1, PARAMETER its name as the list stores it (for\n"
               "example --set \"2:Thickness=3.5\" or --set \"2:Material=Poly-Si\"). The value is read as\n"
               "the list file's text of that parameter would be and checked by the run in the same way.\n"
               "--threads N runs the engines on N threads (0: one per core, the default); the results\n"
               "are the same for any N.\n"
               "       torvane-batch --version\n"
               "       torvane-batch --list-steps [--markdown]\n"
               "Prints every step a process list can hold, from the step registry: its list name, its other\n"
               "names, a one-line summary and each parameter with its list name, kind, unit, range, default\n"
               "and when it applies; with --markdown as Markdown (docs/STEPS.md is this output).\n") +
           BatchAnalysis::usage() +
           QStringLiteral("Exit status: 0 every step ran, 1 bad command line or unreadable list (also a section or\n"
                          "column outside the final volume: then no analysis file is written),\n"
                          "2 a step failed (the document holds the steps before it; no analysis file is written),\n"
                          "3 a file could not be written,\n"
                          "4 stopped by SIGINT or SIGTERM (Ctrl+C): the step running then is undone and the\n"
                          "document holds the steps that finished.\n");
}

BatchProgram::BatchProgram(const BatchOptions &options, bool canDraw, FILE *out, FILE *err,
                           const Util::StopToken *stop)
    : m_options(options), m_canDraw(canDraw), m_out(out), m_err(err), m_terminal(isatty(fileno(out)) != 0),
      m_stop(stop)
{
    m_context.latticeStale = &m_workspace.latticeStaleByVolume();
    m_context.host = this;
    m_context.stop = stop;
}

BatchProgram::~BatchProgram() { delete m_renderer; }

void BatchProgram::line(const QString &text)
{
    QMutexLocker lock(&m_printLock);
    // A progress line on a terminal is overwritten, not left behind.
    std::fprintf(m_out, "%s%s\n", m_terminal ? "\r\033[K" : "", text.toLocal8Bit().constData());
    std::fflush(m_out);
}

void BatchProgram::problem(const QString &text)
{
    QMutexLocker lock(&m_printLock);
    std::fprintf(m_err, "%storvane-batch: %s\n", m_terminal ? "\r\033[K" : "", text.toLocal8Bit().constData());
    std::fflush(m_err);
}

bool BatchProgram::loadList()
{
    ProcessListFile::LoadResult loaded;
    // No one to ask: a material that conflicts with the catalogue joins it under a new id.
    if (!ProcessListFile::load(m_options.listFile, loaded, nullptr)) {
        problem(loaded.error);
        return false;
    }
    if (loaded.upgraded)
        line(ProcessListFile::upgradeText());
    m_list = loaded.list;
    // Layout masks named relative to the list are found beside it, wherever the program runs.
    m_context.listFolder = QFileInfo(m_options.listFile).absolutePath();
    for (const Core::Operations::ParameterOverride &override : m_options.overrides) {
        QString error;
        if (!override.apply(m_list, &error)) {
            problem(QStringLiteral("--set %1").arg(error));
            return false;
        }
    }
    if (m_list.isEmpty()) {
        problem(QStringLiteral("the process list \"%1\" has no steps").arg(m_options.listFile));
        return false;
    }
    return true;
}

void BatchProgram::setCurrentVolume(const boost::shared_ptr<Model::Automaton::TotalVolume> &volume)
{
    if (volume)
        m_workspace.document().addObject(volume);
    m_addedByStep = volume;
}

void BatchProgram::updateGeometry(const QString &fileName)
{
    if (fileName.isEmpty())
        return;
    bool drawn = false;
    // Pictures are drawn on the GUI thread; the step waits for it.
    QMetaObject::invokeMethod(
        this, [this, &fileName, &drawn]() { drawn = drawPicture(fileName); }, Qt::BlockingQueuedConnection);
    if (drawn)
        line(QStringLiteral("      picture written to %1").arg(fileName));
}

bool BatchProgram::drawPicture(const QString &fileName)
{
    if (!m_canDraw) {
        problem(QStringLiteral("no display: the picture \"%1\" cannot be drawn. Run under an X server, for example "
                               "with xvfb-run.")
                    .arg(fileName));
        return false;
    }
    if (!m_renderer)
        m_renderer = new BatchRenderer(m_workspace.document());
    QString error;
    if (!m_renderer->render(fileName, &error)) {
        problem(QStringLiteral("the picture \"%1\" could not be written: %2").arg(fileName, error));
        return false;
    }
    return true;
}

int BatchProgram::writeNetlist()
{
    if (!m_context.volume) {
        problem(RunModelExtraction::noModelDataText());
        return ExitStepFailed;
    }
    const QString text = RunModelExtraction::extractNetlist(*m_context.volume);
    if (text.isEmpty()) {
        problem(RunModelExtraction::noModelDataText());
        return ExitStepFailed;
    }
    if (!RunModelExtraction::writeNetlist(m_options.netlistFile, text)) {
        problem(QStringLiteral("the netlist \"%1\" could not be written").arg(m_options.netlistFile));
        return ExitNotWritten;
    }
    line(QStringLiteral("netlist written to %1").arg(QFileInfo(m_options.netlistFile).absoluteFilePath()));
    return ExitSuccess;
}

void BatchProgram::stepDone(int index, int code, qint64 milliseconds)
{
    const ProcessData &step = m_list.at(index);
    // A "Create Substrate" stopped after it made its volume is undone in the scene too.
    if (code == Core::Steps::StepStopped && m_addedByStep)
        m_workspace.document().removeObject(m_addedByStep);
    m_addedByStep.reset();
    const QString position = QStringLiteral("%1/%2").arg(index + 1).arg(m_list.size());
    if (code < 0) {
        m_failedCode = code;
        m_failure = QStringLiteral("step %1 %2: no cell volume. The list must begin with \"Create Substrate\".")
                        .arg(position, step.displayName());
        line(QStringLiteral("%1  %2  not run: there is no cell volume").arg(position, step.displayName()));
        return;
    }
    QString text = Core::Steps::processStepResultText(code);
    if (code != 0 && !m_context.detail.isEmpty())
        text += QStringLiteral(" (%1)").arg(m_context.detail);
    line(QStringLiteral("%1  %2  %3  %4 ms").arg(position, step.displayName(), text).arg(milliseconds));
    if (code != 0) {
        m_failedCode = code;
        m_failure = QStringLiteral("step %1 %2 failed: %3").arg(position, step.displayName(), text);
    } else {
        m_stepStarted = m_runClock.elapsed();
        m_current = index + 1;
    }
}

void BatchProgram::showProgress()
{
    if (!m_terminal)
        return;
    const int index = m_current;
    if (index >= m_list.size())
        return;
    QMutexLocker lock(&m_printLock);
    std::fprintf(m_out, "\r\033[K[%d/%d] %s ... %.1f s", index + 1, int(m_list.size()),
                 m_list.at(index).displayName().toLocal8Bit().constData(),
                 (m_runClock.elapsed() - m_stepStarted) / 1000.0);
    std::fflush(m_out);
}

void BatchProgram::runSteps()
{
    QEventLoop loop;
    QThread *worker = QThread::create([this]() {
        m_completed = Core::Steps::runProcessSteps(
            m_list, m_context, [this](int index, int code, qint64 ms) { stepDone(index, code, ms); });
    });
    // Its own thread, not one of the shared pool's: the engines split their
    // work over that pool and wait for it.
    connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    QTimer progress;
    progress.setInterval(500);
    connect(&progress, &QTimer::timeout, this, &BatchProgram::showProgress);
    m_runClock.start();
    progress.start();
    worker->start();
    loop.exec();
    worker->wait();
    delete worker;
    progress.stop();
}

int BatchProgram::exec()
{
    if (m_options.threads >= 0)
        Util::setThreadCount(m_options.threads);
    if (!loadList())
        return ExitUsage;
    QString unwritable;
    if (!m_options.analysis.checkOutputs(&unwritable)) {
        problem(unwritable);
        return ExitUsage;
    }
    line(QStringLiteral("%1: %2 steps").arg(m_options.listFile).arg(m_list.size()));
    QElapsedTimer total;
    total.start();
    runSteps();
    line(QStringLiteral("%1 of %2 steps completed in %3 ms").arg(m_completed).arg(m_list.size()).arg(total.elapsed()));

    int exitCode = m_failedCode != 0 ? ExitStepFailed : ExitSuccess;
    if (m_stop && m_stop->requested()) {
        exitCode = ExitStopped;
        problem(QStringLiteral("stopped by a signal after %1 of %2 steps; the document holds the steps that finished")
                    .arg(m_completed)
                    .arg(m_list.size()));
    } else if (m_failedCode != 0) {
        problem(m_failure);
    }

    // What ran is kept even when a step failed: the document shows where the run stopped.
    const QString out = Core::Operations::DocumentStorage::withExtension(m_options.outFile);
    if (Core::Operations::DocumentStorage::save(out, m_workspace, nullptr)) {
        line(QStringLiteral("document written to %1").arg(QFileInfo(out).absoluteFilePath()));
    } else {
        problem(QStringLiteral("the document \"%1\" could not be written").arg(out));
        exitCode = exitCode == ExitSuccess ? ExitNotWritten : exitCode;
    }
    if (!m_options.netlistFile.isEmpty() && m_failedCode == 0) {
        const int netlistCode = writeNetlist();
        if (exitCode == ExitSuccess)
            exitCode = netlistCode;
    }
    if (!m_options.imageFile.isEmpty()) {
        if (drawPicture(m_options.imageFile))
            line(QStringLiteral("picture written to %1").arg(QFileInfo(m_options.imageFile).absoluteFilePath()));
        else if (exitCode == ExitSuccess)
            exitCode = ExitNotWritten;
    }
    if (m_options.analysis.any()) {
        // Figures of a run that stopped half-way would pass for results.
        if (m_failedCode != 0 || !m_context.volume) {
            problem(QStringLiteral("no analysis file was written: the list did not run to its end"));
        } else {
            const int written = m_options.analysis.write(
                *m_context.volume, [this](const QString &text) { line(text); },
                [this](const QString &text) { problem(text); });
            exitCode = exitCode == ExitSuccess ? written : exitCode;
        }
    }
    return exitCode;
}

} // namespace Batch
