#include "maskedcutcellvolumeoperation.h"

#include "cutcellvolume.h"

#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;

MaskedCutCellVolumeOperation::MaskedCutCellVolumeOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Masked Cut"), FactoryNumber, QStringLiteral("MaskedCut"))
{
}

void MaskedCutCellVolumeOperation::setMask(const std::vector<bool> &bits, unsigned width, unsigned height)
{
    m_mask.bits = bits;
    m_mask.width = width;
    m_mask.height = height;
    m_usable = width != 0 && height != 0;
    if (const boost::shared_ptr<TotalVolume> volume = getVolume()) {
        volume->setTopMask(bits, width, height);
        m_overlayShown = true;
        workspace()->requestRedraw();
    }
}

void MaskedCutCellVolumeOperation::runEngine(TotalVolume &volume)
{
    CutCellVolume(volume, m_mask.bits, m_mask.width, m_mask.height).applyCut();
}

void MaskedCutCellVolumeOperation::refresh(TotalVolume &volume)
{
    volume.getPainter().regenerate();
    workspace()->requestRedraw();
}

void MaskedCutCellVolumeOperation::cancel()
{
    if (m_overlayShown && getVolume()) {
        getVolume()->setTopMask(std::vector<bool>(), 0, 0);
        m_overlayShown = false;
    }
    ProcessOperation::cancel();
}

void MaskedCutCellVolumeOperation::finish()
{
    if (m_done)
        return;
    const boost::shared_ptr<TotalVolume> volume = getVolume();
    if (!isReady() || !volume || !m_usable) {
        cancel();
        return;
    }
    m_done = true;
    runEngine(*volume);
    volume->setTopMask(std::vector<bool>(), 0, 0);
    m_overlayShown = false;
    refresh(*volume);
    say(QStringLiteral(": Cut planes changed."));
    workspace()->completeOperation();
}

int MaskedCutCellVolumeOperation::undo()
{
    const boost::shared_ptr<TotalVolume> volume = getVolume();
    if (!volume)
        return UndoDropped;
    CutCellVolume(*volume, m_mask.bits, m_mask.width, m_mask.height).undoCut();
    refresh(*volume);
    return Undone;
}

void MaskedCutCellVolumeOperation::redo()
{
    const boost::shared_ptr<TotalVolume> volume = getVolume();
    if (!volume)
        return;
    runEngine(*volume);
    refresh(*volume);
}

} // namespace Operations
} // namespace Core
