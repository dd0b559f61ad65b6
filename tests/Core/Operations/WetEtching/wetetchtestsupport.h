#pragma once

#include "Model/Automaton/silattice.h"
#include "Model/Automaton/totalvolume.h"

#include <boost/shared_ptr.hpp>

#include <QThreadPool>

#include <functional>
#include <vector>

namespace WetEtchTest {

typedef std::function<uint32_t(unsigned, unsigned, unsigned)> MaterialAt;

inline boost::shared_ptr<Model::Automaton::TotalVolume> makeVolume(unsigned sx, unsigned sy, unsigned sz,
                                                                  const MaterialAt &material)
{
    std::vector<uint32_t> m(size_t(sx) * sy * sz);
    for (unsigned x = 0; x < sx; ++x)
        for (unsigned y = 0; y < sy; ++y)
            for (unsigned z = 0; z < sz; ++z)
                m[(size_t(x) * sy + y) * sz + z] = material(x, y, z);
    return boost::shared_ptr<Model::Automaton::TotalVolume>(
        new Model::Automaton::TotalVolume(sx, sy, sz, 1, 1, 1, Util::Vector3D(), m));
}

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

inline uint32_t materialAt(Model::Automaton::TotalVolume &volume, unsigned x, unsigned y, unsigned z)
{
    Model::Automaton::CellLock lock(volume);
    return lock.cells()[volume.cellIndex(x, y, z)].material;
}

// Restores the pool size a test changed.
struct PoolSize
{
    int saved = QThreadPool::globalInstance()->maxThreadCount();
    ~PoolSize() { QThreadPool::globalInstance()->setMaxThreadCount(saved); }
};

} // namespace WetEtchTest
