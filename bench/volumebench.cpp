#include "Core/Operations/cellsnapshot.h"
#include "Model/Automaton/totalvolume.h"

#include <benchmark/benchmark.h>

#include <boost/scoped_ptr.hpp>

#include <QDir>
#include <QFile>

using Core::Operations::CellSnapshot;
using Model::Automaton::TotalVolume;

namespace {

// A substrate with a few materials so the snapshot text is not all one digit.
boost::shared_ptr<TotalVolume> layeredVolume(unsigned sx, unsigned sy, unsigned sz)
{
    std::vector<uint32_t> m(size_t(sx) * sy * sz);
    for (size_t i = 0; i < m.size(); ++i) {
        const unsigned z = unsigned(i % sz);
        m[i] = z < sz / 4 ? 1u : z < sz / 3 ? 17u : z < sz / 2 ? 2000u : 0u;
    }
    return boost::shared_ptr<TotalVolume>(new TotalVolume(sx, sy, sz, 1, 1, 1, Util::Vector3D(), m));
}

void setCounters(benchmark::State &state, const TotalVolume &volume)
{
    state.counters["cells"] = double(volume.getCellCount());
    state.counters["cells_per_s"] =
        benchmark::Counter(double(volume.getCellCount()) * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_SnapshotWrite(benchmark::State &state)
{
    const boost::shared_ptr<TotalVolume> volume = layeredVolume(256, 256, 128);
    const QString file = QDir::current().filePath(QStringLiteral("bench-undo.temp"));
    for (auto _ : state) {
        QFile::remove(file);
        if (!CellSnapshot::append(file, QStringLiteral("Bench"), 0, *volume))
            state.SkipWithError("snapshot write failed");
    }
    setCounters(state, *volume);
    QFile::remove(file);
}
BENCHMARK(BM_SnapshotWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SnapshotRestore(benchmark::State &state)
{
    const boost::shared_ptr<TotalVolume> volume = layeredVolume(256, 256, 128);
    const QString file = QDir::current().filePath(QStringLiteral("bench-undo.temp"));
    QFile::remove(file);
    // Another step's line first, so the restore has something to skip.
    CellSnapshot::append(file, QStringLiteral("Other"), 0, *volume);
    CellSnapshot::append(file, QStringLiteral("Bench"), 0, *volume);
    for (auto _ : state) {
        if (!CellSnapshot::restore(file, QStringLiteral("Bench"), 0, *volume))
            state.SkipWithError("snapshot restore failed");
    }
    setCounters(state, *volume);
    QFile::remove(file);
}
BENCHMARK(BM_SnapshotRestore)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Clone(benchmark::State &state)
{
    const boost::shared_ptr<TotalVolume> volume = layeredVolume(256, 256, 128);
    for (auto _ : state) {
        boost::scoped_ptr<Model::Object> copy(volume->clone());
        benchmark::DoNotOptimize(copy.get());
    }
    setCounters(state, *volume);
}
BENCHMARK(BM_Clone)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
