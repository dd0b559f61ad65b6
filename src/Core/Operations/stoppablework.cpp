#include "stoppablework.h"

#include "Model/Automaton/totalvolume.h"
#include "workspace.h"

#include "Util/slabrunner.h"

#include <exception>

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

namespace {

// Copies run per x slab on the global pool: a copy reads every whole cell, and
// on a large volume one thread is limited by memory, not by the work.
Util::SlabPlan copyPlan(const TotalVolume &volume)
{
    return Util::planSlabs(0, volume.getSizeX(), Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount,
                           MaterialsBackup::CopySlabAtLeast);
}

} // namespace

MaterialsBackup::MaterialsBackup(const boost::shared_ptr<TotalVolume> &volume) : m_volume(volume)
{
    if (!volume)
        return;
    const Model::Automaton::CellLock lock(*volume);
    const Model::Automaton::Voxel *cells = lock.cells();
    m_count = size_t(volume->getCellCount());
    // Not value-initialised: every entry is written below.
    m_materials.reset(new uint32_t[m_count]);
    const size_t layer = size_t(volume->getSizeY()) * volume->getSizeZ();
    uint32_t *out = m_materials.get();
    Util::runSlabs(copyPlan(*volume), [&](const Util::SlabRange &range, unsigned) {
        for (size_t i = range.first * layer, end = range.last * layer; i < end; ++i)
            out[i] = cells[i].material;
    });
}

void MaterialsBackup::restore() const
{
    if (!m_volume || m_count != size_t(m_volume->getCellCount()))
        return;
    const Model::Automaton::CellLock lock(*m_volume);
    Model::Automaton::Voxel *cells = lock.cells();
    const size_t layer = size_t(m_volume->getSizeY()) * m_volume->getSizeZ();
    const uint32_t *in = m_materials.get();
    Util::runSlabs(copyPlan(*m_volume), [&](const Util::SlabRange &range, unsigned) {
        for (size_t i = range.first * layer, end = range.last * layer; i < end; ++i)
            cells[i].material = in[i];
    });
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

} // namespace Operations
} // namespace Core
