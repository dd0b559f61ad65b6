// Large volumes: the trench deposition at growing sizes and thread counts, a
// one-layer etch with its undo snapshot, Create Substrate and the VTK export
// against the document. Its own program, so that /usr/bin/time -v gives the
// peak memory of one scenario:
//   /usr/bin/time -v build/bench/torvane_scale_bench --benchmark_filter='BM_TrenchDeposition/1024/1024/500/2/'
#include "benchmain.h"

#include "Core/Operations/CreateSubstrate/substrate.h"
#include "Core/Operations/Document/documentstorage.h"
#include "Core/Operations/DistanceCounting/isotropicfilmdeposition.h"
#include "Core/Operations/DistanceCounting/isotropicfilmetching.h"
#include "Core/Operations/cellsnapshot.h"
#include "Core/Operations/workspace.h"
#include "Model/Analysis/vtiwriter.h"
#include "Model/Automaton/totalvolume.h"
#include "Util/slabrunner.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThreadPool>


using namespace Core::Operations;
using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;

namespace {

const uint32_t Silicon = 1, Film = 3;

// The trench of the 256 x 256 x 128 benchmarks scaled to the volume: silicon
// up to 5/16 of the height, a trench along y over the middle quarter of x
// down to half that height.
unsigned surfaceTop(unsigned nz) { return nz * 5 / 16; }
unsigned trenchFloor(unsigned nz) { return nz * 5 / 32; }
bool inTrench(unsigned x, unsigned nx) { return x >= nx * 3 / 8 && x < nx * 5 / 8; }

void makeTrench(TotalVolume &volume)
{
    const unsigned nx = volume.getSizeX(), ny = volume.getSizeY(), nz = volume.getSizeZ();
    CellLock cells(volume);
    Util::runSlabs(Util::planSlabs(0, nx, Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount),
                   [&](const Util::SlabRange &r, unsigned) {
                       for (unsigned x = r.first; x < r.last; ++x) {
                           const unsigned top = inTrench(x, nx) ? trenchFloor(nz) : surfaceTop(nz);
                           for (unsigned y = 0; y < ny; ++y) {
                               Voxel *column = cells.column(x, y);
                               std::fill(column, column + top, Voxel(Silicon));
                               std::fill(column + top, column + nz, Voxel(0));
                           }
                       }
                   });
}

// One volume per size for the whole program: building a 2 G-cell trench takes longer than a deposition.
boost::shared_ptr<TotalVolume> trenchVolumePtr(unsigned nx, unsigned ny, unsigned nz)
{
    static boost::shared_ptr<TotalVolume> volume;
    if (!volume || volume->getSizeX() != nx || volume->getSizeY() != ny || volume->getSizeZ() != nz) {
        volume.reset(); // one at a time: they do not all fit
        volume = boost::shared_ptr<TotalVolume>(new TotalVolume(nx, ny, nz, 1, 1, 1, Util::Vector3D(), 0u));
        makeTrench(*volume);
    }
    return volume;
}

TotalVolume &trenchVolume(unsigned nx, unsigned ny, unsigned nz) { return *trenchVolumePtr(nx, ny, nz); }

// Film cells above the surface far from the trench, above its floor, and beside its wall a quarter of the
// way down (clear of the film on the floor).
void filmCounters(benchmark::State &state, TotalVolume &volume)
{
    const unsigned nx = volume.getSizeX(), ny = volume.getSizeY(), nz = volume.getSizeZ();
    CellLock cells(volume);
    auto run = [&](unsigned x, unsigned y, unsigned z, int dx, int dz) {
        unsigned n = 0;
        while (cells.material(x, y, z) == Film) {
            ++n;
            x += unsigned(dx);
            z += unsigned(dz);
        }
        return double(n);
    };
    const unsigned wall = nx * 3 / 8; // first trench column
    state.counters["film_top"] = run(nx / 8, ny / 2, surfaceTop(nz), 0, 1);
    state.counters["film_floor"] = run(nx / 2, ny / 2, trenchFloor(nz), 0, 1);
    state.counters["film_wall"] = run(wall, ny / 2, surfaceTop(nz) - (surfaceTop(nz) - trenchFloor(nz)) / 4, 1, 0);
}

void cellCounters(benchmark::State &state, const TotalVolume &volume)
{
    state.counters["cells"] = double(volume.getCellCount());
    state.counters["cells_per_s"] =
        benchmark::Counter(double(volume.getCellCount()) * state.iterations(), benchmark::Counter::kIsRate);
}

// Args: nx, ny, nz, threads. Isotropic deposition of 10 cells on the trench.
void BM_TrenchDeposition(benchmark::State &state)
{
    Util::setThreadCount(int(state.range(3)));
    TotalVolume &volume =
        trenchVolume(unsigned(state.range(0)), unsigned(state.range(1)), unsigned(state.range(2)));
    for (auto _ : state) {
        state.PauseTiming();
        makeTrench(volume);
        state.ResumeTiming();
        IsotropicFilmDeposition(volume, Film, 10).simulate();
    }
    cellCounters(state, volume);
    filmCounters(state, volume);
    Util::setThreadCount(0);
}
BENCHMARK(BM_TrenchDeposition)
    ->Args({256, 256, 128, 1})
    ->Args({256, 256, 128, 2})
    ->Args({512, 512, 256, 1})
    ->Args({512, 512, 256, 2})
    ->Args({1024, 1024, 500, 2})
    ->Args({2048, 2048, 500, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Args: nx, ny, nz. An isotropic etch of one cell of silicon as the program runs a step:
// the undo snapshot before, the engine, the changed cells written after.
void BM_OneLayerEtch(benchmark::State &state)
{
    TotalVolume &volume =
        trenchVolume(unsigned(state.range(0)), unsigned(state.range(1)), unsigned(state.range(2)));
    Workspace workspace;
    for (auto _ : state) {
        state.PauseTiming();
        makeTrench(volume);
        QFile::remove(workspace.persistence().undoFileName());
        QFile::remove(workspace.persistence().redoFileName());
        state.ResumeTiming();
        CellSnapshot snapshot(QStringLiteral("Etch"), &workspace);
        if (!snapshot.saveBefore(volume))
            state.SkipWithError("no snapshot");
        IsotropicFilmEtching(volume, Silicon, 1).simulate();
        if (!snapshot.saveAfter(volume))
            state.SkipWithError("no changes written");
    }
    cellCounters(state, volume);
}
BENCHMARK(BM_OneLayerEtch)
    ->Args({256, 256, 128})
    ->Args({1024, 1024, 500})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Args: nx, ny, nz. A box substrate filling the lower half of a new volume.
void BM_CreateSubstrate(benchmark::State &state)
{
    const unsigned nx = unsigned(state.range(0)), ny = unsigned(state.range(1)), nz = unsigned(state.range(2));
    SubstrateShape box;
    box.material = Silicon;
    box.sizeX = nx, box.sizeY = ny, box.sizeZ = nz;
    box.boxX = nx, box.boxY = ny, box.boxZ = nz / 2;
    uint64_t cells = 0;
    for (auto _ : state) {
        QString error;
        const boost::shared_ptr<TotalVolume> volume = buildSubstrate(box, &error);
        if (!volume) {
            state.SkipWithError(qPrintable(error));
            break;
        }
        cells = volume->getCellCount();
        state.PauseTiming(); // freeing it is not part of the step
        const_cast<boost::shared_ptr<TotalVolume> &>(volume).reset();
        state.ResumeTiming();
    }
    state.counters["cells"] = double(cells);
    state.counters["cells_per_s"] = benchmark::Counter(double(cells) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CreateSubstrate)
    ->Args({256, 256, 128})
    ->Args({1024, 1024, 500})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Args: nx, ny, nz, what (0 document, 1 VTK raw, 2 VTK zlib): writing the deposited trench.
void BM_WriteVolume(benchmark::State &state)
{
    const boost::shared_ptr<TotalVolume> held =
        trenchVolumePtr(unsigned(state.range(0)), unsigned(state.range(1)), unsigned(state.range(2)));
    TotalVolume &volume = *held;
    const QString file = QDir::current().filePath(state.range(3) == 0 ? QStringLiteral("bench.tvn")
                                                                       : QStringLiteral("bench.vti"));
    qint64 bytes = 0;
    for (auto _ : state) {
        QString error;
        bool ok = false;
        if (state.range(3) == 0) {
            state.PauseTiming();
            Workspace workspace;
            workspace.document().addObject(held);
            state.ResumeTiming();
            ok = DocumentStorage::save(file, workspace, nullptr);
            error = QStringLiteral("the document could not be saved");
        } else {
            ok = Model::Analysis::writeVti(volume, file, &error,
                                           state.range(3) == 2 ? Model::Analysis::VtiCompression::Zlib
                                                               : Model::Analysis::VtiCompression::None);
        }
        if (!ok)
            state.SkipWithError(qPrintable(error));
        bytes = QFile(file).size();
    }
    QFile::remove(file);
    cellCounters(state, volume);
    state.counters["file_MiB"] = double(bytes) / (1 << 20);
}
BENCHMARK(BM_WriteVolume)
    ->Args({256, 256, 128, 0})
    ->Args({256, 256, 128, 1})
    ->Args({256, 256, 128, 2})
    ->Args({512, 512, 400, 0})
    ->Args({512, 512, 400, 1})
    ->Args({512, 512, 400, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // Scratch files go to a temporary folder, never the checkout.
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    return runBenchmarks(argc, argv);
}
