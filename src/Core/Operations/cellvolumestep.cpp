#include "cellvolumestep.h"

#include "Model/Automaton/totalvolume.h"
#include "operation.h"
#include "workspace.h"

namespace Core {
namespace Operations {

using Model::Automaton::TotalVolume;

void runCellVolumeStep(Workspace &workspace, Operation &operation, const TakeVolume &take)
{
    const QList<boost::shared_ptr<Model::Object>> picked = workspace.viewPicks().getSelected();
    for (const boost::shared_ptr<Model::Object> &object : picked) {
        const boost::shared_ptr<TotalVolume> volume = boost::dynamic_pointer_cast<TotalVolume>(object);
        if (!volume)
            continue;
        workspace.selection().clear();
        workspace.selection().setSelectionMode(false);
        workspace.requestRedraw();
        take(volume);
        operation.finish();
        return;
    }

    const QList<boost::shared_ptr<Model::Object>> objects = workspace.document().getObjects();
    if (objects.size() == 1) {
        const boost::shared_ptr<TotalVolume> volume = boost::dynamic_pointer_cast<TotalVolume>(objects.first());
        if (volume)
            take(volume);
        operation.finish();
        return;
    }

    workspace.console().write(operation.getName() + QStringLiteral(": Select a cell volume and press Enter/Return."));
    workspace.console().waitForEnter(&operation);
    workspace.selection().setSelectionMode(true);
}

} // namespace Operations
} // namespace Core
