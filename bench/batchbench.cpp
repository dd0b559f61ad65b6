#include "Core/Steps/executor.h"
#include "Core/Operations/DistanceCounting/isotropicfilmdeposition.h"
#include "Core/Operations/stoppablework.h"
#include "Util/stoptoken.h"
#include "Model/Automaton/totalvolume.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <vector>

using namespace Core::Operations;
using namespace Core::Steps;
using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;

namespace {

const uint32_t Oxide = 3;
const float Thickness = 5.0f;

// Silicon up to z = sizeZ / 2, with a trench a quarter of the width and a
// quarter of the height deep along y, so the film has corners to follow.
std::vector<uint32_t> trenchMaterials(unsigned sx, unsigned sy, unsigned sz)
{
    std::vector<uint32_t> m(size_t(sx) * sy * sz, 0);
    for (unsigned x = 0; x < sx; ++x) {
        const bool inTrench = x >= sx * 3 / 8 && x < sx * 5 / 8;
        const unsigned top = inTrench ? sz / 4 : sz / 2;
        for (unsigned y = 0; y < sy; ++y)
            for (unsigned z = 0; z < top; ++z)
                m[(size_t(x) * sy + y) * sz + z] = 1;
    }
    return m;
}

void resetMaterials(TotalVolume &volume, const std::vector<uint32_t> &materials)
{
    CellLock lock(volume);
    for (size_t i = 0; i < materials.size(); ++i)
        lock.cells()[i].material = materials[i];
}

Core::Steps::ProcessData cvdStep()
{
    Core::Steps::ProcessData step(Core::Steps::ProcessData::Cvd);
    step.setParameter(QStringLiteral("Thickness"), QVariant(double(Thickness)), true);
    step.setMaterial(QStringLiteral("Material"), Oxide, QStringLiteral("Thermal Si02"), QColor(128, 128, 255));
    return step;
}

// The same deposition from the same cells every iteration; the reset is not timed.
void depositEachIteration(benchmark::State &state, const std::function<void(const boost::shared_ptr<TotalVolume> &)> &step)
{
    const unsigned sx = unsigned(state.range(0)), sy = unsigned(state.range(1)), sz = unsigned(state.range(2));
    const std::vector<uint32_t> materials = trenchMaterials(sx, sy, sz);
    const boost::shared_ptr<TotalVolume> volume(new TotalVolume(sx, sy, sz, 1, 1, 1, Util::Vector3D(), materials));
    for (auto _ : state) {
        state.PauseTiming();
        resetMaterials(*volume, materials);
        state.ResumeTiming();
        step(volume);
    }
    state.counters["cells"] = double(volume->getCellCount());
    state.counters["cells_per_s"] =
        benchmark::Counter(double(volume->getCellCount()) * state.iterations(), benchmark::Counter::kIsRate);
}

// A "CVD" step read from its stored parameters and run through the step runner.
void BM_BatchCvdStep(benchmark::State &state)
{
    const Core::Steps::ProcessData step = cvdStep();
    QMap<int, bool> stale;
    depositEachIteration(state, [&](const boost::shared_ptr<TotalVolume> &volume) {
        ProcessRunContext context;
        context.volume = volume;
        context.latticeStale = &stale;
        if (runProcessStep(step, context) != StepSucceeded)
            state.SkipWithError(qPrintable(context.detail));
    });
}

// The same step given a stop token, as torvane-batch and the Python module
// run it: the runner first copies the cell materials to put back if it is stopped.
void BM_BatchCvdStepStoppable(benchmark::State &state)
{
    const Core::Steps::ProcessData step = cvdStep();
    QMap<int, bool> stale;
    Util::StopToken stop;
    depositEachIteration(state, [&](const boost::shared_ptr<TotalVolume> &volume) {
        ProcessRunContext context;
        context.volume = volume;
        context.latticeStale = &stale;
        context.stop = &stop;
        if (runProcessStep(step, context) != StepSucceeded)
            state.SkipWithError(qPrintable(context.detail));
    });
}
BENCHMARK(BM_BatchCvdStepStoppable)->Args({128, 128, 64})->Args({4, 4, 4})->Unit(benchmark::kMicrosecond)->UseRealTime();

// The copy a stoppable step takes (and a stopped one writes back), on a large volume.
void BM_MaterialsBackup(benchmark::State &state)
{
    const boost::shared_ptr<TotalVolume> volume(new TotalVolume(256, 256, 128, 1, 1, 1, Util::Vector3D(), 1u));
    for (auto _ : state) {
        const MaterialsBackup backup(volume);
        backup.restore();
    }
    state.counters["cells_per_s"] =
        benchmark::Counter(double(volume->getCellCount()) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MaterialsBackup)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same deposition by calling the automaton directly.
void BM_BatchCvdEngine(benchmark::State &state)
{
    depositEachIteration(state, [](const boost::shared_ptr<TotalVolume> &volume) {
        IsotropicFilmDeposition(*volume, Oxide, Thickness).simulate();
    });
}

BENCHMARK(BM_BatchCvdStep)->Args({128, 128, 64})->Args({4, 4, 4})->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_BatchCvdEngine)->Args({128, 128, 64})->Args({4, 4, 4})->Unit(benchmark::kMicrosecond)->UseRealTime();

// What the runner adds before the engine starts: the table look-up, reading and
// converting the parameters and the catalogue check of the material. The
// thickness is refused last, so everything but the deposition runs.
void BM_BatchStepParameters(benchmark::State &state)
{
    Core::Steps::ProcessData step = cvdStep();
    step.setParameterValue(QStringLiteral("Thickness"), QVariant(-1.0));
    const boost::shared_ptr<TotalVolume> volume(new TotalVolume(4, 4, 4, 1, 1, 1, Util::Vector3D(), 1u));
    ProcessRunContext context;
    context.volume = volume;
    for (auto _ : state) {
        if (runProcessStep(step, context) != StepInvalidParameter)
            state.SkipWithError("the refused thickness ran");
    }
    state.counters["steps_per_s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BatchStepParameters)->Unit(benchmark::kMicrosecond);

} // namespace
