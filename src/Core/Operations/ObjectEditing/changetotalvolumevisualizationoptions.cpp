#include "changetotalvolumevisualizationoptions.h"
#include "Core/Operations/cellvolumestep.h"

#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"

#include <QtDebug>

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;

ChangeTotalVolumeVisualizationOptions::ChangeTotalVolumeVisualizationOptions(Workspace *workspace)
    : Operation(QStringLiteral("Change Visualization"), TypeNumber), m_workspace(workspace)
{
}

ChangeTotalVolumeVisualizationOptions::Options ChangeTotalVolumeVisualizationOptions::currentOptions() const
{
    return m_volume ? m_volume->getPainter().getOptions() : Options();
}

void ChangeTotalVolumeVisualizationOptions::setOptions(bool renderSiAtoms, bool renderSurfaceAtomsOnly,
                                                       bool renderSiLinks, bool renderSiUnitCells,
                                                       bool renderSiUnitCellOutlines, bool renderEmptyVoxelOutlines,
                                                       int viewIndex, int distributionToRender, int colorScale)
{
    Options o;
    o.renderSiAtoms = renderSiAtoms;
    o.renderSurfaceAtomsOnly = renderSurfaceAtomsOnly;
    o.renderSiLinks = renderSiLinks;
    o.renderSiUnitCells = renderSiUnitCells;
    o.renderSiUnitCellOutlines = renderSiUnitCellOutlines;
    o.renderEmptyVoxelOutlines = renderEmptyVoxelOutlines;
    o.viewIndex = viewIndex;
    o.distributionToRender = distributionToRender;
    o.colorScale = colorScale;
    setOptions(o);
}

void ChangeTotalVolumeVisualizationOptions::setOptions(const Options &options)
{
    m_options = options;
    m_optionsSet = true;
}

void ChangeTotalVolumeVisualizationOptions::take(const boost::shared_ptr<TotalVolume> &volume)
{
    m_volume = volume;
    m_workspace->selection().setSelectionMode(false);
    m_workspace->console().write(getName() + QStringLiteral(": Cell volume selected."));
    m_ready = true;
    if (m_observer)
        m_observer->notify();
}

void ChangeTotalVolumeVisualizationOptions::proceed()
{
    if (m_ready || m_ended)
        return;
    runCellVolumeStep(*m_workspace, *this, [this](const boost::shared_ptr<TotalVolume> &volume) { take(volume); });
}

void ChangeTotalVolumeVisualizationOptions::cancel()
{
    if (m_ended)
        return;
    m_ended = true;
    m_workspace->console().write(getName() + QStringLiteral(": Operation Canceled!"));
    m_workspace->console().reset();
    m_workspace->endOperation();
}

void ChangeTotalVolumeVisualizationOptions::finish()
{
    if (m_ended)
        return;
    if (!m_ready || !m_optionsSet || !m_volume) {
        cancel();
        return;
    }
    m_ended = true;

    if (!m_materialColors.isEmpty()) {
        const boost::shared_ptr<Model::Materials::MaterialFactory> catalogue =
            Model::Materials::MaterialFactory::instance();
        for (auto it = m_materialColors.constBegin(); it != m_materialColors.constEnd(); ++it) {
            Model::Materials::Material material = catalogue->getMaterial(it.key());
            if (material.getId() != it.key())
                continue; // removed from the catalogue meanwhile
            material.setColor(it.value());
            catalogue->setMaterial(material);
        }
        if (!catalogue->saveMaterials())
            qWarning() << "Core/Operations/ObjectEditing/changetotalvolumevisualizationoptions" << Q_FUNC_INFO
                       << "the materials catalogue could not be saved";
    }

    m_volume->getPainter().setOptions(m_options);
    m_workspace->recolorVolumes();
    m_workspace->console().write(getName() + QStringLiteral(": Options changed."));
    m_workspace->console().reset();
    m_workspace->endOperation();
}

} // namespace Operations
} // namespace Core
