// Start-up and substrate creation as a user meets them: needs an X server
// (run under xvfb-run), since the main window holds the OpenGL view.
#include "Core/Operations/CreateSubstrate/createsubstrateoperation.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Process/processfactory.h"
#include "UI/glwidget.h"
#include "UI/mainwindow.h"

#include "benchmain.h"

#include <benchmark/benchmark.h>

#include <boost/shared_ptr.hpp>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <GL/gl.h>

namespace {

// Main window built, shown and its first frame rendered.
void BM_StartToFirstFrame(benchmark::State &state)
{
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        Ui::MainWindow *window = new Ui::MainWindow;
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->resize(1280, 1024);
        window->show();
        if (!QTest::qWaitForWindowExposed(window))
            state.SkipWithError("window never exposed");
        window->view()->updateGL();
        window->view()->makeCurrent();
        glFinish();
        state.SetIterationTime(timer.elapsed() / 1000.0);
        delete window;
    }
}
BENCHMARK(BM_StartToFirstFrame)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

// The default 100 x 100 x 80 substrate: build plus surface, as the operation runs it.
void BM_CreateDefaultSubstrate(benchmark::State &state)
{
    Core::Operations::Workspace workspace;
    for (auto _ : state) {
        boost::shared_ptr<Core::Operations::CreateSubstrateOperation> op(
            new Core::Operations::CreateSubstrateOperation(&workspace));
        op->setValues({{"Material", 1u}}); // the dialog's defaults: 100 x 100 x 80, 30 high
        workspace.startOperation(op);
        if (!op->getVolume())
            state.SkipWithError("no volume");
        state.PauseTiming();
        workspace.history().clear();
        workspace.document().clear();
        state.ResumeTiming();
    }
    state.counters["cells_per_s"] = benchmark::Counter(800000.0 * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CreateDefaultSubstrate)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    Model::Process::initializeCatalogues();
    QApplication app(argc, argv);
    return runBenchmarks(argc, argv);
}
