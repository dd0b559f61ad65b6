// The batch dialog as a user meets it: rebuilding the step tree after an
// edit, and a run through the dialog's worker against the bare step runner.
// Needs an X server: xvfb-run -a build/bench/torvane_shell_bench --benchmark_filter=Batch
#include "Core/Operations/BatchRun/processsteprunner.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"
#include "UI/BatchRun/processstepeditor.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "Util/vector3d.h"

#include <benchmark/benchmark.h>

#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>

namespace {

using Ui::ProcessData;

void setMaterial(ProcessData &step, int index)
{
    const Model::Materials::Material m =
        Model::Materials::MaterialFactory::instance()->getMaterials().at(index);
    step.setMaterial(QStringLiteral("Material"), m.getId(), m.getName(), Ui::ProcessStepEditor::opaqueColor(m));
}

ProcessData substrate(unsigned x, unsigned y, unsigned z, unsigned substrateZ)
{
    ProcessData step(ProcessData::CreateSubstrate);
    setMaterial(step, 0);
    step.setParameter(QStringLiteral("Lower Left Front Corner"), QVariant::fromValue(Util::Vector3D(0, 0, 0)), true);
    step.setParameter(QStringLiteral("Volume Size X"), x, true);
    step.setParameter(QStringLiteral("Volume Size Y"), y, true);
    step.setParameter(QStringLiteral("Volume Size Z"), z, true);
    step.setParameter(QStringLiteral("SphericalSubstrate"), false, false);
    step.setParameter(QStringLiteral("Substrate Size X"), x, true);
    step.setParameter(QStringLiteral("Substrate Size Y"), y, true);
    step.setParameter(QStringLiteral("Substrate Size Z"), substrateZ, true);
    for (const char *axis : {"X", "Y", "Z"}) {
        step.setParameter(QStringLiteral("Substrate Delta ") + QLatin1String(axis), 0u, true);
        step.setParameter(QStringLiteral("Substrate Center ") + QLatin1String(axis), 0u, false);
    }
    step.setParameter(QStringLiteral("Substrate Radius"), 1u, false);
    return step;
}

ProcessData cvd(double thickness)
{
    ProcessData step(ProcessData::Cvd);
    step.setParameter(QStringLiteral("Thickness"), thickness, true);
    setMaterial(step, 1);
    return step;
}

// A list of N substrate steps (12 visible parameters each), every other one
// expanded: the tree is rebuilt like this after every edit.
void BM_BatchTreeRebuild(benchmark::State &state)
{
    const int steps = int(state.range(0));
    Ui::ProcessList list;
    for (int i = 0; i < steps; ++i) {
        list << substrate(64, 64, 32, 16);
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

Ui::ProcessList runList() { return Ui::ProcessList() << substrate(SizeX, SizeY, SizeZ, 32) << cvd(8.0); }

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
