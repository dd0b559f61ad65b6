#pragma once

#include "Model/Automaton/totalvolume.h"
#include "Util/iobserver.h"

#include <boost/shared_ptr.hpp>

#include <functional>
#include <vector>

namespace CutGlueTest {

typedef std::function<uint32_t(unsigned, unsigned, unsigned)> Layout;

inline boost::shared_ptr<Model::Automaton::TotalVolume> makeVolume(unsigned sx, unsigned sy, unsigned sz,
                                                                   const Layout &layout, float cell = 1.0f)
{
    std::vector<uint32_t> m(size_t(sx) * sy * sz);
    for (unsigned x = 0; x < sx; ++x)
        for (unsigned y = 0; y < sy; ++y)
            for (unsigned z = 0; z < sz; ++z)
                m[(size_t(x) * sy + y) * sz + z] = layout(x, y, z);
    return boost::shared_ptr<Model::Automaton::TotalVolume>(
        new Model::Automaton::TotalVolume(sx, sy, sz, cell, cell, cell, Util::Vector3D(), m));
}

inline uint32_t at(Model::Automaton::TotalVolume &v, unsigned x, unsigned y, unsigned z)
{
    Model::Automaton::CellLock lock(v);
    return lock.cells()[v.cellIndex(x, y, z)].material;
}

inline std::vector<uint32_t> materialsOf(Model::Automaton::TotalVolume &v)
{
    Model::Automaton::CellLock lock(v);
    std::vector<uint32_t> out(v.getCellCount());
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = lock.cells()[i].material;
    return out;
}

// Stands in for an options dialog: "OK" runs accept, an empty accept is "Cancel".
class FakeDialog : public Util::IObserver
{
public:
    std::function<void()> accept;
    int shown = 0;
    void notify() override
    {
        ++shown;
        if (accept)
            accept();
    }
};

} // namespace CutGlueTest
