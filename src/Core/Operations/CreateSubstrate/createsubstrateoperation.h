#pragma once

#include "Core/Operations/operation.h"
#include "Util/iobserver.h"
#include "Util/vector3d.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

class Workspace;

// Makes a new cell volume holding a box or a sphere of one material.
class CreateSubstrateOperation : public ObjectOperation
{
    Q_OBJECT
public:
    static constexpr int TypeNumber = 2;

    explicit CreateSubstrateOperation(Workspace *workspace);
    ~CreateSubstrateOperation() override;

    void setObserver(const boost::shared_ptr<Util::IObserver> &observer) { m_observer = observer; }

    void setBoxParameters(uint32_t materialId, uint32_t sizeX, uint32_t sizeY, uint32_t sizeZ,
                          const Util::Vector3D &position, uint32_t deltaX, uint32_t deltaY, uint32_t deltaZ,
                          uint32_t substrateSizeX, uint32_t substrateSizeY, uint32_t substrateSizeZ);
    void setSphereParameters(uint32_t materialId, uint32_t sizeX, uint32_t sizeY, uint32_t sizeZ,
                             const Util::Vector3D &position, uint32_t centerX, uint32_t centerY, uint32_t centerZ,
                             uint32_t radius);

    bool isReady() const { return m_ready; }
    boost::shared_ptr<Model::Automaton::TotalVolume> getVolume() const { return m_volume; }

    // Builds the volume the parameters describe, without touching any scene:
    // empty with a message when it cannot be built. Batch runs use it directly.
    boost::shared_ptr<Model::Automaton::TotalVolume> buildVolume(QString *error) const;

public Q_SLOTS:
    void proceed() override;
    void cancel() override;
    void finish() override;
    int undo() override;
    void redo() override;

private:
    void setCommon(uint32_t materialId, uint32_t sizeX, uint32_t sizeY, uint32_t sizeZ, const Util::Vector3D &position);

    Workspace *m_workspace;
    boost::shared_ptr<Model::Automaton::TotalVolume> m_volume;
    uint32_t m_materialId = 0;
    uint32_t m_sizeX = 0, m_sizeY = 0, m_sizeZ = 0;
    uint32_t m_substrateSizeX = 0, m_substrateSizeY = 0, m_substrateSizeZ = 0;
    uint32_t m_substrateDeltaX = 0, m_substrateDeltaY = 0, m_substrateDeltaZ = 0;
    uint32_t m_radius = 0;
    uint32_t m_centerX = 0, m_centerY = 0, m_centerZ = 0;
    Util::Vector3D m_position;
    bool m_spherical = false;
    bool m_ready = false;
    boost::shared_ptr<Util::IObserver> m_observer;
};

} // namespace Operations
} // namespace Core
