// The anisotropic wet etch in simulated time against the bond-counting etch on
// the same V-groove: atoms examined per second.

#include "Core/Operations/WetEtching/atomicstructuresimplesiwetetch.h"
#include "Core/Operations/WetEtching/etchantrates.h"
#include "Core/Operations/WetEtching/kineticwetetching.h"
#include "Model/Automaton/silattice.h"
#include "Model/Automaton/totalvolume.h"

#include <benchmark/benchmark.h>

#include <boost/shared_ptr.hpp>

#include <functional>
#include <memory>

using namespace Core::Operations;
using Model::Automaton::TotalVolume;

namespace {

const unsigned GX = 128, GY = 96, GZ = 48;
const double GrooveDepth = 12.0; // units of (100) depth, short of the full V of the 24-wide opening

// Silicon below z = 46, a one-cell mask at z = 46 with an opening 24 wide in y along all of x.
boost::shared_ptr<TotalVolume> grooveWafer()
{
    std::vector<uint32_t> m(size_t(GX) * GY * GZ);
    const unsigned lo = (GY - 24) / 2, hi = lo + 24;
    for (unsigned x = 0; x < GX; ++x)
        for (unsigned y = 0; y < GY; ++y)
            for (unsigned z = 0; z < GZ; ++z)
                m[(size_t(x) * GY + y) * GZ + z] = z < 46 ? 1u : (z == 46 && !(y >= lo && y < hi)) ? 2u : 0u;
    return boost::shared_ptr<TotalVolume>(new TotalVolume(GX, GY, GZ, 1, 1, 1, Util::Vector3D(), m));
}

void grooveBenchmark(benchmark::State &state,
                     const std::function<std::unique_ptr<AtomisticWetEtchEngine>(TotalVolume &)> &make)
{
    double stepsMs = 0, stepsCpuMs = 0, examined = 0, removed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const boost::shared_ptr<TotalVolume> volume = grooveWafer();
        volume->createLattice();
        state.ResumeTiming();
        const std::unique_ptr<AtomisticWetEtchEngine> etch = make(*volume);
        if (!etch->run())
            state.SkipWithError("no lattice");
        stepsMs += etch->getStatistics().stepsMs;
        stepsCpuMs += etch->getStatistics().stepsCpuMs;
        examined += double(etch->getStatistics().atomsExamined);
        removed += double(etch->getStatistics().atomsRemoved);
    }
    const double n = double(state.iterations());
    state.counters["cells"] = double(GX) * GY * GZ;
    state.counters["etch_ms"] = stepsMs / n;
    state.counters["examined"] = examined / n;
    state.counters["removed"] = removed / n;
    // Atoms examined per second of the etch proper (setup excluded), wall and processor time.
    state.counters["examined_per_s"] = stepsMs > 0 ? examined / (stepsMs / 1000.0) : 0.0;
    state.counters["examined_per_cpu_s"] = stepsCpuMs > 0 ? examined / (stepsCpuMs / 1000.0) : 0.0;
}

void BM_GrooveBondCounting(benchmark::State &state)
{
    grooveBenchmark(state, [](TotalVolume &volume) {
        return std::unique_ptr<AtomisticWetEtchEngine>(new AtomicStructureSimpleSiWetEtch(volume, GrooveDepth));
    });
}
BENCHMARK(BM_GrooveBondCounting)->Unit(benchmark::kMillisecond)->UseRealTime();

// 30 wt % KOH at 80 °C for the time the (100) floor takes to the same depth.
void BM_GrooveKohInTime(benchmark::State &state)
{
    const EtchantRates::PlaneRates planes = EtchantRates::rates(EtchantRates::Koh, 30, 80);
    const double minutes = GrooveDepth / planes.plane100;
    grooveBenchmark(state, [&](TotalVolume &volume) {
        return std::unique_ptr<AtomisticWetEtchEngine>(
            new KineticWetEtching(volume, KineticWetEtching::classRates(planes, 1.0), minutes,
                                  KineticWetEtching::reachDepth(planes, 1.0, minutes)));
    });
}
BENCHMARK(BM_GrooveKohInTime)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
