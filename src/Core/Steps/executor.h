#pragma once

#include "processdata.h"

#include <boost/shared_ptr.hpp>

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

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
namespace Steps {

struct StepDefinition;

// Result of one step.
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

// Keeps what a step may change before it runs, so that a stop or a failure
// can put it back. The program keeps it in its undo scratch files; without
// one, the executor keeps a copy in memory when the run can be stopped.
class IStepSnapshot
{
public:
    virtual ~IStepSnapshot() = default;
    // Called once the values are checked, just before the engine runs.
    virtual void keep(Model::Automaton::TotalVolume &volume, const StepDefinition &definition) = 0;
    // True when everything kept was put back.
    virtual bool putBack(Model::Automaton::TotalVolume &volume) = 0;
};

// The state a run carries from step to step.
struct ProcessRunContext
{
    boost::shared_ptr<Model::Automaton::TotalVolume> volume; // empty until "Create Substrate"
    QMap<int, bool> *latticeStale = nullptr; // by volume id; true = the atomistic lattice is out of date
    IProcessRunHost *host = nullptr;         // may be null: no scene, no pictures
    QString detail; // why the last step failed, in words
    bool crashed = false; // the last step's engine failed as it ran (memory, say), not its values
    // Relative layout file names of steps without stored mask bits are read
    // from here (the list file's folder); empty: the working directory.
    QString listFolder;
    // May be null. When given, the long loops of the engines ask it, and a step
    // it stops is undone: the cells are put back as an undo would.
    const Util::StopToken *stop = nullptr;
    // May be null: see IStepSnapshot.
    IStepSnapshot *snapshot = nullptr;
};

// The value of a mask's " Source" parameter for a mask drawn from a GDSII
// layout; any other value (or none) is an image mask.
extern const QString MaskSourceLayout;
extern const QString MaskSourceImage;

// The step whose name (any of its names) is name; null, with the sentence in
// detail, when there is none (the nearest names in it).
const StepDefinition *stepNamed(const QString &name, QString *detail = nullptr);

// The sentence for a value given under a name the step does not read, with
// the nearest of known (by default the step's parameter names and aliases),
// each written by quote.
QString unknownParameterText(const StepDefinition &definition, const QString &name,
                             const QStringList &known = QStringList(), const QString &quote = QStringLiteral("\"%1\""));

// " Did you mean ...?" with the catalogue's names nearest to a material name
// that names none; empty when none is near.
QString materialSuggestion(const QString &name);

// The one way a step runs, for every front end: read and check its values
// against the definition, keep what it may change, run it under the stop
// token, mark the lattice, and return the result code (the reason in
// context.detail). Never throws; a refused step leaves the volume as it was.
int runProcessStep(const ProcessData &step, ProcessRunContext &context);
// The same for a step given with its definition (the program's own steps have no list type).
int runProcessStep(const StepDefinition &definition, const ProcessData &step, ProcessRunContext &context);

// Called after each step with its index, its result code and its duration.
typedef std::function<void(int index, int code, qint64 milliseconds)> StepReport;

// Runs the steps in order until one fails or a step other than "Create
// Substrate" finds no volume (index reported with code -1 and nothing run).
// stopRequested, when given, is asked before each step; true ends the run
// there. Returns the number of steps completed.
int runProcessSteps(const ProcessList &list, ProcessRunContext &context, const StepReport &report = StepReport(),
                    const std::function<bool()> &stopRequested = std::function<bool()>());

// Whether a finished step of definition with these values outdates the lattice.
bool outdatesLattice(const StepDefinition &definition, const ProcessData &step);

} // namespace Steps
} // namespace Core
