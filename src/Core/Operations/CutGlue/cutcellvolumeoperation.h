#pragma once

#include "Core/Operations/operation.h"
#include "Model/Geometry/drawrange.h"
#include "Util/iobserver.h"

#include <boost/shared_ptr.hpp>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

class Workspace;

// "Change Cut Planes" (factory 16): sets the limits of the part of a volume
// that is drawn. The cells are not changed, so there is nothing to undo.
class CutCellVolumeOperation : public Operation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 16;
    // The operation kind it reports, which is not its factory number.
    static constexpr int TypeNumber = 2;

    explicit CutCellVolumeOperation(Workspace *workspace);
    ~CutCellVolumeOperation() override;

    void setDialogObserver(const boost::shared_ptr<Util::IObserver> &observer) { m_dialogObserver = observer; }
    boost::shared_ptr<Model::Automaton::TotalVolume> getVolume() const { return m_volume; }

    // The volume's current limits (the whole volume when it has none yet).
    Model::Geometry::DrawRange currentLimits() const;
    // The full volume: lower 0, upper the sizes.
    Model::Geometry::DrawRange fullLimits() const;
    // Writes the limits to the volume's painter, rebuilds the surface and refreshes
    // the view. Limits outside the volume are clamped, an empty range keeps one layer.
    void applyLimits(const Model::Geometry::DrawRange &limits);
    // The dialog was accepted with these limits.
    void setLimits(const Model::Geometry::DrawRange &limits);
    bool limitsSet() const { return m_limitsSet; }

public Q_SLOTS:
    void proceed() override;
    void cancel() override;
    void finish() override;

private:
    void say(const QString &text);

    Workspace *m_workspace;
    boost::shared_ptr<Model::Automaton::TotalVolume> m_volume;
    boost::shared_ptr<Util::IObserver> m_dialogObserver;
    bool m_limitsSet = false;
    bool m_surfaceRebuilt = false;
    bool m_done = false;
};

} // namespace Operations
} // namespace Core
