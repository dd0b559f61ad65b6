#include "Core/Operations/ColumnProcesses/simplereactiveionetching.h"
#include "Core/Operations/ColumnProcesses/spincoating.h"
#include "Core/Operations/Moore/mooreneighborhooddeposition.h"
#include "Core/Operations/Moore/mooreneighborhoodetching.h"
#include "Core/Operations/Photolithography/photolithography.h"
#include "Model/Automaton/totalvolume.h"

#include <benchmark/benchmark.h>

#include <boost/shared_ptr.hpp>

#include <vector>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;

namespace {

const unsigned SX = 256, SY = 256, SZ = 128;

// Silicon up to z = 32 with 16-cell-wide, 16-deep trenches every 64 cells along x,
// then a film of material 11 filmLayers thick on top (none for 0).
std::vector<uint32_t> substrate(unsigned filmLayers)
{
    std::vector<uint32_t> m(size_t(SX) * SY * SZ, 0);
    for (unsigned x = 0; x < SX; ++x)
        for (unsigned y = 0; y < SY; ++y) {
            const unsigned top = (x % 64) < 16 ? 16 : 32;
            uint32_t *column = &m[(size_t(x) * SY + y) * SZ];
            for (unsigned z = 0; z < top; ++z)
                column[z] = 1;
            for (unsigned z = top; z < top + filmLayers && z < SZ; ++z)
                column[z] = 11;
        }
    return m;
}

void restore(TotalVolume &volume, const std::vector<uint32_t> &materials)
{
    Model::Automaton::CellLock lock(volume);
    for (size_t i = 0; i < materials.size(); ++i)
        lock.cells()[i].material = materials[i];
}

void setCounters(benchmark::State &state)
{
    const double cells = double(SX) * SY * SZ;
    state.counters["cells"] = cells;
    state.counters["cells_per_s"] = benchmark::Counter(cells * state.iterations(), benchmark::Counter::kIsRate);
}

// Runs work on the same starting cells every iteration; the reset is not timed.
template <class Work>
void runOn(benchmark::State &state, const std::vector<uint32_t> &start, Work work)
{
    const boost::shared_ptr<TotalVolume> volume(new TotalVolume(SX, SY, SZ, 1, 1, 1, Util::Vector3D(), start));
    for (auto _ : state) {
        state.PauseTiming();
        restore(*volume, start);
        state.ResumeTiming();
        work(*volume);
    }
    setCounters(state);
}

void BM_MooreDeposition10(benchmark::State &state)
{
    runOn(state, substrate(0), [](TotalVolume &v) { MooreNeighborhoodDeposition(v, 4).run(10); });
}
BENCHMARK(BM_MooreDeposition10)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MooreEtching10(benchmark::State &state)
{
    runOn(state, substrate(0), [](TotalVolume &v) { MooreNeighborhoodEtching(v, 1).run(10); });
}
BENCHMARK(BM_MooreEtching10)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PhotolithographyCheckerboard(benchmark::State &state)
{
    // 8 x 8 checkerboard over the whole volume.
    std::vector<bool> mask(size_t(SX) * SY);
    for (unsigned x = 0; x < SX; ++x)
        for (unsigned y = 0; y < SY; ++y)
            mask[size_t(x) * SY + y] = ((x / 8) + (y / 8)) % 2 == 0;
    runOn(state, substrate(20), [&](TotalVolume &v) {
        Photolithography(v, 11, std::vector<bool>(), 0, 0, mask, SX, SY).run();
    });
}
BENCHMARK(BM_PhotolithographyCheckerboard)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReactiveIonEtching10(benchmark::State &state)
{
    runOn(state, substrate(20), [](TotalVolume &v) { SimpleReactiveIonEtching(v, 11, 10, 1).run(); });
}
BENCHMARK(BM_ReactiveIonEtching10)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Pouring(benchmark::State &state)
{
    runOn(state, substrate(0), [](TotalVolume &v) { SpinCoating(v, 6, 96).run(); });
}
BENCHMARK(BM_Pouring)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
