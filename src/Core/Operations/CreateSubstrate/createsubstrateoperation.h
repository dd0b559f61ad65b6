#pragma once

#include "Core/Operations/operation.h"
#include "Core/Steps/processdata.h"
#include "Util/iobserver.h"

#include <boost/shared_ptr.hpp>

#include <QVariantMap>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

class Workspace;

// Makes a new cell volume holding a box or a sphere of one material: the
// "Create Substrate" step, run by the step executor with the dialog's values.
class CreateSubstrateOperation : public ObjectOperation
{
    Q_OBJECT
public:
    static constexpr int TypeNumber = 2;

    explicit CreateSubstrateOperation(Workspace *workspace);
    ~CreateSubstrateOperation() override;

    void setObserver(const boost::shared_ptr<Util::IObserver> &observer) { m_observer = observer; }

    // The dialog's values by parameter name; the operation becomes ready.
    void setValues(const QVariantMap &values);
    const Steps::ProcessData &step() const { return m_step; }

    bool isReady() const { return m_ready; }
    boost::shared_ptr<Model::Automaton::TotalVolume> getVolume() const { return m_volume; }

public Q_SLOTS:
    void proceed() override;
    void cancel() override;
    void finish() override;
    int undo() override;
    void redo() override;

private:
    Workspace *m_workspace;
    boost::shared_ptr<Model::Automaton::TotalVolume> m_volume;
    Steps::ProcessData m_step;
    bool m_ready = false;
    boost::shared_ptr<Util::IObserver> m_observer;
};

} // namespace Operations
} // namespace Core
