#include "stoppablework.h"

#include "Model/Automaton/totalvolume.h"
#include "workspace.h"

#include "Util/slabrunner.h"

#include <exception>
#include <new>

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;

bool runStoppable(Workspace &workspace, const QString &name, const std::function<void(const Util::StopToken &)> &work)
{
    const boost::shared_ptr<IStepProgress> progress = workspace.stepProgress();
    Util::StopToken stop;
    std::exception_ptr failure;
    // The scope is made on the thread that runs the engine: the token is that thread's.
    const std::function<void()> guarded = [&]() {
        const Util::StopScope scope(&stop);
        try {
            work(stop);
        } catch (...) {
            failure = std::current_exception();
        }
    };
    if (progress)
        progress->run(name, guarded, stop);
    else
        guarded();
    if (failure)
        std::rethrow_exception(failure);
    return stop.requested();
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

ParticleCountsBackup::ParticleCountsBackup(const TotalVolume &volume) : m_kept(true)
{
    using Model::Geometry::FieldPainter;
    for (const QString &property : {FieldPainter::nTypeProperty(), FieldPainter::pTypeProperty()}) {
        const Model::Geometry::ParticleCounterArray counts = FieldPainter::countersOf(volume.getProperty(property));
        // The walk changes its array in place, so a copy is kept, not the array.
        m_fields.push_back(
            {property, counts ? Model::Geometry::ParticleCounterArray(new std::vector<Model::Geometry::ParticleCounter>(*counts))
                              : Model::Geometry::ParticleCounterArray()});
    }
}

void ParticleCountsBackup::restore(TotalVolume &volume) const
{
    using Model::Geometry::FieldPainter;
    for (const Field &field : m_fields) {
        if (!field.counts) {
            volume.removeProperty(field.property);
            continue;
        }
        // A copy again, so the kept counts survive the next run of the walk.
        volume.setProperty(field.property,
                           FieldPainter::toProperty(Model::Geometry::ParticleCounterArray(
                               new std::vector<Model::Geometry::ParticleCounter>(*field.counts))));
    }
}

DopantsBackup::DopantsBackup(TotalVolume &volume) : m_kept(true)
{
    Model::Automaton::CellLock lock(volume);
    m_fields = lock.dopants();
}

void DopantsBackup::restore(TotalVolume &volume) const
{
    if (!m_kept)
        return;
    Model::Automaton::CellLock lock(volume);
    lock.dopants() = m_fields;
}

} // namespace Operations
} // namespace Core
