// The flux engine and the line-of-sight steps on a 256 x 256 x 128 trench
// field: silicon to z = 64 with trenches 16 wide and 32 deep (aspect ratio 2)
// every 64 cells along x, running the whole length in y.
//
//   build/bench/torvane_bench --benchmark_filter='Flux|Sputter|IsotropicDeposition10OnTheTrenchField|Bosch'
//
// Compare BM_SputterDeposition10 with BM_IsotropicDeposition10OnTheTrenchField:
// the same film thickness on the same cells.

#include "Core/Operations/DistanceCounting/isotropicfilmdeposition.h"
#include "Core/Operations/LineOfSight/boschetching.h"
#include "Core/Operations/LineOfSight/celloccupancy.h"
#include "Core/Operations/LineOfSight/fluxengine.h"
#include "Core/Operations/LineOfSight/sputterdeposition.h"
#include "Core/Operations/LineOfSight/surfacefaces.h"
#include "Model/Automaton/totalvolume.h"

#include <benchmark/benchmark.h>

#include <boost/shared_ptr.hpp>

#include <vector>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;

namespace {

const unsigned SX = 256, SY = 256, SZ = 128;
const uint32_t Si = 1, Oxide = 3, Aluminium = 4;

std::vector<uint32_t> trenchField()
{
    std::vector<uint32_t> m(size_t(SX) * SY * SZ, 0);
    for (unsigned x = 0; x < SX; ++x)
        for (unsigned y = 0; y < SY; ++y) {
            const unsigned top = (x % 64) < 16 ? 32 : 64;
            uint32_t *column = &m[(size_t(x) * SY + y) * SZ];
            for (unsigned z = 0; z < top; ++z)
                column[z] = Si;
        }
    return m;
}

void restore(TotalVolume &volume, const std::vector<uint32_t> &materials)
{
    Model::Automaton::CellLock lock(volume);
    for (size_t i = 0; i < materials.size(); ++i)
        lock.cells()[i].material = materials[i];
}

template <class Work>
void runOn(benchmark::State &state, unsigned sz, const std::vector<uint32_t> &start, Work work)
{
    const boost::shared_ptr<TotalVolume> volume(new TotalVolume(SX, SY, sz, 1, 1, 1, Util::Vector3D(), start));
    for (auto _ : state) {
        state.PauseTiming();
        restore(*volume, start);
        state.ResumeTiming();
        work(*volume);
    }
    const double cells = double(SX) * SY * sz;
    state.counters["cells"] = cells;
    state.counters["cells_per_s"] = benchmark::Counter(cells * state.iterations(), benchmark::Counter::kIsRate);
}

// One trace of 100 particles per source cell (6.5 million): arg 0 sticking 1
// (a flight per particle), arg 1 sticking 0.1 (re-emission down the trenches).
void BM_FluxTrace(benchmark::State &state)
{
    const std::vector<uint32_t> start = trenchField();
    const boost::shared_ptr<TotalVolume> volume(new TotalVolume(SX, SY, SZ, 1, 1, 1, Util::Vector3D(), start));
    Model::Automaton::CellLock lock(*volume);
    const CellOccupancy occupancy = CellOccupancy::of(lock.cells(), SX, SY, SZ);
    const SurfaceFaces faces = SurfaceFaces::of(occupancy, true, false);
    const float sticking = state.range(0) == 0 ? 1.0f : 0.1f;
    const uint64_t particles = FluxEngine::particlesFor(0.1, SX, SY);
    const FluxEngine engine(occupancy, faces, 1, 1, 1);
    TraceStats total;
    for (auto _ : state) {
        TraceStats stats;
        benchmark::DoNotOptimize(
            engine.trace(ParticleSource::cosine(1), std::vector<float>(faces.size(), sticking), particles, 1, &stats));
        total.particles += stats.particles;
        total.segments += stats.segments;
        total.cellsCrossed += stats.cellsCrossed;
    }
    state.counters["faces"] = double(faces.size());
    state.counters["particles_per_s"] = benchmark::Counter(double(total.particles), benchmark::Counter::kIsRate);
    state.counters["flights_per_s"] = benchmark::Counter(double(total.segments), benchmark::Counter::kIsRate);
    state.counters["cell_faces_crossed_per_s"] =
        benchmark::Counter(double(total.cellsCrossed), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FluxTrace)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_SputterDeposition10(benchmark::State &state)
{
    TraceStats stats;
    runOn(state, SZ, trenchField(), [&](TotalVolume &v) {
        SputterDeposition deposition(v, Aluminium, 10, 1, 1);
        deposition.run();
        stats = deposition.stats();
    });
    state.counters["particles"] = double(stats.particles);
}
BENCHMARK(BM_SputterDeposition10)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_IsotropicDeposition10OnTheTrenchField(benchmark::State &state)
{
    runOn(state, SZ, trenchField(), [](TotalVolume &v) { IsotropicFilmDeposition(v, Aluminium, 10).simulate(); });
}
BENCHMARK(BM_IsotropicDeposition10OnTheTrenchField)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

// 20 cycles of 3 (the step's defaults) on 256 x 256 x 256: silicon to z = 230
// under a 2-cell oxide mask with openings 8, 16, 32 and 64 wide along x.
void BM_BoschDrie20(benchmark::State &state)
{
    const unsigned sz = 256, surface = 230;
    std::vector<uint32_t> start(size_t(SX) * SY * sz, 0);
    const unsigned openings[4][2] = {{12, 20}, {56, 72}, {112, 144}, {176, 240}};
    for (unsigned x = 0; x < SX; ++x) {
        bool open = false;
        for (const auto &o : openings)
            open = open || (x >= o[0] && x < o[1]);
        for (unsigned y = 0; y < SY; ++y) {
            uint32_t *column = &start[(size_t(x) * SY + y) * sz];
            for (unsigned z = 0; z < surface; ++z)
                column[z] = Si;
            if (!open)
                column[surface] = column[surface + 1] = Oxide;
        }
    }
    TraceStats stats;
    runOn(state, sz, start, [&](TotalVolume &v) {
        BoschEtching etch(v, MaterialSet{Si}, 20, 3, 1, 3, 0.1);
        etch.run();
        stats = etch.stats();
    });
    state.counters["particles"] = double(stats.particles);
    state.counters["flights"] = double(stats.segments);
}
BENCHMARK(BM_BoschDrie20)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
