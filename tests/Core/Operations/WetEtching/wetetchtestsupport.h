#pragma once

#include "Model/Automaton/silattice.h"
#include "Model/Automaton/totalvolume.h"
#include "volumetestsupport.h"

#include <boost/shared_ptr.hpp>

#include <functional>
#include <vector>

namespace WetEtchTest {

typedef TestSupport::Layout MaterialAt;
using TestSupport::makeVolume;
using TestSupport::materialAt;
using TestSupport::PoolSize;

// Silicon below z = top, empty above.
inline MaterialAt flatTop(unsigned top)
{
    return [top](unsigned, unsigned, unsigned z) { return z < top ? 1u : 0u; };
}

// Silicon below z = top, a one-cell oxide mask (material 2) at z = top with a
// square opening [lo, hi) in x and y, empty above.
inline MaterialAt maskedTop(unsigned top, unsigned lo, unsigned hi)
{
    return [=](unsigned x, unsigned y, unsigned z) {
        if (z < top)
            return 1u;
        if (z == top && !(x >= lo && x < hi && y >= lo && y < hi))
            return 2u;
        return 0u;
    };
}

inline std::vector<Model::Automaton::Voxel> cellsOf(Model::Automaton::TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    return std::vector<Model::Automaton::Voxel>(lock.cells(), lock.cells() + volume.getCellCount());
}

} // namespace WetEtchTest
