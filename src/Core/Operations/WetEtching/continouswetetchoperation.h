#pragma once

#include "atomisticetchoperation.h"

namespace Core {
namespace Operations {

// "Continuous Wet Etch": the continuous wet etch of crystalline silicon, to a given depth.
class ContinousWetEtchOperation : public AtomisticEtchOperation
{
    Q_OBJECT
public:
    static constexpr int TypeNumber = 29;

    explicit ContinousWetEtchOperation(Workspace *workspace);

protected:
    void runEtcher(Model::Automaton::TotalVolume &volume, double depth) override;
};

} // namespace Operations
} // namespace Core
