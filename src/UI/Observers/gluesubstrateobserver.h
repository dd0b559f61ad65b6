#pragma once

#include "Core/Operations/CutGlue/gluesubstrateoperation.h"
#include "Util/iobserver.h"

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include <QPointer>
#include <QWidget>

namespace Ui {
namespace Observers {

// Fills the glue dialog from the computed defaults and limits; on OK hands
// the final size, displacement and inversion to the operation.
class GlueSubstrateObserver : public Util::IObserver
{
public:
    GlueSubstrateObserver(const boost::shared_ptr<Core::Operations::GlueSubstrateOperation> &operation, QWidget *parent);
    void notify() override;

private:
    boost::weak_ptr<Core::Operations::GlueSubstrateOperation> m_operation;
    QPointer<QWidget> m_parent;
};

} // namespace Observers
} // namespace Ui
