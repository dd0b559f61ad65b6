#pragma once

#include "atomisticetchoperation.h"

namespace Core {
namespace Operations {

// "BCA Wet Etch": the bond-counting wet etch of crystalline silicon, to a given depth.
class AtomisticSiWetEtchingOperation : public AtomisticEtchOperation
{
    Q_OBJECT
public:
    static constexpr int TypeNumber = 28;

    explicit AtomisticSiWetEtchingOperation(Workspace *workspace);

protected:
    void runEtcher(Model::Automaton::TotalVolume &volume, double depth) override;
};

} // namespace Operations
} // namespace Core
