// Dopant implant and anneal on 256 x 256 x 128 cells of 10 nm (unit length
// 1 µm, cells of 0.01 units): silicon to z = 96 under a resist mask 12 cells
// thick over every other 32-column stripe along x.
//
//   build/bench/torvane_bench --benchmark_filter='DopantImplant|DopantAnneal'
//
// BM_DopantAnneal/M anneals boron (B at 30 keV, 1e15 cm^-2, laid first) for
// M minutes at 1000 °C; "anneal_s_per_minute" is the run's cost per simulated minute.

#include "Core/Operations/Implant/dopantanneal.h"
#include "Core/Operations/Implant/dopantimplant.h"
#include "Model/Automaton/totalvolume.h"

#include <benchmark/benchmark.h>

#include <boost/shared_ptr.hpp>

#include <chrono>
#include <vector>

using namespace Core::Operations;
using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;

namespace {

const unsigned SX = 256, SY = 256, SZ = 128;
const uint32_t Si = 1, Resist = 11;

boost::shared_ptr<TotalVolume> maskedWafer()
{
    std::vector<uint32_t> m(size_t(SX) * SY * SZ, 0);
    for (unsigned x = 0; x < SX; ++x)
        for (unsigned y = 0; y < SY; ++y)
            for (unsigned z = 0; z < 108; ++z)
                m[(size_t(x) * SY + y) * SZ + z] = z < 96 ? Si : (x / 32) % 2 ? Resist : 0u;
    return boost::shared_ptr<TotalVolume>(new TotalVolume(SX, SY, SZ, 0.01f, 0.01f, 0.01f, Util::Vector3D(), m));
}

void setCounters(benchmark::State &state)
{
    const double cells = double(SX) * SY * SZ;
    state.counters["cells"] = cells;
    state.counters["cells_per_s"] = benchmark::Counter(cells * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_DopantImplantBoron30keV(benchmark::State &state)
{
    const boost::shared_ptr<TotalVolume> volume = maskedWafer();
    for (auto _ : state) {
        state.PauseTiming();
        {
            CellLock lock(*volume);
            lock.dopants().clear();
        }
        state.ResumeTiming();
        DopantImplant(*volume, implantSpecies(QStringLiteral("B")), 30, 1e15, 7).run();
    }
    setCounters(state);
}
BENCHMARK(BM_DopantImplantBoron30keV)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_DopantAnneal(benchmark::State &state)
{
    const boost::shared_ptr<TotalVolume> volume = maskedWafer();
    DopantImplant(*volume, implantSpecies(QStringLiteral("B")), 30, 1e15, 7).run();
    std::vector<float> implanted;
    {
        CellLock lock(*volume);
        implanted = lock.dopants().field(0);
    }
    const double minutes = double(state.range(0));
    unsigned steps = 0;
    double seconds = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            CellLock lock(*volume);
            lock.dopants().make(0, implanted.size()) = implanted;
        }
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        DopantAnneal anneal(*volume, 1000.0, minutes);
        anneal.run();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        steps = anneal.stepsTaken();
    }
    setCounters(state);
    state.counters["steps"] = steps;
    state.counters["anneal_s_per_minute"] = seconds / double(state.iterations()) / minutes;
    state.counters["cell_steps_per_s"] =
        benchmark::Counter(double(SX) * SY * SZ * steps * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DopantAnneal)->Arg(1)->Arg(10)->Arg(60)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

} // namespace
