#pragma once

#include "Model/Automaton/voxel.h"
#include "Model/Geometry/cellgrid.h"
#include "Model/Geometry/colormap.h"
#include "Model/Geometry/quadface.h"

#include <QThreadPool>

#include <functional>
#include <vector>

namespace GeometryTest {

// Materials used throughout: two opaque, two translucent, one invisible.
enum : uint32_t { OpaqueA = 1, OpaqueB = 2, GlassA = 3, GlassB = 4, Ghost = 5, Unknown = 99 };

inline Model::Geometry::ColorMap testColors()
{
    Model::Geometry::ColorMap m;
    m.set(OpaqueA, 0.8f, 0.1f, 0.1f, 1.0f);
    m.set(OpaqueB, 0.1f, 0.8f, 0.1f, 1.0f);
    m.set(GlassA, 0.1f, 0.1f, 0.8f, 0.5f);
    m.set(GlassB, 0.5f, 0.5f, 0.1f, 0.25f);
    m.set(Ghost, 1.0f, 1.0f, 1.0f, 0.0f);
    return m;
}

// A cell array with its grid; the range is the whole volume unless changed.
struct Cells
{
    std::vector<Model::Automaton::Voxel> voxels;
    std::vector<uint8_t> cuts;
    Model::Geometry::CellGrid grid;

    Cells(unsigned sx, unsigned sy, unsigned sz) : voxels(size_t(sx) * sy * sz), cuts(voxels.size(), 0)
    {
        grid.sizeX = sx;
        grid.sizeY = sy;
        grid.sizeZ = sz;
        grid.range.x1 = sx;
        grid.range.y1 = sy;
        grid.range.z1 = sz;
        grid.cells = voxels.data();
        grid.cuts = cuts.data();
    }
    uint8_t &cutAt(unsigned x, unsigned y, unsigned z) { return cuts[grid.index(x, y, z)]; }
    Model::Automaton::Voxel &at(unsigned x, unsigned y, unsigned z) { return voxels[grid.index(x, y, z)]; }
    void fill(const std::function<uint32_t(unsigned, unsigned, unsigned)> &material)
    {
        for (unsigned x = 0; x < grid.sizeX; ++x)
            for (unsigned y = 0; y < grid.sizeY; ++y)
                for (unsigned z = 0; z < grid.sizeZ; ++z)
                    at(x, y, z).material = material(x, y, z);
    }
};

// A rough landscape of two opaque materials under a translucent film, with a
// few holes and cut cells, so every face rule is exercised.
inline void roughLandscape(Cells &c)
{
    c.fill([](unsigned x, unsigned y, unsigned z) -> uint32_t {
        const unsigned h = 3 + (x * 7 + y * 13 + (x * y) % 5) % 6;
        if (z < h / 2)
            return OpaqueA;
        if (z < h)
            return (x + y) % 4 == 0 ? 0u : OpaqueB;
        if (z < h + 2)
            return (x * 3 + y) % 7 == 0 ? GlassB : GlassA;
        return 0;
    });
    for (size_t i = 0; i < c.voxels.size(); i += 37)
        c.cuts[i] = 1;
}

// Runs f with the global pool limited to n threads, restoring it afterwards.
template <class F>
auto withThreads(int n, F f) -> decltype(f())
{
    QThreadPool *pool = QThreadPool::globalInstance();
    const int saved = pool->maxThreadCount();
    pool->setMaxThreadCount(n);
    struct Restore
    {
        QThreadPool *pool;
        int saved;
        ~Restore() { pool->setMaxThreadCount(saved); }
    } restore{pool, saved};
    return f();
}

inline bool sameFaces(const Model::Geometry::FaceVector &a, const Model::Geometry::FaceVector &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!a[i].sameAs(b[i]))
            return false;
    return true;
}

} // namespace GeometryTest
