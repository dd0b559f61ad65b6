#pragma once

#include "Util/slabrunner.h"

namespace Core {
namespace Operations {

// Both Moore automata split x into equal slabs, the last taking the rest,
// and run as one slab on the calling thread when a slab would be thinner
// than two layers.
inline Util::SlabPlan mooreSlabPlan(unsigned sizeX)
{
    return Util::planSlabs(0, sizeX, Util::defaultSlabCount(), Util::SlabSplit::EqualLastTakesRest, 2);
}

} // namespace Operations
} // namespace Core
