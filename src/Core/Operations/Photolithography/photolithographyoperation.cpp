#include "photolithographyoperation.h"

#include "photolithography.h"

#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"

namespace Core {
namespace Operations {

PhotolithographyOperation::PhotolithographyOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Photolithography"), FactoryNumber, QStringLiteral("Photolithography"))
{
}

void PhotolithographyOperation::setBottomMask(const std::vector<bool> &bits, unsigned width, unsigned height)
{
    m_bottom.bits = bits;
    m_bottom.width = width;
    m_bottom.height = height;
    showMasks();
}

void PhotolithographyOperation::setTopMask(const std::vector<bool> &bits, unsigned width, unsigned height)
{
    m_top.bits = bits;
    m_top.width = width;
    m_top.height = height;
    showMasks();
}

void PhotolithographyOperation::showMasks()
{
    const boost::shared_ptr<Model::Automaton::TotalVolume> volume = getVolume();
    if (!volume)
        return;
    volume->setBottomMask(m_bottom.bits, m_bottom.width, m_bottom.height);
    volume->setTopMask(m_top.bits, m_top.width, m_top.height);
    m_overlaysShown = true;
    workspace()->requestRedraw();
}

void PhotolithographyOperation::removeOverlays()
{
    const boost::shared_ptr<Model::Automaton::TotalVolume> volume = getVolume();
    if (!volume)
        return;
    volume->setBottomMask(std::vector<bool>(), 0, 0);
    volume->setTopMask(std::vector<bool>(), 0, 0);
    m_overlaysShown = false;
}

void PhotolithographyOperation::cancel()
{
    // A mask previewed in the dialog must not stay on the volume after the step is abandoned.
    if (m_overlaysShown)
        removeOverlays();
    ProcessOperation::cancel();
}

void PhotolithographyOperation::runEngine(Model::Automaton::TotalVolume &volume)
{
    Photolithography(volume, m_material.value(), m_bottom.bits, m_bottom.width, m_bottom.height, m_top.bits,
                     m_top.width, m_top.height)
        .run();
    // The overlays belong to the masks being edited; once developed they are gone.
    removeOverlays();
}

} // namespace Operations
} // namespace Core
