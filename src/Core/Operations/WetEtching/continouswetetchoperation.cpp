#include "continouswetetchoperation.h"

#include "continuoswetetching.h"

namespace Core {
namespace Operations {

ContinousWetEtchOperation::ContinousWetEtchOperation(Workspace *workspace)
    : AtomisticEtchOperation(workspace, QStringLiteral("Continuous Wet Etch"), TypeNumber)
{
}

void ContinousWetEtchOperation::runEtcher(Model::Automaton::TotalVolume &volume, double depth)
{
    ContinuosWetEtching etcher(volume, depth);
    etcher.run();
}

} // namespace Operations
} // namespace Core
