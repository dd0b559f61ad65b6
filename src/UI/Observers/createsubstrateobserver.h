#pragma once

#include "Util/iobserver.h"

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include <QPointer>
#include <QWidget>

namespace Core {
namespace Operations {
class CreateSubstrateOperation;
}
} // namespace Core

namespace Ui {
namespace Observers {

// Opens the Create Substrate dialog; on OK hands its values to the operation.
class CreateSubstrateObserver : public Util::IObserver
{
public:
    CreateSubstrateObserver(const boost::shared_ptr<Core::Operations::CreateSubstrateOperation> &operation,
                            QWidget *parent);
    void notify() override;

private:
    boost::weak_ptr<Core::Operations::CreateSubstrateOperation> m_operation;
    QPointer<QWidget> m_parent;
};

} // namespace Observers
} // namespace Ui
