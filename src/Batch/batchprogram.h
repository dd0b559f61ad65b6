#pragma once

#include "Core/Operations/BatchRun/parameteroverride.h"
#include "Core/Steps/processdata.h"
#include "Core/Steps/executor.h"
#include "Core/Operations/workspace.h"
#include "batchanalysis.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdio>

namespace Util {
class StopToken;
}

namespace Batch {

class BatchRenderer;

// Exit codes of torvane-batch.
enum ExitCode {
    ExitSuccess = 0,
    ExitUsage = 1,       // bad command line, or the list cannot be read
    ExitStepFailed = 2,  // a step failed or the list made no volume; the document holds what ran
    ExitNotWritten = 3,  // the steps ran but the document or a picture could not be written
    ExitStopped = 4      // stopped by SIGINT or SIGTERM; the document holds the steps that finished
};

struct BatchOptions
{
    QString listFile;
    QString outFile;
    QString imageFile;
    QString netlistFile; // --netlist: the final volume's cantilevers as a circuit netlist
    QList<Core::Operations::ParameterOverride> overrides; // --set, applied in order after loading
    int threads = -1; // --threads: engine threads, 0 one per core; -1 when not given
    BatchAnalysis analysis; // sections, measurements and exports of the final volume
    bool help = false;
    bool version = false;   // --version: print the program's version and run nothing
    bool listSteps = false; // --list-steps: print every step the registry declares and run nothing
    bool markdown = false;  // --markdown: that listing as Markdown (docs/STEPS.md)
    QString error; // why the command line was refused

    static BatchOptions parse(const QStringList &arguments);
    static QString usage();
};

// Runs a process list unattended: the same step runner as the program's
// batch dialog, on a fresh scene, then writes the document and the picture.
// The steps run on a worker thread while this thread reports progress and
// draws the pictures "Save Image" steps ask for.
class BatchProgram : public QObject, public Core::Steps::IProcessRunHost
{
    Q_OBJECT
public:
    // canDraw: whether a display is there for pictures. stop, when given, ends
    // the run between steps or inside a long one (which is then undone).
    BatchProgram(const BatchOptions &options, bool canDraw, FILE *out, FILE *err,
                 const Util::StopToken *stop = nullptr);
    ~BatchProgram() override;

    // Loads, runs, writes; returns the exit code. Runs its own event loop.
    int exec();

    void setCurrentVolume(const boost::shared_ptr<Model::Automaton::TotalVolume> &volume) override;
    void updateGeometry(const QString &fileName) override;

private Q_SLOTS:
    void showProgress();

private:
    bool loadList();
    void runSteps();
    void stepDone(int index, int code, qint64 milliseconds);
    bool drawPicture(const QString &fileName);
    int writeNetlist();
    void line(const QString &text);
    void problem(const QString &text);

    BatchOptions m_options;
    bool m_canDraw;
    FILE *m_out;
    FILE *m_err;
    bool m_terminal;
    Core::Operations::Workspace m_workspace;
    Core::Steps::ProcessList m_list;
    Core::Steps::ProcessRunContext m_context;
    BatchRenderer *m_renderer = nullptr;
    std::atomic<int> m_current{0};        // the step running now
    std::atomic<qint64> m_stepStarted{0}; // when it started, on m_runClock
    int m_completed = 0;
    int m_failedCode = 0;
    QString m_failure;
    QMutex m_printLock;
    QElapsedTimer m_runClock; // started once, then only read by both threads
    const Util::StopToken *m_stop;
    // The volume the running step added to the scene; a stopped step takes it out again.
    boost::shared_ptr<Model::Automaton::TotalVolume> m_addedByStep;
};

} // namespace Batch
