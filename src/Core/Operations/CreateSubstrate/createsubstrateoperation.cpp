#include "createsubstrateoperation.h"

#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Util/slabrunner.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;

CreateSubstrateOperation::CreateSubstrateOperation(Workspace *workspace)
    : ObjectOperation(QStringLiteral("Create Substrate"), TypeNumber), m_workspace(workspace)
{
}

CreateSubstrateOperation::~CreateSubstrateOperation() = default;

void CreateSubstrateOperation::setCommon(uint32_t materialId, uint32_t sizeX, uint32_t sizeY, uint32_t sizeZ,
                                         const Util::Vector3D &position)
{
    m_materialId = materialId;
    m_sizeX = sizeX;
    m_sizeY = sizeY;
    m_sizeZ = sizeZ;
    m_position = position;
    m_ready = true;
}

void CreateSubstrateOperation::setBoxParameters(uint32_t materialId, uint32_t sizeX, uint32_t sizeY, uint32_t sizeZ,
                                                const Util::Vector3D &position, uint32_t deltaX, uint32_t deltaY,
                                                uint32_t deltaZ, uint32_t substrateSizeX, uint32_t substrateSizeY,
                                                uint32_t substrateSizeZ)
{
    setCommon(materialId, sizeX, sizeY, sizeZ, position);
    m_substrateDeltaX = deltaX;
    m_substrateDeltaY = deltaY;
    m_substrateDeltaZ = deltaZ;
    m_substrateSizeX = substrateSizeX;
    m_substrateSizeY = substrateSizeY;
    m_substrateSizeZ = substrateSizeZ;
    m_spherical = false;
}

void CreateSubstrateOperation::setSphereParameters(uint32_t materialId, uint32_t sizeX, uint32_t sizeY,
                                                   uint32_t sizeZ, const Util::Vector3D &position, uint32_t centerX,
                                                   uint32_t centerY, uint32_t centerZ, uint32_t radius)
{
    setCommon(materialId, sizeX, sizeY, sizeZ, position);
    m_centerX = centerX;
    m_centerY = centerY;
    m_centerZ = centerZ;
    m_radius = radius;
    m_spherical = true;
}

void CreateSubstrateOperation::proceed()
{
    if (m_observer)
        m_observer->notify();
    finish();
}

void CreateSubstrateOperation::cancel() { m_workspace->endOperation(); }

boost::shared_ptr<TotalVolume> CreateSubstrateOperation::buildVolume(QString *error) const
{
    const boost::shared_ptr<TotalVolume> volume =
        TotalVolume::create(m_sizeX, m_sizeY, m_sizeZ, 1.0f, 1.0f, 1.0f, m_position, 0u, error);
    if (!volume)
        return volume;

    CellLock lock(*volume);
    Voxel *cells = lock.cells();
    const uint64_t sy = m_sizeY, sz = m_sizeZ;
    const Util::SlabPlan plan =
        Util::planSlabs(0, m_sizeX, Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount, 2);

    if (m_spherical) {
        const double cx = volume->getCellSizeX(), cy = volume->getCellSizeY(), cz = volume->getCellSizeZ();
        const double r2 = double(m_radius) * m_radius * cz * cz;
        Util::runSlabs(plan, [&](const Util::SlabRange &range, unsigned) {
            for (uint64_t x = range.first; x < range.last; ++x) {
                const double dx = (double(x) - m_centerX) * cx;
                for (uint64_t y = 0; y < sy; ++y) {
                    const double dy = (double(y) - m_centerY) * cy;
                    Voxel *column = cells + (x * sy + y) * sz;
                    for (uint64_t z = 0; z < sz; ++z) {
                        const double dz = (double(z) - m_centerZ) * cz;
                        if (r2 >= dx * dx + dy * dy + dz * dz)
                            column[z].material = m_materialId;
                    }
                }
            }
        });
    } else {
        // 64-bit ends: delta + size may pass 2^32 with the dialog's ranges.
        const uint64_t x1 = std::min<uint64_t>(m_sizeX, uint64_t(m_substrateDeltaX) + m_substrateSizeX);
        const uint64_t y1 = std::min<uint64_t>(m_sizeY, uint64_t(m_substrateDeltaY) + m_substrateSizeY);
        const uint64_t z1 = std::min<uint64_t>(m_sizeZ, uint64_t(m_substrateDeltaZ) + m_substrateSizeZ);
        Util::runSlabs(plan, [&](const Util::SlabRange &range, unsigned) {
            const uint64_t first = std::max<uint64_t>(range.first, m_substrateDeltaX);
            const uint64_t last = std::min<uint64_t>(range.last, x1);
            for (uint64_t x = first; x < last; ++x)
                for (uint64_t y = m_substrateDeltaY; y < y1; ++y) {
                    Voxel *column = cells + (x * sy + y) * sz;
                    for (uint64_t z = m_substrateDeltaZ; z < z1; ++z)
                        column[z].material = m_materialId;
                }
        });
    }
    return volume;
}

void CreateSubstrateOperation::finish()
{
    if (!m_ready || m_volume)
        return;

    QElapsedTimer timer;
    timer.start();
    QString error;
    const boost::shared_ptr<TotalVolume> volume = buildVolume(&error);
    if (!volume) {
        // The operation stays current so the user can try smaller sizes.
        m_ready = false;
        m_workspace->reportError(QStringLiteral("Create Substrate"), error);
        return;
    }
    std::printf("Time to simulate %s: %lld ms\n", qPrintable(getName()), static_cast<long long>(timer.elapsed()));

    timer.restart();
    volume->getPainter().regenerate();
    std::printf("Time to update surface: %lld ms\n", static_cast<long long>(timer.elapsed()));
    std::fflush(stdout);

    m_volume = volume;
    m_workspace->document().addObject(volume);
    m_workspace->console().write(QStringLiteral("Create Substrate: substrate created successfully."));
    m_workspace->completeOperation();
}

int CreateSubstrateOperation::undo()
{
    if (!m_volume)
        return UndoDropped;
    m_workspace->document().removeObject(m_volume);
    m_workspace->requestRedraw();
    return Undone;
}

void CreateSubstrateOperation::redo()
{
    if (!m_volume)
        return;
    m_workspace->document().addObject(m_volume);
    m_workspace->requestRedraw();
}

} // namespace Operations
} // namespace Core
