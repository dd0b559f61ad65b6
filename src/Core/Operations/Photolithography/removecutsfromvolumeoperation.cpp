#include "removecutsfromvolumeoperation.h"

#include "cutcellvolume.h"

#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;

RemoveCutsFromVolumeOperation::RemoveCutsFromVolumeOperation(Workspace *workspace)
    : ProcessOperation(workspace, QStringLiteral("Remove Cuts"), FactoryNumber, QStringLiteral("RemoveCuts"))
{
}

void RemoveCutsFromVolumeOperation::runEngine(TotalVolume &volume)
{
    CutCellVolume(volume, std::vector<bool>(), 0, 0).removeCuts();
}

void RemoveCutsFromVolumeOperation::finish()
{
    if (m_done)
        return;
    const boost::shared_ptr<TotalVolume> volume = getVolume();
    if (!isReady() || !volume) {
        cancel();
        return;
    }
    m_done = true;
    runEngine(*volume);
    volume->setTopMask(std::vector<bool>(), 0, 0);
    volume->getPainter().regenerate();
    workspace()->requestRedraw();
    say(QStringLiteral(": Cut planes changed."));
    workspace()->endOperation();
}

} // namespace Operations
} // namespace Core
