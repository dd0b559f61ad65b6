#pragma once

#include "Core/Steps/processdata.h"

#include <boost/shared_ptr.hpp>

#include <QList>
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
    // Relative layout file names of steps without stored mask bits are read
    // from here (the list file's folder); empty: the working directory.
    QString listFolder;
    // May be null. When given, the long loops of the engines ask it, and a step
    // it stops is undone: the cell materials are put back as an undo would.
    const Util::StopToken *stop = nullptr;
};

// The value of a mask's " Source" parameter for a mask drawn from a GDSII
// layout; any other value (or none) is an image mask.
extern const QString MaskSourceLayout;
extern const QString MaskSourceImage;
// What kind of value a step's parameter takes.
enum class StepValueKind {
    WholeNumber, // zero or more
    Integer,
    Number,
    Flag,
    Text,
    Mask,     // bits x * height + y; widthName and heightName give its size
    Position, // Util::Vector3D
    Material  // an id of the catalogue, or a material's name
};

struct StepParameterInfo
{
    QString name; // as a process list spells it
    StepValueKind kind = StepValueKind::Number;
    QString widthName, heightName; // a mask's size parameters
};

// The parameters a step of this type reads, in the order it reads them, both
// sides of its choices included (a spherical or box substrate, oxidation by
// time or by thickness). Taken from the step's own reads, so it cannot drift
// from what the step runs on. Empty for an unknown type.
QList<StepParameterInfo> processStepParameters(int type);

// The type whose list name is name ("CVD", "Si wet etching"); -1, with the
// sentence in detail, when there is none.
int processStepType(const QString &name, QString *detail = nullptr);

// The sentence for a value given under a name the step does not read.
QString unknownParameterText(int type, const QString &name);

// Runs one step on context.volume by calling the process engines directly and
// returns its result code. Never throws; a step that fails leaves the volume
// as it was before the step whenever it can detect the fault before writing.
int runProcessStep(const Core::Steps::ProcessData &step, ProcessRunContext &context);

// Called after each step with its index, its result code and its duration.
typedef std::function<void(int index, int code, qint64 milliseconds)> StepReport;

// Runs the steps in order until one fails or a step other than "Create
// Substrate" finds no volume (index reported with code -1 and nothing run).
// stopRequested, when given, is asked before each step; true ends the run
// there. Returns the number of steps completed.
int runProcessSteps(const Core::Steps::ProcessList &list, ProcessRunContext &context, const StepReport &report = StepReport(),
                    const std::function<bool()> &stopRequested = std::function<bool()>());

} // namespace Operations
} // namespace Core
