// The batch dialog as a user meets it: rebuilding the step tree after an
// edit, and a run through the dialog's worker against the bare step runner.
// Needs an X server: xvfb-run -a build/bench/torvane_shell_bench --benchmark_filter=Batch
#include "UI/BatchRun/batchruntestsupport.h"

#include "Core/Operations/BatchRun/processsteprunner.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/BatchRun/runprocessesdialog.h"

#include <benchmark/benchmark.h>

#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>

namespace {

using Ui::ProcessData;

// A list of N substrate steps (12 visible parameters each), every other one
// expanded: the tree is rebuilt like this after every edit.
void BM_BatchTreeRebuild(benchmark::State &state)
{
    const int steps = int(state.range(0));
    Ui::ProcessList list;
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

Ui::ProcessList runList() { return Ui::ProcessList() << BatchRunTest::substrateStep(SizeX, SizeY, SizeZ, 32) << BatchRunTest::cvdStep(8.0); }

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
        Core::Operations::ProcessRunContext context;
        if (Core::Operations::runProcessSteps(runList(), context) != 2 || !context.volume)
            state.SkipWithError("run failed");
        else
            context.volume->getPainter().regenerate();
    }
    state.counters["cells"] = double(SizeX) * SizeY * SizeZ;
    state.counters["cells_per_s"] =
        benchmark::Counter(double(SizeX) * SizeY * SizeZ * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BatchRunnerAlone)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
