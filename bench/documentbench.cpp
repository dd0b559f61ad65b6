#include "Core/Operations/Document/documentstorage.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Persistence/totalvolumearchiver.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>

using Core::Operations::DocumentStorage;
using Core::Operations::Workspace;
using Model::Automaton::TotalVolume;

namespace {

const unsigned SizeX = 256, SizeY = 256, SizeZ = 128;

// A substrate with films of several materials, so the ids are of one to four digits.
boost::shared_ptr<TotalVolume> layeredVolume()
{
    std::vector<uint32_t> m(size_t(SizeX) * SizeY * SizeZ);
    for (size_t i = 0; i < m.size(); ++i) {
        const unsigned z = unsigned(i % SizeZ);
        const unsigned x = unsigned(i / (size_t(SizeY) * SizeZ));
        m[i] = z < SizeZ / 4 ? 1u : z < SizeZ / 3 ? 3u : z < SizeZ / 2 ? (x % 2 ? 17u : 2000u) : 0u;
    }
    return boost::shared_ptr<TotalVolume>(new TotalVolume(SizeX, SizeY, SizeZ, 0.5f, 0.5f, 0.25f, Util::Vector3D(), m));
}

void setCounters(benchmark::State &state, double cells, const QString &file)
{
    state.counters["cells"] = cells;
    state.counters["file_MB"] = double(QFileInfo(file).size()) / 1e6;
    state.counters["cells_per_s"] = benchmark::Counter(cells * state.iterations(), benchmark::Counter::kIsRate);
}

QString documentFile() { return QDir::current().filePath(QStringLiteral("bench.tvn")); }

void BM_DocumentSave(benchmark::State &state)
{
    Workspace workspace;
    workspace.document().addObject(layeredVolume());
    for (auto _ : state) {
        if (!DocumentStorage::save(documentFile(), workspace, nullptr))
            state.SkipWithError("save failed");
    }
    setCounters(state, double(SizeX) * SizeY * SizeZ, documentFile());
}
BENCHMARK(BM_DocumentSave)->Unit(benchmark::kMillisecond)->UseRealTime();

// range(0): 1 to rebuild the loaded volume's surface as opening a document
// does, 0 to measure the document reading alone.
void BM_DocumentLoad(benchmark::State &state)
{
    const bool withSurface = state.range(0) != 0;
    {
        Workspace source;
        source.document().addObject(layeredVolume());
        if (!DocumentStorage::save(documentFile(), source, nullptr)) {
            state.SkipWithError("save failed");
            return;
        }
    }
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<Workspace> target(new Workspace);
        boost::static_pointer_cast<Model::Persistence::TotalVolumeArchiver>(
            target->persistence().archivers().archiver(Model::Object::TotalVolumeType))
            ->setRegenerateSurface(withSurface);
        state.ResumeTiming();
        if (DocumentStorage::load(documentFile(), *target, nullptr) != DocumentStorage::Loaded)
            state.SkipWithError("load failed");
        state.PauseTiming();
        target.reset();
        state.ResumeTiming();
    }
    setCounters(state, double(SizeX) * SizeY * SizeZ, documentFile());
}
BENCHMARK(BM_DocumentLoad)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// A small document whose volumes claim far more cells than it holds:
// range(0) empty "Object" elements of 256 x 256 x 1 cells (64 KB for 1000).
// Run alone under /usr/bin/time -v to see the peak memory of the refusal.
void BM_DocumentLoadClaimingVolumes(benchmark::State &state)
{
    const int count = int(state.range(0));
    {
        QFile file(documentFile());
        if (!file.open(QIODevice::WriteOnly)) {
            state.SkipWithError("cannot write the document");
            return;
        }
        file.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Document><Header version=\"1\"/>");
        for (int i = 0; i < count; ++i)
            file.write("<Object object-type=\"1\" size-x=\"256\" size-y=\"256\" size-z=\"1\"/>");
        file.write("</Document>");
    }
    for (auto _ : state) {
        Workspace target;
        if (DocumentStorage::load(documentFile(), target, nullptr) != DocumentStorage::Refused)
            state.SkipWithError("the document was not refused");
    }
    setCounters(state, 256.0 * 256.0 * count, documentFile());
}
BENCHMARK(BM_DocumentLoadClaimingVolumes)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
