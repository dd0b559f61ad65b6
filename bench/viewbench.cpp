// Frames per second of the 3-D view while the camera turns, and the latency
// of a pick, on the surface of a 256 x 256 x 128 volume with a rough
// two-material top. Needs a GL context: run under xvfb-run.
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/glwidget.h"
#include "UI/mainwindow.h"

#include "benchmain.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <random>

namespace {

Ui::MainWindow *window = nullptr;
boost::shared_ptr<Model::Automaton::TotalVolume> volume;

void buildScene()
{
    const unsigned sx = 256, sy = 256, sz = 128;
    std::vector<uint32_t> cells(size_t(sx) * sy * sz, 0u);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> rough(0, 12);
    for (unsigned x = 0; x < sx; ++x)
        for (unsigned y = 0; y < sy; ++y) {
            const unsigned silicon = 60, top = 64 + unsigned(rough(random));
            for (unsigned z = 0; z < top; ++z)
                cells[(size_t(x) * sy + y) * sz + z] = z < silicon ? 1u : 2u;
        }
    volume.reset(new Model::Automaton::TotalVolume(sx, sy, sz, 1.0f, 1.0f, 1.0f,
                                                   Util::Vector3D(-128.0, -128.0, -64.0), cells));
    volume->getPainter().regenerate();
    window->presenter().workspace().document().addObject(volume);
}

void BM_ViewTurning(benchmark::State &state)
{
    Ui::GLWidget *view = window->view();
    float angle = 0.0f;
    for (auto _ : state) {
        angle += 2.0f;
        view->setRotation(-60.0f, 0.0f, angle);
        view->updateGL();
        glFinish();
    }
    state.counters["frames_per_s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["faces"] = double(volume->getPainter().opaqueFaces().size());
    state.SetLabel("256x256x128, 1280x1024");
}
BENCHMARK(BM_ViewTurning)->Unit(benchmark::kMillisecond)->MinTime(5.0)->UseRealTime();

void BM_Pick(benchmark::State &state)
{
    Ui::GLWidget *view = window->view();
    view->setRotation(-60.0f, 0.0f, 30.0f);
    view->updateGL();
    Core::Operations::Selection &selection = window->presenter().workspace().selection();
    selection.setSelectionMode(true);
    const QPoint centre(view->width() / 2, view->height() / 2);
    int hits = 0;
    for (auto _ : state)
        hits += view->pickAt(centre) ? 1 : 0;
    state.counters["hit_share"] = double(hits) / double(state.iterations());
    state.SetLabel("256x256x128, 1280x1024");
}
BENCHMARK(BM_Pick)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    qputenv("HOME", work.path().toLocal8Bit());
    window = new Ui::MainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->presenter().console().hide();
    window->show();
    window->resize(1280 + (window->width() - window->view()->width()),
                   1024 + (window->height() - window->view()->height()));
    if (!QTest::qWaitForWindowExposed(window))
        return 1;
    QTest::qWait(200);
    buildScene();
    std::printf("view %dx%d\n", window->view()->width(), window->view()->height());

    const int code = runBenchmarks(argc, argv);
    volume.reset();
    delete window;
    return code;
}
