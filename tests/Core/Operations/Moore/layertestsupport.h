#pragma once

#include "Model/Automaton/totalvolume.h"

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include <QThreadPool>

#include <cstdint>
#include <functional>
#include <vector>

// Shared by the tests of the layer-by-layer and column engines.
namespace LayerTest {

typedef std::function<uint32_t(unsigned x, unsigned y, unsigned z)> Layout;

inline boost::shared_ptr<Model::Automaton::TotalVolume> makeVolume(unsigned sx, unsigned sy, unsigned sz,
                                                                   const Layout &layout)
{
    std::vector<uint32_t> m(size_t(sx) * sy * sz);
    for (unsigned x = 0; x < sx; ++x)
        for (unsigned y = 0; y < sy; ++y)
            for (unsigned z = 0; z < sz; ++z)
                m[(size_t(x) * sy + y) * sz + z] = layout(x, y, z);
    return boost::shared_ptr<Model::Automaton::TotalVolume>(
        new Model::Automaton::TotalVolume(sx, sy, sz, 1, 1, 1, Util::Vector3D(), m));
}

inline std::vector<uint32_t> materialsOf(Model::Automaton::TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    std::vector<uint32_t> out(volume.getCellCount());
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = lock.cells()[i].material;
    return out;
}

inline std::vector<unsigned> cutCountsOf(Model::Automaton::TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    std::vector<unsigned> out(volume.getCellCount());
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = lock.cells()[i].getCutCount();
    return out;
}

inline uint32_t materialAt(Model::Automaton::TotalVolume &volume, unsigned x, unsigned y, unsigned z)
{
    Model::Automaton::CellLock lock(volume);
    return lock.cells()[volume.cellIndex(x, y, z)].material;
}

// The expected cells as a layout over the same sizes.
inline std::vector<uint32_t> expected(unsigned sx, unsigned sy, unsigned sz, const Layout &layout)
{
    return materialsOf(*makeVolume(sx, sy, sz, layout));
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

// The pool sizes every engine must give the same cells for.
inline std::vector<int> poolSizes() { return {1, 2, 3, 7}; }

// Runs work on a fresh volume for every pool size; the cells must match the first run bit for bit.
// Returns the cells of the run with one thread.
template <class Work>
std::vector<uint32_t> sameForEveryPoolSize(unsigned sx, unsigned sy, unsigned sz, const Layout &layout, Work work,
                                           bool *allEqual)
{
    std::vector<uint32_t> reference;
    *allEqual = true;
    for (int threads : poolSizes()) {
        PoolSize pool(threads);
        const boost::shared_ptr<Model::Automaton::TotalVolume> volume = makeVolume(sx, sy, sz, layout);
        work(*volume);
        const std::vector<uint32_t> cells = materialsOf(*volume);
        if (reference.empty())
            reference = cells;
        else if (cells != reference)
            *allEqual = false;
    }
    return reference;
}

} // namespace LayerTest
