#include "continouswetetchoperation.h"

#include "continouswetetching.h"

namespace Core {
namespace Operations {

ContinousWetEtchOperation::ContinousWetEtchOperation(Workspace *workspace)
    : AtomisticEtchOperation(workspace, QStringLiteral("Continuous Wet Etch"), TypeNumber)
{
}

void ContinousWetEtchOperation::runEtcher(Model::Automaton::TotalVolume &volume, double depth)
{
    ContinousWetEtching etcher(volume, depth);
    etcher.run();
}

} // namespace Operations
} // namespace Core
