#pragma once

#include <boost/shared_ptr.hpp>

#include <functional>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

class Operation;
class Workspace;

typedef std::function<void(const boost::shared_ptr<Model::Automaton::TotalVolume> &)> TakeVolume;

// The step every operation on one cell volume starts with: the first selected
// volume, else the document's only object when it is a volume (then finish,
// which cancels when nothing was taken), else ask for a pick and Enter.
// take() is called with the volume before the operation's finish().
void runCellVolumeStep(Workspace &workspace, Operation &operation, const TakeVolume &take);

} // namespace Operations
} // namespace Core
