#include "Model/Layout/gdsiiteststream.h"
#include "Model/Layout/layoutmask.h"

#include <benchmark/benchmark.h>

#include <random>

using namespace Model::Layout;

namespace {

const unsigned GridSize = 1024;

// 100,000 shapes over a 1024 x 1024 µm die: half axis-aligned boxes, half
// quadrilaterals turned by a random angle, 2 to 10 µm across.
QByteArray scatteredShapes(int count)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> where(0, GridSize * 1000.0), size(2000, 10000), turn(0, 3.14159);
    TestSupport::GdsiiStream stream;
    stream.begin("DIE");
    for (int i = 0; i < count; ++i) {
        const double cx = where(random), cy = where(random), w = size(random) / 2, h = size(random) / 2;
        const double a = i % 2 ? turn(random) : 0.0, c = std::cos(a), s = std::sin(a);
        std::vector<int> xy;
        for (const auto &corner : {std::make_pair(-w, -h), std::make_pair(w, -h), std::make_pair(w, h), std::make_pair(-w, h)}) {
            xy.push_back(int(cx + corner.first * c - corner.second * s));
            xy.push_back(int(cy + corner.first * s + corner.second * c));
        }
        stream.polygon(1, xy);
    }
    return stream.end().finish();
}

// Rasterises once per iteration onto the 1024 x 1024 grid; false after reporting a failure.
bool rasterizeEach(benchmark::State &state, const GdsiiLibrary &library, const MaskPlacement &placement)
{
    const MaskGrid grid{GridSize, GridSize, 1.0, 1.0};
    std::vector<bool> bits;
    QString error;
    for (auto _ : state) {
        if (!rasterizeLayout(library, placement, grid, bits, error)) {
            state.SkipWithError(error.toStdString().c_str());
            return false;
        }
        benchmark::DoNotOptimize(bits);
    }
    return true;
}

void BM_LayoutRasterizeScattered(benchmark::State &state)
{
    const int count = int(state.range(0));
    const QByteArray bytes = scatteredShapes(count);
    GdsiiLibrary library;
    QString error;
    if (!GdsiiLibrary::parse(bytes.constData(), size_t(bytes.size()), library, error)) {
        state.SkipWithError(error.toStdString().c_str());
        return;
    }
    MaskPlacement placement;
    placement.layer = 1;
    if (!rasterizeEach(state, library, placement))
        return;
    state.counters["polygons"] = count;
    state.counters["cells"] = double(GridSize) * GridSize;
    state.counters["polygons_per_s"] = benchmark::Counter(double(count) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["cells_per_s"] =
        benchmark::Counter(double(GridSize) * GridSize * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LayoutRasterizeScattered)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_LayoutParseScattered(benchmark::State &state)
{
    const QByteArray bytes = scatteredShapes(int(state.range(0)));
    for (auto _ : state) {
        GdsiiLibrary library;
        QString error;
        benchmark::DoNotOptimize(GdsiiLibrary::parse(bytes.constData(), size_t(bytes.size()), library, error));
    }
    state.counters["bytes_per_s"] = benchmark::Counter(double(bytes.size()) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LayoutParseScattered)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same count placed by one array reference of 400 x 250 copies of a
// 2 x 3 µm box: the flattening path.
void BM_LayoutRasterizeArray(benchmark::State &state)
{
    const QByteArray bytes = TestSupport::GdsiiStream()
                                 .begin("CELL")
                                 .box(1, 0, 0, 1500, 2500)
                                 .end()
                                 .begin("TOP")
                                 .array("CELL", 400, 250, 2560)
                                 .end()
                                 .finish();
    GdsiiLibrary library;
    QString error;
    GdsiiLibrary::parse(bytes.constData(), size_t(bytes.size()), library, error);
    MaskPlacement placement;
    placement.layer = 1;
    placement.structure = "TOP";
    if (!rasterizeEach(state, library, placement))
        return;
    state.counters["polygons_per_s"] = benchmark::Counter(100000.0 * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LayoutRasterizeArray)->Unit(benchmark::kMillisecond);

} // namespace
