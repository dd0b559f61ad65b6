#pragma once

#include "Model/Geometry/fieldpainter.h"
#include "Model/Automaton/dopantfields.h"
#include "Model/Automaton/materialruns.h"
#include "Util/stoptoken.h"

#include <boost/shared_ptr.hpp>

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

class Workspace;

// How a step's engine runs so that the person can stop it. The program runs the
// work on a worker thread and, once it has taken about a second, shows a
// progress dialog whose Cancel requests the stop. Without one (tests, tools)
// the work runs on the calling thread and nothing stops it.
class IStepProgress
{
public:
    virtual ~IStepProgress() = default;
    // Returns when work has returned. work already asks stop in the engines'
    // loops; Cancel only calls stop.request().
    virtual void run(const QString &name, const std::function<void()> &work, Util::StopToken &stop) = 0;
};

// Runs work through the workspace's IStepProgress (on this thread when it has
// none), handing it the stop token the person's Cancel requests. True when the
// person stopped it; putting the cells back is the work's own business (the
// step executor does it). An exception work threw is thrown again here, on
// this thread.
bool runStoppable(Workspace &workspace, const QString &name, const std::function<void(const Util::StopToken &)> &work);

// The console text after a stopped step whose cells were put back.
QString stoppedText();

// The cell materials of a volume, kept in memory (as runs of equal materials)
// to put back when a step is stopped and no undo snapshot holds them. Throws
// std::bad_alloc when there is no memory for the copy.
class MaterialsBackup
{
public:
    MaterialsBackup() = default;
    explicit MaterialsBackup(const boost::shared_ptr<Model::Automaton::TotalVolume> &volume);
    void restore() const;

private:
    boost::shared_ptr<Model::Automaton::TotalVolume> m_volume;
    Model::Automaton::MaterialRuns m_runs; // its size follows the surfaces, not the cells
};

// The random walk's particle counts of a volume (both dopant types), copied
// so that undo or a stop can put them back.
class ParticleCountsBackup
{
public:
    ParticleCountsBackup() = default;
    explicit ParticleCountsBackup(const Model::Automaton::TotalVolume &volume);
    // Puts the copied counts back on volume; counts it did not have before are removed.
    void restore(Model::Automaton::TotalVolume &volume) const;
    bool isKept() const { return m_kept; }

private:
    struct Field
    {
        QString property;
        Model::Geometry::ParticleCounterArray counts; // a copy, or null when the volume had none
    };
    std::vector<Field> m_fields;
    bool m_kept = false;
};

// A volume's dopant concentrations, copied so that undo, redo or a stop can
// put them back. Throws std::bad_alloc when there is no memory for the copy.
class DopantsBackup
{
public:
    DopantsBackup() = default;
    explicit DopantsBackup(Model::Automaton::TotalVolume &volume);
    // Puts the copied fields back on volume (none kept: nothing changes).
    void restore(Model::Automaton::TotalVolume &volume) const;
    bool isKept() const { return m_kept; }

private:
    Model::Automaton::DopantFields m_fields;
    bool m_kept = false;
};

} // namespace Operations
} // namespace Core
