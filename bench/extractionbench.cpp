#include "Model/Automaton/totalvolume.h"
#include "Model/ModelExtraction/cantilevermodelrule.h"
#include "Model/ModelExtraction/preprocessing.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace Model::ModelExtraction;
using Model::Automaton::TotalVolume;

namespace {

const unsigned SX = 256, SY = 256, SZ = 64;
const unsigned Beams = 50;

// A silicon anchor block with a comb of 50 copper beams (150 x 2 x 2 cells,
// every 5 cells along y) standing out along +x.
std::vector<uint32_t> comb()
{
    std::vector<uint32_t> m(size_t(SX) * SY * SZ, 0);
    auto fill = [&](unsigned x0, unsigned y0, unsigned z0, unsigned dx, unsigned dy, unsigned dz, uint32_t id) {
        for (unsigned x = x0; x < x0 + dx; ++x)
            for (unsigned y = y0; y < y0 + dy; ++y)
                for (unsigned z = z0; z < z0 + dz; ++z)
                    m[(size_t(x) * SY + y) * SZ + z] = id;
    };
    fill(0, 0, 0, 32, SY, 32, 1);
    for (unsigned i = 0; i < Beams; ++i)
        fill(32, 3 + 5 * i, 28, 150, 2, 2, 3);
    return m;
}

void setCounters(benchmark::State &state, size_t boxes)
{
    state.counters["cells"] = double(SX) * SY * SZ;
    state.counters["boxes"] = double(boxes);
    state.counters["boxes_per_s"] = benchmark::Counter(double(boxes) * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["cells_per_s"] =
        benchmark::Counter(double(SX) * SY * SZ * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_ExtractionPreprocessing(benchmark::State &state)
{
    TotalVolume volume(SX, SY, SZ, 1, 1, 1, Util::Vector3D(), comb());
    size_t boxes = 0;
    for (auto _ : state) {
        const BoxList list = Preprocessing::run(volume);
        boxes = list.size();
        benchmark::DoNotOptimize(list.data());
    }
    setCounters(state, boxes);
}
BENCHMARK(BM_ExtractionPreprocessing)->Unit(benchmark::kMillisecond)->UseRealTime(); // the split runs on the pool

void BM_ExtractionFeatureDetection(benchmark::State &state)
{
    TotalVolume volume(SX, SY, SZ, 1, 1, 1, Util::Vector3D(), comb());
    const BoxList boxes = Preprocessing::run(volume);
    for (auto _ : state) {
        CantileverModelRule rule;
        const boost::shared_ptr<IStructure> structure = rule.apply(boxes);
        if (!structure || rule.getCantilevers().size() != Beams)
            state.SkipWithError("comb not found");
        benchmark::DoNotOptimize(structure.get());
    }
    setCounters(state, boxes.size());
}
BENCHMARK(BM_ExtractionFeatureDetection)->Unit(benchmark::kMillisecond);

// Both steps, as the user runs them one after the other.
void BM_ExtractionTotal(benchmark::State &state)
{
    TotalVolume volume(SX, SY, SZ, 1, 1, 1, Util::Vector3D(), comb());
    size_t boxes = 0;
    for (auto _ : state) {
        const BoxList list = Preprocessing::run(volume);
        CantileverModelRule rule;
        benchmark::DoNotOptimize(rule.apply(list).get());
        boxes = list.size();
    }
    setCounters(state, boxes);
}
BENCHMARK(BM_ExtractionTotal)->Unit(benchmark::kMillisecond)->UseRealTime(); // the split runs on the pool

// The pairwise link test the face-plane index replaces, on the same boxes.
void BM_ExtractionPairwiseLinking(benchmark::State &state)
{
    TotalVolume volume(SX, SY, SZ, 1, 1, 1, Util::Vector3D(), comb());
    const BoxList boxes = Preprocessing::run(volume);
    for (auto _ : state)
        Preprocessing::linkBoxesPairwise(boxes);
    setCounters(state, boxes.size());
}
BENCHMARK(BM_ExtractionPairwiseLinking)->Unit(benchmark::kMillisecond);

// Many boxes: a 64 x 64 x 16 volume whose material changes every two cells
// along each axis gives 32 x 32 x 8 boxes, where linking cost shows.
BoxList manyBoxes()
{
    const unsigned n[3] = {64, 64, 16};
    std::vector<uint32_t> m(size_t(n[0]) * n[1] * n[2]);
    for (unsigned x = 0; x < n[0]; ++x)
        for (unsigned y = 0; y < n[1]; ++y)
            for (unsigned z = 0; z < n[2]; ++z)
                m[(size_t(x) * n[1] + y) * n[2] + z] = 1 + ((x / 2 + y / 2 + z / 2) % 2);
    TotalVolume volume(n[0], n[1], n[2], 1, 1, 1, Util::Vector3D(), m);
    return Preprocessing::run(volume);
}

void BM_ExtractionLinkingManyBoxes(benchmark::State &state)
{
    const BoxList boxes = manyBoxes();
    for (auto _ : state) {
        if (state.range(0))
            Preprocessing::linkBoxesPairwise(boxes);
        else
            Preprocessing::linkBoxes(boxes);
    }
    state.SetLabel(state.range(0) ? "pairwise" : "face-plane index");
    state.counters["boxes"] = double(boxes.size());
    state.counters["boxes_per_s"] =
        benchmark::Counter(double(boxes.size()) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExtractionLinkingManyBoxes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
