#pragma once

#include "processdata.h"

#include <boost/shared_ptr.hpp>

#include <QMap>
#include <QString>

#include <functional>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Util {
class StopToken;
}

namespace Core {
namespace Operations {

// Result of one step of a process list.
enum ProcessStepResult {
    StepSucceeded = 0,
    StepMissingParameter = 1,
    StepInvalidParameter = 2,
    StepUnknownProcess = 3,
    StepNotImplemented = 4,
    // The run's stop token was set while the step ran: its cells were put back as they were before it.
    StepStopped = 5,
    // Reported by runProcessSteps for a step that found no volume to work on; nothing was run.
    StepNoVolume = -1
};

// The sentence the debug log and the batch program print for a result code.
QString processStepResultText(int code);

// What a step needs from whoever runs the list: the program's batch dialog or
// the headless batch program.
class IProcessRunHost
{
public:
    virtual ~IProcessRunHost() = default;
    // A created substrate: make it the current volume and add it to the scene.
    virtual void setCurrentVolume(const boost::shared_ptr<Model::Automaton::TotalVolume> &volume) = 0;
    // "Save Image": regenerate the current volume's surface, redraw and, when
    // fileName is not empty, save the view's picture. Called on the running
    // thread; returns when the work is done.
    virtual void updateGeometry(const QString &fileName) = 0;
};

// The state a run carries from step to step.
struct ProcessRunContext
{
    boost::shared_ptr<Model::Automaton::TotalVolume> volume; // empty until "Create Substrate"
    QMap<int, bool> *latticeStale = nullptr; // by volume id; true = the atomistic lattice is out of date
    IProcessRunHost *host = nullptr;         // may be null: no scene, no pictures
    QString detail; // why the last step failed, in words, for the log line
    // May be null. When given, the long loops of the engines ask it, and a step
    // it stops is undone: the cell materials are put back as an undo would.
    const Util::StopToken *stop = nullptr;
};

// Runs one step on context.volume by calling the process engines directly and
// returns its result code. Never throws; a step that fails leaves the volume
// as it was before the step whenever it can detect the fault before writing.
int runProcessStep(const Ui::ProcessData &step, ProcessRunContext &context);

// Called after each step with its index, its result code and its duration.
typedef std::function<void(int index, int code, qint64 milliseconds)> StepReport;

// Runs the steps in order until one fails or a step other than "Create
// Substrate" finds no volume (index reported with code -1 and nothing run).
// stopRequested, when given, is asked before each step; true ends the run
// there. Returns the number of steps completed.
int runProcessSteps(const Ui::ProcessList &list, ProcessRunContext &context, const StepReport &report = StepReport(),
                    const std::function<bool()> &stopRequested = std::function<bool()>());

} // namespace Operations
} // namespace Core
