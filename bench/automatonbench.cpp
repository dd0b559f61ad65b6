#include "Core/Operations/DistanceCounting/anisotropicfilmdeposition.h"
#include "Core/Operations/DistanceCounting/electrodeposition.h"
#include "Core/Operations/DistanceCounting/isotropicfilmdeposition.h"
#include "Core/Operations/DistanceCounting/isotropicfilmetching.h"
#include "Core/Operations/DistanceCounting/simplesioxidation.h"
#include "Core/Steps/executor.h"
#include "Core/Steps/stepbuilder.h"
#include "Core/Steps/stepregistry.h"
#include "Model/Automaton/totalvolume.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <functional>
#include <vector>

using namespace Core::Operations;
using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;

namespace {

const unsigned SizeX = 256, SizeY = 256, SizeZ = 128;

// Silicon up to z = 40 with a 64-cell-wide, 20-deep trench along y.
std::vector<uint32_t> trenchMaterials()
{
    std::vector<uint32_t> m(size_t(SizeX) * SizeY * SizeZ, 0);
    for (unsigned x = 0; x < SizeX; ++x) {
        const unsigned top = (x >= 96 && x < 160) ? 20 : 40;
        for (unsigned y = 0; y < SizeY; ++y)
            for (unsigned z = 0; z < top; ++z)
                m[(size_t(x) * SizeY + y) * SizeZ + z] = 1;
    }
    return m;
}

void resetMaterials(TotalVolume &volume, const std::vector<uint32_t> &materials)
{
    CellLock lock(volume);
    for (size_t i = 0; i < materials.size(); ++i)
        lock.cells()[i].material = materials[i];
}

// Counts the whole volume over the wall time of each run.
void runOnTrench(benchmark::State &state, const std::function<void(TotalVolume &)> &step)
{
    const std::vector<uint32_t> materials = trenchMaterials();
    TotalVolume volume(SizeX, SizeY, SizeZ, 1, 1, 1, Util::Vector3D(), materials);
    for (auto _ : state) {
        state.PauseTiming();
        resetMaterials(volume, materials);
        state.ResumeTiming();
        step(volume);
    }
    state.counters["cells"] = double(volume.getCellCount());
    state.counters["cells_per_s"] =
        benchmark::Counter(double(volume.getCellCount()) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_IsotropicDeposition(benchmark::State &state)
{
    runOnTrench(state, [](TotalVolume &v) { IsotropicFilmDeposition(v, 3, 10).simulate(); });
}
BENCHMARK(BM_IsotropicDeposition)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_IsotropicEtching(benchmark::State &state)
{
    runOnTrench(state, [](TotalVolume &v) { IsotropicFilmEtching(v, 1, 10).simulate(); });
}
BENCHMARK(BM_IsotropicEtching)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_AnisotropicDeposition(benchmark::State &state)
{
    runOnTrench(state, [](TotalVolume &v) { AnisotropicFilmDeposition(v, 3, 10, 0.5f).simulate(); });
}
BENCHMARK(BM_AnisotropicDeposition)->Unit(benchmark::kMillisecond)->UseRealTime();

// The silicon as the conductor: the film grows over the whole trench.
void BM_Electroplating(benchmark::State &state)
{
    runOnTrench(state, [](TotalVolume &v) { Electrodeposition(v, 5, 1, 10).simulate(); });
}
BENCHMARK(BM_Electroplating)->Unit(benchmark::kMillisecond)->UseRealTime();

// 2 µm of oxide at 1 cell per 0.1 µm.
void BM_SiOxidation(benchmark::State &state)
{
    runOnTrench(state, [](TotalVolume &v) { SimpleSiOxidation(v, MaterialSet{1, 14, 15, 16}, 10).oxidize(2.0); });
}
BENCHMARK(BM_SiOxidation)->Unit(benchmark::kMillisecond)->UseRealTime();

// A second micron on the trench once it carries 1 µm of oxide: the oxide in
// front of the silicon is measured first.
void BM_SiOxidationUnderOxide(benchmark::State &state)
{
    TotalVolume volume(SizeX, SizeY, SizeZ, 1, 1, 1, Util::Vector3D(), trenchMaterials());
    SimpleSiOxidation(volume, MaterialSet{1, 14, 15, 16}, 10).oxidize(1.0);
    std::vector<uint32_t> oxidized(volume.getCellCount());
    {
        Model::Automaton::CellLock lock(volume);
        for (size_t i = 0; i < oxidized.size(); ++i)
            oxidized[i] = lock.cells()[i].material;
    }
    for (auto _ : state) {
        state.PauseTiming();
        resetMaterials(volume, oxidized);
        state.ResumeTiming();
        SimpleSiOxidation(volume, MaterialSet{1, 14, 15, 16}, 10).oxidize(1.0);
    }
    state.counters["cells"] = double(volume.getCellCount());
    state.counters["cells_per_s"] =
        benchmark::Counter(double(volume.getCellCount()) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SiOxidationUnderOxide)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

namespace {

// The same deposition as a list step through the step executor: reading and
// checking the values, the lattice mark and the result code on top of the engine.
void BM_IsotropicDepositionThroughExecutor(benchmark::State &state)
{
    const Core::Steps::StepDefinition &step =
        *Core::Steps::StepRegistry::instance().ofType(Core::Steps::ProcessData::IsotropicDeposition);
    const Core::Steps::ProcessData deposition = Core::Steps::makeStep(
        step, {{QStringLiteral("Material"), 3u}, {QStringLiteral("Film Thickness"), 10.0}});
    runOnTrench(state, [&deposition](TotalVolume &v) {
        Core::Steps::ProcessRunContext context;
        context.volume = boost::shared_ptr<TotalVolume>(&v, [](TotalVolume *) {});
        if (Core::Steps::runProcessStep(deposition, context) != Core::Steps::StepSucceeded)
            std::abort();
    });
}
BENCHMARK(BM_IsotropicDepositionThroughExecutor)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
