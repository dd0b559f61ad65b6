#pragma once

#include "Core/Operations/CutGlue/cutcellvolumeoperation.h"
#include "Util/iobserver.h"

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include <QPointer>
#include <QWidget>

namespace Ui {
namespace Observers {

// Shows the cut limits of the operation's volume; on OK writes them back. A
// cancelled dialog puts back the limits its preview may have changed.
class CutCellVolumeObserver : public Util::IObserver
{
public:
    CutCellVolumeObserver(const boost::shared_ptr<Core::Operations::CutCellVolumeOperation> &operation, QWidget *parent);
    void notify() override;

private:
    boost::weak_ptr<Core::Operations::CutCellVolumeOperation> m_operation;
    QPointer<QWidget> m_parent;
};

} // namespace Observers
} // namespace Ui
