#include "Core/Operations/CutGlue/filmextractor.h"
#include "Core/Operations/CutGlue/substrategluer.h"
#include "Core/Operations/DopingOperation/randomwalkdoping.h"
#include "Model/Automaton/totalvolume.h"

#include <benchmark/benchmark.h>

using Core::Operations::FilmExtractor;
using Core::Operations::RandomWalkDoping;
using Core::Operations::SubstrateGluer;
using Model::Automaton::TotalVolume;
using Model::Geometry::FieldPainter;
using Model::Geometry::ParticleCounter;
using Model::Geometry::ParticleCounterArray;

namespace {

boost::shared_ptr<TotalVolume> siliconUnder(unsigned sx, unsigned sy, unsigned sz, unsigned solid, uint32_t film = 0)
{
    std::vector<uint32_t> m(size_t(sx) * sy * sz);
    for (size_t i = 0; i < m.size(); ++i) {
        const unsigned z = unsigned(i % sz);
        m[i] = z < solid ? 1u : film && z < solid + 4 ? film : 0u;
    }
    return boost::shared_ptr<TotalVolume>(new TotalVolume(sx, sy, sz, 1, 1, 1, Util::Vector3D(), m));
}

// 128 x 128 x 64 silicon (56 layers) under an open top, already carrying 1000
// particles per cell from an earlier run, doped at 2000 per cell at the surface:
// nearly every cell takes the binomial split. 100 steps per iteration.
void BM_RandomWalkDoping(benchmark::State &state)
{
    const unsigned steps = 100;
    const boost::shared_ptr<TotalVolume> volume = siliconUnder(128, 128, 64, 56);
    const ParticleCounterArray counts(new std::vector<ParticleCounter>(volume->getCellCount(),
                                                                       ParticleCounter{{0, 0, 0, 0, 0, 0, 1000}}));
    const std::vector<ParticleCounter> start = *counts;
    volume->setProperty(FieldPainter::nTypeProperty(), FieldPainter::toProperty(counts));
    const double L = 1e-7, D = 1e-15, dt = 0.5 * L * L / (6 * D);
    for (auto _ : state) {
        state.PauseTiming();
        *counts = start;
        state.ResumeTiming();
        RandomWalkDoping doping(*volume, 14, D, dt, L, 2000 / (L * L * L), 1e30, 5489u);
        if (!doping.dope((steps + 0.5) * dt))
            state.SkipWithError("doping refused");
    }
    state.counters["cell_steps_per_s"] = benchmark::Counter(double(volume->getCellCount()) * steps * state.iterations(),
                                                            benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RandomWalkDoping)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_GlueVolumes(benchmark::State &state)
{
    const boost::shared_ptr<TotalVolume> base = siliconUnder(256, 256, 64, 30, 6);
    const boost::shared_ptr<TotalVolume> top = siliconUnder(256, 256, 64, 20, 7);
    for (auto _ : state) {
        const SubstrateGluer::Layout l = SubstrateGluer::layout(*base, *top);
        const boost::shared_ptr<TotalVolume> glued =
            SubstrateGluer::glue(*base, *top, l, l.sizeX, l.sizeY, l.sizeZ, 0, 0, state.range(0) != 0);
        if (!glued)
            state.SkipWithError("glue failed");
        benchmark::DoNotOptimize(glued.get());
    }
    state.counters["cells_per_s"] = benchmark::Counter(
        double(base->getCellCount() + top->getCellCount()) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_GlueVolumes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ExtractFilm(benchmark::State &state)
{
    const boost::shared_ptr<TotalVolume> source = siliconUnder(256, 256, 128, 60, 6);
    for (auto _ : state) {
        const boost::shared_ptr<TotalVolume> film = FilmExtractor::extract(*source, 6, false);
        if (!film)
            state.SkipWithError("extraction failed");
        benchmark::DoNotOptimize(film.get());
    }
    state.counters["cells_per_s"] =
        benchmark::Counter(double(source->getCellCount()) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExtractFilm)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
