#pragma once

#include "Util/slabrunner.h"

namespace Core {
namespace Operations {

// Planarization and pouring: equal slabs, the last taking the rest; one
// pass on the calling thread when a slab would be thinner than three layers.
inline Util::SlabPlan columnSlabPlan(unsigned sizeX)
{
    return Util::planSlabs(0, sizeX, Util::defaultSlabCount(), Util::SlabSplit::EqualLastTakesRest, 3);
}

} // namespace Operations
} // namespace Core
