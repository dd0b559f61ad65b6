#include "stoppablework.h"

#include "Model/Automaton/totalvolume.h"
#include "workspace.h"

#include "Util/slabrunner.h"

#include <exception>
#include <new>

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;

bool runStoppable(Workspace &workspace, const QString &name, const std::function<void()> &work,
                  const boost::shared_ptr<TotalVolume> &restoreOnStop)
{
    const boost::shared_ptr<IStepProgress> progress = workspace.stepProgress();
    Util::StopToken stop;
    std::exception_ptr failure;
    // The scope is made on the thread that runs the engine: the token is that thread's.
    const std::function<void()> guarded = [&]() {
        const Util::StopScope scope(&stop);
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    };
    // Without a progress dialog nobody can stop the work, so nothing is kept.
    MaterialsBackup backup;
    if (progress && restoreOnStop)
        backup = MaterialsBackup(restoreOnStop);
    if (progress)
        progress->run(name, guarded, stop);
    else
        guarded();
    if (failure)
        std::rethrow_exception(failure);
    if (!stop.requested())
        return false;
    backup.restore();
    return true;
}

QString stoppedText() { return QStringLiteral(": Stopped; the cells are as they were before the step."); }

MaterialsBackup::MaterialsBackup(const boost::shared_ptr<TotalVolume> &volume) : m_volume(volume)
{
    // Without the copy a stopped step could not be put back: refuse as a failed allocation would.
    if (volume && !m_runs.capture(*volume))
        throw std::bad_alloc();
}

void MaterialsBackup::restore() const
{
    if (m_volume)
        m_runs.restore(*m_volume);
}

} // namespace Operations
} // namespace Core
