#pragma once

#include "Model/Automaton/totalvolume.h"

#include <boost/shared_ptr.hpp>

#include <QThreadPool>

#include <cstdint>
#include <functional>
#include <vector>

namespace DistanceCountingTest {

typedef std::function<uint32_t(unsigned x, unsigned y, unsigned z)> Layout;

inline boost::shared_ptr<Model::Automaton::TotalVolume> makeVolume(unsigned sx, unsigned sy, unsigned sz,
                                                                   const Layout &layout, float cx = 1, float cy = 1,
                                                                   float cz = 1)
{
    std::vector<uint32_t> m(size_t(sx) * sy * sz);
    for (unsigned x = 0; x < sx; ++x)
        for (unsigned y = 0; y < sy; ++y)
            for (unsigned z = 0; z < sz; ++z)
                m[(size_t(x) * sy + y) * sz + z] = layout(x, y, z);
    return boost::shared_ptr<Model::Automaton::TotalVolume>(
        new Model::Automaton::TotalVolume(sx, sy, sz, cx, cy, cz, Util::Vector3D(), m));
}

inline std::vector<uint32_t> materialsOf(Model::Automaton::TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    std::vector<uint32_t> out(volume.getCellCount());
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = lock.cells()[i].material;
    return out;
}

inline uint32_t materialAt(Model::Automaton::TotalVolume &volume, unsigned x, unsigned y, unsigned z)
{
    Model::Automaton::CellLock lock(volume);
    return lock.cells()[volume.cellIndex(x, y, z)].material;
}

// Restores the pool's thread count when a test ends.
class PoolSize
{
public:
    explicit PoolSize(int threads) : m_saved(QThreadPool::globalInstance()->maxThreadCount())
    {
        QThreadPool::globalInstance()->setMaxThreadCount(threads);
    }
    ~PoolSize() { QThreadPool::globalInstance()->setMaxThreadCount(m_saved); }

private:
    int m_saved;
};

} // namespace DistanceCountingTest
