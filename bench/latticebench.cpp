#include "Core/Operations/WetEtching/atomicstructuresimplesiwetetch.h"
#include "Core/Operations/stepoperations.h"
#include "Core/Operations/WetEtching/continouswetetching.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/silattice.h"
#include "Model/Automaton/totalvolume.h"

#include <benchmark/benchmark.h>

#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include <cstdio>

using namespace Core::Operations;
using Model::Automaton::SiLattice;
using Model::Automaton::TotalVolume;

namespace {

const unsigned SX = 128, SY = 128, SZ = 64;
const double Depth = 10.0;

// Silicon up to z = 61, a one-cell oxide mask at z = 62 with a 40 x 40 opening in the middle, empty above.
boost::shared_ptr<TotalVolume> maskedWafer()
{
    std::vector<uint32_t> m(size_t(SX) * SY * SZ);
    const unsigned lo = (SX - 40) / 2, hi = lo + 40;
    for (unsigned x = 0; x < SX; ++x)
        for (unsigned y = 0; y < SY; ++y)
            for (unsigned z = 0; z < SZ; ++z) {
                const bool opening = x >= lo && x < hi && y >= lo && y < hi;
                m[(size_t(x) * SY + y) * SZ + z] = z < 62 ? 1u : (z == 62 && !opening) ? 2u : 0u;
            }
    return boost::shared_ptr<TotalVolume>(new TotalVolume(SX, SY, SZ, 1, 1, 1, Util::Vector3D(), m));
}

void volumeCounters(benchmark::State &state)
{
    state.counters["cells"] = double(SX) * SY * SZ;
}

void BM_LatticeBuild(benchmark::State &state)
{
    const boost::shared_ptr<TotalVolume> volume = maskedWafer();
    for (auto _ : state) {
        if (!volume->createLattice())
            state.SkipWithError("lattice refused");
    }
    const SiLattice &lattice = *volume->getLattice();
    volumeCounters(state);
    state.counters["atoms"] = double(lattice.getAtomCount());
    state.counters["bytes_per_atom"] = double(lattice.memoryUsage()) / double(lattice.getAtomCount());
    state.counters["atoms_per_s"] =
        benchmark::Counter(double(lattice.getAtomCount()) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LatticeBuild)->Unit(benchmark::kMillisecond)->UseRealTime();

template <class Etcher>
void etchBenchmark(benchmark::State &state)
{
    double setupMs = 0, stepsMs = 0, stepsCpuMs = 0, examined = 0, removed = 0, steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const boost::shared_ptr<TotalVolume> volume = maskedWafer();
        volume->createLattice();
        state.ResumeTiming();
        Etcher etch(*volume, Depth);
        if (!etch.run())
            state.SkipWithError("no lattice");
        setupMs += etch.getStatistics().setupMs;
        stepsMs += etch.getStatistics().stepsMs;
        stepsCpuMs += etch.getStatistics().stepsCpuMs;
        examined += double(etch.getStatistics().atomsExamined);
        removed += double(etch.getStatistics().atomsRemoved);
        steps += double(etch.getStatistics().stepsRun);
    }
    const double n = double(state.iterations());
    volumeCounters(state);
    state.counters["setup_ms"] = setupMs / n;
    state.counters["steps_ms"] = stepsMs / n;
    state.counters["steps"] = steps / n;
    state.counters["examined"] = examined / n;
    state.counters["removed"] = removed / n;
    // Atoms examined per second of step time.
    state.counters["examined_per_s"] = stepsMs > 0 ? examined / (stepsMs / 1000.0) : 0.0;
    // The same per second of processor time, which a busy machine does not inflate.
    state.counters["examined_per_cpu_s"] = stepsCpuMs > 0 ? examined / (stepsCpuMs / 1000.0) : 0.0;
}

void BM_BondCountingEtch(benchmark::State &state) { etchBenchmark<AtomicStructureSimpleSiWetEtch>(state); }
BENCHMARK(BM_BondCountingEtch)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ContinuousEtch(benchmark::State &state) { etchBenchmark<ContinousWetEtching>(state); }
BENCHMARK(BM_ContinuousEtch)->Unit(benchmark::kMillisecond)->UseRealTime();

// Gives the depth as an accepted dialog would.
class DepthGiver : public Util::IObserver
{
public:
    boost::weak_ptr<ProcessOperation> operation;
    void notify() override
    {
        if (const boost::shared_ptr<ProcessOperation> op = operation.lock())
            op->setValues({{"Depth", double(Depth)}});
    }
};

// The whole operation as the user runs it: lattice build, etch, surface rebuild.
template <class Operation>
void operationBenchmark(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        Workspace workspace;
        const boost::shared_ptr<TotalVolume> volume = maskedWafer();
        workspace.document().addObject(volume);
        const boost::shared_ptr<Operation> op(new Operation(&workspace));
        const boost::shared_ptr<DepthGiver> dialog(new DepthGiver);
        dialog->operation = op;
        op->setDialogObserver(dialog);
        std::fflush(stdout);
        state.ResumeTiming();
        workspace.startOperation(op);
        if (!workspace.console().lastMessage().endsWith(QStringLiteral("Operation finished.")))
            state.SkipWithError("operation did not finish");
    }
    volumeCounters(state);
}

void BM_BCAWetEtchOperation(benchmark::State &state) { operationBenchmark<AtomisticSiWetEtchingOperation>(state); }
BENCHMARK(BM_BCAWetEtchOperation)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ContinuousWetEtchOperation(benchmark::State &state)
{
    operationBenchmark<ContinousWetEtchOperation>(state);
}
BENCHMARK(BM_ContinuousWetEtchOperation)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
