#pragma once

#include "Core/Operations/operation.h"
#include "Model/Geometry/totalvolumepainter.h"
#include "Util/iobserver.h"
#include "Util/vector4d.h"

#include <boost/shared_ptr.hpp>

#include <QMap>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

class Workspace;

// Changes how one cell volume is drawn (view, Si lattice parts, empty-cell
// outlines, field distribution and colour scale) and the colours of materials.
class ChangeTotalVolumeVisualizationOptions : public Operation
{
    Q_OBJECT
public:
    static constexpr int TypeNumber = 6;
    typedef Model::Geometry::VisualizationOptions Options;

    explicit ChangeTotalVolumeVisualizationOptions(Workspace *workspace);

    void setObserver(const boost::shared_ptr<Util::IObserver> &observer) { m_observer = observer; }
    boost::shared_ptr<Model::Automaton::TotalVolume> getVolume() const { return m_volume; }
    bool isReady() const { return m_ready; }
    bool isOptionsSet() const { return m_optionsSet; }

    // The painter's options of the chosen volume (what the dialog starts from).
    Options currentOptions() const;
    // The nine options in their exchange order; marks the options as set.
    void setOptions(bool renderSiAtoms, bool renderSurfaceAtomsOnly, bool renderSiLinks, bool renderSiUnitCells,
                    bool renderSiUnitCellOutlines, bool renderEmptyVoxelOutlines, int viewIndex,
                    int distributionToRender, int colorScale);
    void setOptions(const Options &options);
    Options getOptions() const { return m_options; }
    // New material colours chosen in the dialog, applied to the catalogue on finish.
    void setMaterialColors(const QMap<unsigned, Util::Vector4D> &colors) { m_materialColors = colors; }
    QMap<unsigned, Util::Vector4D> getMaterialColors() const { return m_materialColors; }

public Q_SLOTS:
    void proceed() override;
    void cancel() override;
    void finish() override;

private:
    void take(const boost::shared_ptr<Model::Automaton::TotalVolume> &volume);

    Workspace *m_workspace;
    boost::shared_ptr<Model::Automaton::TotalVolume> m_volume;
    boost::shared_ptr<Util::IObserver> m_observer;
    bool m_ready = false;
    bool m_optionsSet = false;
    bool m_ended = false;
    Options m_options;
    QMap<unsigned, Util::Vector4D> m_materialColors;
};

} // namespace Operations
} // namespace Core
