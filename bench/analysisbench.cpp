// Cross-sections, measurements and geometry export on 256 x 256 x 128 cells.
// Its own program so "Maximum resident set size" under /usr/bin/time -v can
// be set against the cell array alone (24 bytes a cell, 201 MB here):
//   /usr/bin/time -v build/bench/torvane_analysis_bench --benchmark_filter=Stl
#include "Model/Analysis/crosssection.h"
#include "Model/Analysis/measurements.h"
#include "Model/Analysis/stlwriter.h"
#include "Model/Analysis/vtiwriter.h"
#include "Model/Automaton/totalvolume.h"

#include "benchmain.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cmath>

using Model::Automaton::TotalVolume;
using namespace Model::Analysis;

namespace {

const unsigned SX = 256, SY = 256, SZ = 128;

// Si under oxide and a patterned resist film over a wavy ground, with pits.
TotalVolume &volume()
{
    static TotalVolume *v = nullptr;
    if (v)
        return *v;
    std::vector<uint32_t> m(size_t(SX) * SY * SZ, 0u);
    for (unsigned x = 0; x < SX; ++x)
        for (unsigned y = 0; y < SY; ++y) {
            const unsigned ground = unsigned(48.0 + 6.0 * std::sin(x * 0.11) * std::cos(y * 0.07)) + (x * 7 + y) % 3;
            const unsigned oxide = ground - 4;
            const unsigned film = ground + 3 + (x / 16 + y / 16) % 4;
            const bool pit = (x % 23 < 3) && (y % 19 < 3);
            for (unsigned z = 0; z < SZ; ++z)
                m[(size_t(x) * SY + y) * SZ + z] = z < oxide ? 1u : z < ground ? 3u : (z < film && !pit) ? 11u : 0u;
        }
    v = new TotalVolume(SX, SY, SZ, 1.0f, 1.0f, 0.5f, Util::Vector3D(), m);
    return *v;
}

void report(benchmark::State &state, uint64_t cellsPerIteration)
{
    state.SetItemsProcessed(int64_t(state.iterations() * cellsPerIteration));
    state.counters["cells"] = double(cellsPerIteration);
}

void BM_CrossSection(benchmark::State &state)
{
    TotalVolume &v = volume();
    const SectionAxis axis = SectionAxis(state.range(0));
    const unsigned index = axis == SectionAxis::Z ? SZ / 2 : SX / 2;
    CrossSection section;
    for (auto _ : state) {
        if (!drawCrossSection(v, axis, index, CrossSectionOptions(), &section, nullptr))
            state.SkipWithError("not drawn");
        benchmark::DoNotOptimize(section.image.constBits());
    }
    report(state, uint64_t(section.grid.width) * section.grid.height);
}
BENCHMARK(BM_CrossSection)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_Measurements(benchmark::State &state)
{
    TotalVolume &v = volume();
    MeasurementFiles files;
    for (auto _ : state) {
        if (!buildMeasurements(v, {{10, 10}, {128, 128}, {200, 40}}, QStringLiteral("m.json"), &files, nullptr))
            state.SkipWithError("not measured");
        benchmark::DoNotOptimize(files.json.constData());
    }
    report(state, v.getCellCount());
}
BENCHMARK(BM_Measurements)->Unit(benchmark::kMillisecond);

void BM_VtiExport(benchmark::State &state)
{
    TotalVolume &v = volume();
    const QString file = QDir::current().filePath(QStringLiteral("bench.vti"));
    for (auto _ : state)
        if (!writeVti(v, file, nullptr))
            state.SkipWithError("not written");
    report(state, v.getCellCount());
}
BENCHMARK(BM_VtiExport)->Unit(benchmark::kMillisecond);

void BM_StlExport(benchmark::State &state)
{
    TotalVolume &v = volume();
    const QString prefix = QDir::current().filePath(QStringLiteral("bench"));
    for (auto _ : state)
        if (!writeStl(v, prefix, nullptr))
            state.SkipWithError("not written");
    report(state, v.getCellCount());
}
BENCHMARK(BM_StlExport)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen"); // sections draw text; no screen needed
    QGuiApplication app(argc, argv);
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    return runBenchmarks(argc, argv);
}
