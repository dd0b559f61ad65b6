// The batch dialog as a user meets it: rebuilding the step tree after an
// edit, and a run through the dialog's worker against the bare step runner.
// Needs an X server: xvfb-run -a build/bench/torvane_shell_bench --benchmark_filter=Batch
#include "UI/BatchRun/batchruntestsupport.h"

#include "Core/Steps/executor.h"
#include "Core/Operations/DistanceCounting/isotropicfilmdeposition.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/stepprogressdialog.h"

#include <benchmark/benchmark.h>

#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>

namespace {

using Core::Steps::ProcessData;

// A list of N substrate steps (12 visible parameters each), every other one
// expanded: the tree is rebuilt like this after every edit.
void BM_BatchTreeRebuild(benchmark::State &state)
{
    const int steps = int(state.range(0));
    Core::Steps::ProcessList list;
    for (int i = 0; i < steps; ++i) {
        list << BatchRunTest::substrateStep(64, 64, 32, 16);
        list.last().setExpanded(i % 2 == 0);
    }
    Core::Operations::Workspace workspace;
    Ui::RunProcessesDialog dialog(&workspace, nullptr, boost::shared_ptr<Model::Automaton::TotalVolume>());
    dialog.show();
    for (auto _ : state)
        dialog.setProcessList(list);
    state.counters["steps"] = steps;
    state.counters["steps_per_s"] = benchmark::Counter(double(steps) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BatchTreeRebuild)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

const unsigned SizeX = 128, SizeY = 128, SizeZ = 64;

Core::Steps::ProcessList runList() { return Core::Steps::ProcessList() << BatchRunTest::substrateStep(SizeX, SizeY, SizeZ, 32) << BatchRunTest::cvdStep(8.0); }

// Substrate + CVD through Run: worker, progress timer, final surface rebuild.
void BM_BatchDialogRun(benchmark::State &state)
{
    for (auto _ : state) {
        Core::Operations::Workspace workspace;
        Ui::RunProcessesDialog dialog(&workspace, nullptr, boost::shared_ptr<Model::Automaton::TotalVolume>());
        dialog.setProcessList(runList());
        QSignalSpy finished(&dialog, SIGNAL(runFinished()));
        dialog.findChild<QPushButton *>(QStringLiteral("btnRun"))->click();
        if (!finished.wait(120000) && finished.isEmpty())
            state.SkipWithError("run never finished");
        if (dialog.completedSteps() != 2)
            state.SkipWithError("run failed");
    }
    state.counters["cells"] = double(SizeX) * SizeY * SizeZ;
    state.counters["cells_per_s"] =
        benchmark::Counter(double(SizeX) * SizeY * SizeZ * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BatchDialogRun)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The same two steps with the runner alone, plus the surface rebuild the dialog does at the end.
void BM_BatchRunnerAlone(benchmark::State &state)
{
    for (auto _ : state) {
        Core::Steps::ProcessRunContext context;
        if (Core::Steps::runProcessSteps(runList(), context) != 2 || !context.volume)
            state.SkipWithError("run failed");
        else
            context.volume->getPainter().regenerate();
    }
    state.counters["cells"] = double(SizeX) * SizeY * SizeZ;
    state.counters["cells_per_s"] =
        benchmark::Counter(double(SizeX) * SizeY * SizeZ * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BatchRunnerAlone)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// A step's engine as the program runs it: on the progress dialog's worker
// thread with the GUI thread in its local event loop (1), against a call on
// the calling thread (0). Work: nothing (the fixed cost) or a CVD of 8 on 128 x 128 x 64.
void BM_StepProgressRun(benchmark::State &state)
{
    const bool throughDialog = state.range(0) != 0;
    const bool deposit = state.range(1) != 0;
    std::vector<uint32_t> materials(size_t(SizeX) * SizeY * SizeZ);
    for (size_t i = 0; i < materials.size(); ++i)
        materials[i] = i % SizeZ < 32 ? 1u : 0u;
    const boost::shared_ptr<Model::Automaton::TotalVolume> volume(
        new Model::Automaton::TotalVolume(SizeX, SizeY, SizeZ, 1, 1, 1, Util::Vector3D(), materials));
    Ui::StepProgressDialog progress(nullptr);
    Util::StopToken stop;
    const std::function<void()> work = [&]() {
        if (deposit)
            Core::Operations::IsotropicFilmDeposition(*volume, 3, 8.0f).simulate();
    };
    for (auto _ : state) {
        if (deposit) {
            // The same deposition from the same cells; the reset is not timed.
            state.PauseTiming();
            const Model::Automaton::CellLock lock(*volume);
            for (size_t i = 0; i < materials.size(); ++i)
                lock.cells()[i].material = materials[i];
            state.ResumeTiming();
        }
        if (throughDialog)
            progress.run(QStringLiteral("CVD"), work, stop);
        else
            work();
    }
}
BENCHMARK(BM_StepProgressRun)
    ->ArgNames({"dialog", "cvd"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

} // namespace
