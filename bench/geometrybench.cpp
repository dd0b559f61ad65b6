#include "Model/Automaton/totalvolume.h"
#include "Model/Geometry/bsptree.h"
#include "Model/Geometry/cubicsurface.h"
#include "Model/Geometry/marchingcubesurface.h"
#include "Model/Geometry/octreesurface.h"

#include <benchmark/benchmark.h>

#include <cmath>

using Model::Automaton::TotalVolume;
using namespace Model::Geometry;

// Each scenario runs twice: against wall-clock time, and against the CPU time
// of all threads (process_time), which stays comparable on a busy machine.

namespace {

enum : uint32_t { Silicon = 1, Oxide = 2, Resist = 3 };

ColorMap benchColors()
{
    ColorMap m;
    m.set(Silicon, 0.5f, 0.5f, 0.5f, 1.0f);
    m.set(Oxide, 0.2f, 0.3f, 0.9f, 1.0f);
    m.set(Resist, 0.9f, 0.6f, 0.1f, 0.5f);
    return m;
}

// 256 x 256 x 128: a rough two-material substrate under a translucent film of
// varying thickness, with pits that reach through the film.
const boost::shared_ptr<TotalVolume> &roughVolume()
{
    static boost::shared_ptr<TotalVolume> volume;
    if (volume)
        return volume;
    const unsigned sx = 256, sy = 256, sz = 128;
    std::vector<uint32_t> m(size_t(sx) * sy * sz, 0u);
    for (unsigned x = 0; x < sx; ++x)
        for (unsigned y = 0; y < sy; ++y) {
            const double wave = 6.0 * std::sin(x * 0.11) * std::cos(y * 0.07) + 3.0 * std::sin((x + 2 * y) * 0.31);
            const unsigned noise = (x * 7919u + y * 104729u) % 5u;
            const unsigned ground = unsigned(48.0 + wave) + noise;
            const unsigned oxide = ground - 4 - (x * y) % 3;
            const unsigned film = ground + 3 + (x / 16 + y / 16) % 4;
            const bool pit = (x % 23 < 3) && (y % 19 < 3);
            for (unsigned z = 0; z < sz; ++z) {
                uint32_t id = 0;
                if (z < oxide)
                    id = Silicon;
                else if (z < ground)
                    id = Oxide;
                else if (z < film && !pit)
                    id = Resist;
                m[(size_t(x) * sy + y) * sz + z] = id;
            }
        }
    volume.reset(new TotalVolume(sx, sy, sz, 1, 1, 1, Util::Vector3D(), m));
    return volume;
}

CellGrid gridOf(TotalVolume &volume, const Model::Automaton::Voxel *cells)
{
    CellGrid g;
    g.cells = cells;
    g.sizeX = volume.getSizeX();
    g.sizeY = volume.getSizeY();
    g.sizeZ = volume.getSizeZ();
    g.range = {0, 0, 0, g.sizeX, g.sizeY, g.sizeZ};
    return g;
}

void setCellCounters(benchmark::State &state, const TotalVolume &volume)
{
    state.counters["cells"] = double(volume.getCellCount());
    state.counters["cells_per_s"] =
        benchmark::Counter(double(volume.getCellCount()) * state.iterations(), benchmark::Counter::kIsRate);
}

void setFaceCounters(benchmark::State &state, size_t faces)
{
    state.counters["faces"] = double(faces);
    state.counters["faces_per_s"] = benchmark::Counter(double(faces) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_GeometryDirectCubic(benchmark::State &state)
{
    TotalVolume &volume = *roughVolume();
    const ColorMap colors = benchColors();
    Model::Automaton::CellLock lock(volume);
    const CellGrid grid = gridOf(volume, lock.cells());
    size_t faces = 0;
    for (auto _ : state) {
        const FaceLists lists = CubicSurface::generate(grid, colors);
        faces = lists.opaque.size() + lists.translucent.size();
        benchmark::DoNotOptimize(lists.opaque.data());
    }
    setCellCounters(state, volume);
    setFaceCounters(state, faces);
}
BENCHMARK(BM_GeometryDirectCubic)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GeometryDirectCubic)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

// The whole regeneration of the default view: faces, then the BSP tree.
void BM_GeometryPainterRegenerate(benchmark::State &state)
{
    TotalVolume &volume = *roughVolume();
    volume.getPainter().setColorOverride(benchColors());
    for (auto _ : state)
        volume.getPainter().regenerate();
    setCellCounters(state, volume);
    setFaceCounters(state, volume.getPainter().opaqueFaces().size() + volume.getPainter().translucentFaces().size());
}
BENCHMARK(BM_GeometryPainterRegenerate)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GeometryPainterRegenerate)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_GeometryMarchingCubes(benchmark::State &state)
{
    TotalVolume &volume = *roughVolume();
    Model::Automaton::CellLock lock(volume);
    const CellGrid grid = gridOf(volume, lock.cells());
    MarchingCubeSurface surface;
    for (auto _ : state)
        surface.generate(grid);
    setCellCounters(state, volume);
    state.counters["triangles"] = double(surface.triangles().size());
}
BENCHMARK(BM_GeometryMarchingCubes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GeometryMarchingCubes)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_GeometryOctree(benchmark::State &state)
{
    TotalVolume &volume = *roughVolume();
    const ColorMap colors = benchColors();
    Model::Automaton::CellLock lock(volume);
    const CellGrid grid = gridOf(volume, lock.cells());
    OctreeSurface octree;
    for (auto _ : state)
        octree.generate(grid, colors);
    setCellCounters(state, volume);
    setFaceCounters(state, octree.opaqueFaces().size() + octree.translucentFaces().size());
}
BENCHMARK(BM_GeometryOctree)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GeometryOctree)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

void BM_GeometryBSPBuild(benchmark::State &state)
{
    TotalVolume &volume = *roughVolume();
    FaceVector translucent;
    {
        Model::Automaton::CellLock lock(volume);
        translucent = CubicSurface::generate(gridOf(volume, lock.cells()), benchColors()).translucent;
    }
    for (auto _ : state) {
        const boost::shared_ptr<BSPTree> tree = BSPTree::build(translucent);
        if (!tree)
            state.SkipWithError("BSP build failed");
        benchmark::DoNotOptimize(tree.get());
    }
    setFaceCounters(state, translucent.size());
}
BENCHMARK(BM_GeometryBSPBuild)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GeometryBSPBuild)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime();

} // namespace
