#pragma once

#include "volumetestsupport.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <functional>
#include <vector>

// Shared by the tests of the layer-by-layer and column engines.
namespace LayerTest {

using TestSupport::Layout;
using TestSupport::makeVolume;
using TestSupport::materialAt;
using TestSupport::materialsOf;
using TestSupport::PoolSize;

inline std::vector<unsigned> cutCountsOf(Model::Automaton::TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    std::vector<unsigned> out(volume.getCellCount());
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = volume.getPainter().cutCount(i);
    return out;
}

// The expected cells as a layout over the same sizes.
inline std::vector<uint32_t> expected(unsigned sx, unsigned sy, unsigned sz, const Layout &layout)
{
    return materialsOf(*makeVolume(sx, sy, sz, layout));
}

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
