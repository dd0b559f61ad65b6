#include "atomisticsiwetetchingoperation.h"

#include "atomicstructuresimplesiwetetch.h"

namespace Core {
namespace Operations {

AtomisticSiWetEtchingOperation::AtomisticSiWetEtchingOperation(Workspace *workspace)
    : AtomisticEtchOperation(workspace, QStringLiteral("BCA Wet Etch"), TypeNumber)
{
}

void AtomisticSiWetEtchingOperation::runEtcher(Model::Automaton::TotalVolume &volume, double depth)
{
    AtomicStructureSimpleSiWetEtch etcher(volume, depth);
    etcher.run();
}

} // namespace Operations
} // namespace Core
