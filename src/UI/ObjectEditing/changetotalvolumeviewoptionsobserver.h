#pragma once

#include "Util/iobserver.h"

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include <QPointer>
#include <QWidget>

namespace Core {
namespace Operations {
class ChangeTotalVolumeVisualizationOptions;
}
} // namespace Core

namespace Ui {
namespace Observers {

// Opens the visualisation dialog on the chosen volume's current options; on
// OK hands the new options and colours to the operation.
class ChangeTotalVolumeViewOptionsObserver : public Util::IObserver
{
public:
    ChangeTotalVolumeViewOptionsObserver(
        const boost::shared_ptr<Core::Operations::ChangeTotalVolumeVisualizationOptions> &operation, QWidget *parent);
    void notify() override;

private:
    boost::weak_ptr<Core::Operations::ChangeTotalVolumeVisualizationOptions> m_operation;
    QPointer<QWidget> m_parent;
};

} // namespace Observers
} // namespace Ui
