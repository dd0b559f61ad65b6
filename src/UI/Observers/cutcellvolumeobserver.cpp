#include "cutcellvolumeobserver.h"

#include "Model/Automaton/totalvolume.h"
#include "UI/Operations/cutcellvolumedialog.h"

namespace Ui {
namespace Observers {

using Core::Operations::CutCellVolumeOperation;

CutCellVolumeObserver::CutCellVolumeObserver(const boost::shared_ptr<CutCellVolumeOperation> &operation,
                                             QWidget *parent)
    : m_operation(operation), m_parent(parent)
{
}

void CutCellVolumeObserver::notify()
{
    const boost::shared_ptr<CutCellVolumeOperation> operation = m_operation.lock();
    if (!operation || !operation->getVolume())
        return;
    const boost::shared_ptr<Model::Automaton::TotalVolume> volume = operation->getVolume();
    const Model::Geometry::DrawRange original = operation->currentLimits();
    CutCellVolumeOperation *raw = operation.get();
    Operations::CutCellVolumeDialog dialog(volume->getSizeX(), volume->getSizeY(), volume->getSizeZ(), original,
                                           [raw](const Model::Geometry::DrawRange &r) { raw->applyLimits(r); },
                                           m_parent);
    if (dialog.exec() == QDialog::Accepted)
        operation->setLimits(dialog.limits());
    else if (dialog.previewed())
        operation->applyLimits(original);
}

} // namespace Observers
} // namespace Ui
