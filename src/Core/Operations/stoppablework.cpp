#include "stoppablework.h"

#include "Model/Automaton/totalvolume.h"
#include "workspace.h"

#include <exception>

namespace Core {
namespace Operations {

bool runStoppable(Workspace &workspace, const QString &name, const std::function<void()> &work)
{
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
    if (const boost::shared_ptr<IStepProgress> progress = workspace.stepProgress())
        progress->run(name, guarded, stop);
    else
        guarded();
    if (failure)
        std::rethrow_exception(failure);
    return stop.requested();
}

MaterialsBackup::MaterialsBackup(const boost::shared_ptr<Model::Automaton::TotalVolume> &volume) : m_volume(volume)
{
    if (!volume)
        return;
    const Model::Automaton::CellLock lock(*volume);
    const Model::Automaton::Voxel *cells = lock.cells();
    m_materials.resize(size_t(volume->getCellCount()));
    for (size_t i = 0; i < m_materials.size(); ++i)
        m_materials[i] = cells[i].material;
}

void MaterialsBackup::restore() const
{
    if (!m_volume || m_materials.size() != size_t(m_volume->getCellCount()))
        return;
    const Model::Automaton::CellLock lock(*m_volume);
    Model::Automaton::Voxel *cells = lock.cells();
    for (size_t i = 0; i < m_materials.size(); ++i)
        cells[i].material = m_materials[i];
}

} // namespace Operations
} // namespace Core
