#pragma once

#include "Util/iobserver.h"

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include <QPointer>
#include <QWidget>

namespace Core {
namespace Operations {
class SelectVolumesOperation;
class Workspace;
} // namespace Operations
} // namespace Core

namespace Ui {
namespace Observers {

// Opens the batch run, modally over the main window, on the volume the
// selection step chose (or on none).
class BatchRunObserver : public Util::IObserver
{
public:
    BatchRunObserver(const boost::shared_ptr<Core::Operations::SelectVolumesOperation> &operation,
                     Core::Operations::Workspace *workspace, QWidget *parent);
    void notify() override;

private:
    boost::weak_ptr<Core::Operations::SelectVolumesOperation> m_operation;
    Core::Operations::Workspace *m_workspace;
    QPointer<QWidget> m_parent;
};

} // namespace Observers
} // namespace Ui
