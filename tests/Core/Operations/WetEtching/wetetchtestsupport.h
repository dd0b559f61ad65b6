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

// A cell's material and the count of present atoms the lattice keeps for it.
struct CellRecord
{
    uint32_t material;
    int32_t atomCount;
};

inline std::vector<CellRecord> cellsOf(Model::Automaton::TotalVolume &volume)
{
    const boost::shared_ptr<Model::Automaton::SiLattice> lattice = volume.getLattice();
    Model::Automaton::CellLock lock(volume);
    std::vector<CellRecord> out(volume.getCellCount());
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = {lock.cells()[i].material, lattice ? lattice->atomCount(uint32_t(i)) : 0};
    return out;
}

} // namespace WetEtchTest
