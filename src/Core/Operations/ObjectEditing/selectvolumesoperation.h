#pragma once

#include "Core/Operations/operation.h"
#include "Util/iobserver.h"

#include <boost/shared_ptr.hpp>

#include <QString>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

class Workspace;

// The first step of a batch run: the cell volume to run on, or none when the
// user types N.
class SelectVolumesOperation : public Operation
{
    Q_OBJECT
public:
    static constexpr int TypeNumber = 24;

    explicit SelectVolumesOperation(Workspace *workspace);

    // Told when the choice is made; it opens the batch run with getVolume().
    void setObserver(const boost::shared_ptr<Util::IObserver> &observer) { m_observer = observer; }
    boost::shared_ptr<Model::Automaton::TotalVolume> getVolume() const { return m_volume; }
    bool isReady() const { return m_ready; }

public Q_SLOTS:
    void proceed() override;
    void cancel() override;
    void finish() override;

private:
    Workspace *m_workspace;
    boost::shared_ptr<Model::Automaton::TotalVolume> m_volume;
    boost::shared_ptr<Util::IObserver> m_observer;
    bool m_ready = false;
    bool m_finished = false;
    QString m_typedText;
};

} // namespace Operations
} // namespace Core
