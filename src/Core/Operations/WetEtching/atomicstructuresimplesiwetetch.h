#pragma once

#include "atomisticwetetchengine.h"

namespace Core {
namespace Operations {

// Bond-counting wet etch: each step removes every surface atom with fewer
// than three present neighbours, or with three and fewer than nine second
// neighbours. A (100) surface loses one atomic layer (0.25 units) per step;
// (111) terraces, three bonds and nine second neighbours, stand.
class AtomicStructureSimpleSiWetEtch : public AtomisticWetEtchEngine
{
public:
    AtomicStructureSimpleSiWetEtch(Model::Automaton::TotalVolume &volume, double depth);

    // The removal rule on a surface atom's counts.
    static bool removes(int firstNeighbours, int secondNeighbours)
    {
        return firstNeighbours < 3 || (firstNeighbours == 3 && secondNeighbours < 9);
    }

protected:
    void examine(Slab &slab) override;
};

} // namespace Operations
} // namespace Core
