#include "abstractdistancecountingautomatonbase.h"

#include "Model/Automaton/totalvolume.h"
#include "Util/stoptoken.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;

const double AbstractDistanceCountingAutomatonBase::DistanceFactor = 1.7071067811865475;

namespace {
std::atomic<double> g_bandShare(1.0 / 3.0);
}

void AbstractDistanceCountingAutomatonBase::setBandShare(double share) { g_bandShare.store(share); }
double AbstractDistanceCountingAutomatonBase::bandShare() { return g_bandShare.load(); }

AbstractDistanceCountingAutomatonBase::AbstractDistanceCountingAutomatonBase(TotalVolume &volume)
    : m_sizeX(volume.getSizeX()),
      m_sizeY(volume.getSizeY()),
      m_sizeZ(volume.getSizeZ()),
      m_cx(volume.getCellSizeX()),
      m_cy(volume.getCellSizeY()),
      m_cz(volume.getCellSizeZ()),
      m_volume(volume),
      m_plan(Util::planSlabs(0, volume.getSizeX(), Util::defaultSlabCount(), Util::SlabSplit::RemainderByThickness))
{
    setCellSizes(m_cx, m_cy, m_cz);
    m_layer = m_sizeY * m_sizeZ; // the volume's cell count fits 32 bits
    const int64_t offsets[6] = {-1, 1, -int64_t(m_sizeZ), int64_t(m_sizeZ), -int64_t(m_layer), int64_t(m_layer)};
    std::copy(offsets, offsets + 6, m_offsets);
    for (size_t i = 0; i < m_plan.slabs.size(); ++i)
        m_slabs.emplace_back(new Slab);
}

AbstractDistanceCountingAutomatonBase::~AbstractDistanceCountingAutomatonBase() = default;

void AbstractDistanceCountingAutomatonBase::setCellSizes(float cx, float cy, float cz)
{
    m_cx = cx;
    m_cy = cy;
    m_cz = cz;
    const float steps[6][3] = {{0, 0, -cz}, {0, 0, cz}, {0, -cy, 0}, {0, cy, 0}, {-cx, 0, 0}, {cx, 0, 0}};
    for (unsigned d = 0; d < 6; ++d)
        for (unsigned a = 0; a < 3; ++a)
            m_steps[d][a] = steps[d][a];
}

float AbstractDistanceCountingAutomatonBase::minCellSize() const { return std::min(m_cx, std::min(m_cy, m_cz)); }

int AbstractDistanceCountingAutomatonBase::toIterations(double count)
{
    if (!(count > 0))
        return 0;
    if (count >= double(INT_MAX))
        return INT_MAX;
    return int(count);
}

int AbstractDistanceCountingAutomatonBase::depositionIterations(float distance, float minCellSize)
{
    const float layers = std::ceil(distance / minCellSize);
    return toIterations(std::floor(double(layers) * DistanceFactor));
}

int AbstractDistanceCountingAutomatonBase::etchingIterations(double distance, double minCellSize)
{
    return toIterations(std::ceil(distance * DistanceFactor / minCellSize));
}

void AbstractDistanceCountingAutomatonBase::run(int iterations) { runPasses(iterations, true); }

void AbstractDistanceCountingAutomatonBase::runPasses(int iterations, bool withFinalize)
{
    m_iterationsRun = 0;
    if (uint64_t(m_layer) * m_sizeX == 0)
        return;
    CellLock lock(m_volume);
    m_cells = lock.cells();
    m_scratch.reset(m_sizeX, m_sizeY, m_sizeZ);
    findUneven();
    buildBands(iterations);
    const Util::SlabPlan &plan = m_plan;

    Util::runSlabs(plan, [this](const Util::SlabRange &r, unsigned s) { initializeSlab(r.first, r.last, s); });
    Util::runSlabs(plan, [this](const Util::SlabRange &r, unsigned s) { linkSlab(r.first, r.last, s); });
    Util::runSlabs(plan, [this](const Util::SlabRange &, unsigned s) {
        // Neighbours' mutexes are taken one at a time, never while holding this slab's own.
        Slab &slab = *m_slabs[s];
        std::vector<uint32_t> handed;
        mergeHandOvers(s, handed);
        QMutexLocker locker(&slab.mutex);
        slab.front.insert(slab.front.end(), handed.begin(), handed.end());
        orderFront(s, slab.front);
    });
    // The hand-overs of the initialize pass are consumed; the first update pass refills them.
    m_unevenLo = std::vector<int32_t>();
    m_unevenHi = std::vector<int32_t>();

    for (int i = 0; i < iterations; ++i) {
        bool active = false;
        for (const std::unique_ptr<Slab> &slab : m_slabs)
            active = active || !slab->front.empty();
        if (!active || Util::stopRequested())
            break; // every further iteration would change nothing, or the step was stopped
        Util::runSlabs(plan, [this](const Util::SlabRange &r, unsigned s) { stepSlab(r.first, r.last, s); });
        Util::runSlabs(plan, [this](const Util::SlabRange &r, unsigned s) { mergeSlab(r.first, r.last, s); });
        ++m_iterationsRun;
    }

    if (withFinalize)
        Util::runSlabs(plan, [this](const Util::SlabRange &r, unsigned s) { finalizeSlab(r.first, r.last, s); });

    for (const std::unique_ptr<Slab> &slab : m_slabs) {
        slab->front.clear();
        slab->newFront.clear();
        slab->toNextSlab.clear();
        slab->toPreviousSlab.clear();
        slab->pending.clear();
        slab->bits = std::vector<uint64_t>();
        slab->cursor = Cursor();
    }
    if (!m_keepScratch)
        m_scratch.release();
    m_cells = nullptr;
}

namespace {

// out[i] = the smallest (or, with Greater, largest) of in[i - r .. i + r] within
// [0, n), every element `stride` apart; a monotonic queue keeps it linear in n.
template <class Better>
void slidingBest(const int32_t *in, int32_t *out, size_t n, size_t stride, size_t r, Better better,
                 std::vector<size_t> &queue)
{
    queue.clear();
    size_t head = 0, next = 0;
    for (size_t i = 0; i < n; ++i) {
        const size_t last = std::min(n - 1, i + r);
        for (; next <= last; ++next) {
            while (queue.size() > head && !better(in[queue.back() * stride], in[next * stride]))
                queue.pop_back();
            queue.push_back(next);
        }
        while (queue[head] + r < i)
            ++head;
        out[i * stride] = in[queue[head] * stride];
    }
}

} // namespace

namespace {

// The first z in [1, n) where a column changes material, or n; eight cells a step while nothing changes.
unsigned firstChange(const Voxel *c, unsigned n)
{
    unsigned z = 1;
    for (; z + 8 <= n; z += 8) {
        uint32_t any = 0;
        for (unsigned i = 0; i < 8; ++i)
            any |= c[z + i].material ^ c[z + i - 1].material;
        if (any)
            break;
    }
    for (; z < n; ++z)
        if (c[z].material != c[z - 1].material)
            return z;
    return n;
}

// The last z in [1, n) where a column changes material, or 0.
unsigned lastChange(const Voxel *c, unsigned n)
{
    unsigned z = n;
    for (; z >= 9; z -= 8) {
        uint32_t any = 0;
        for (unsigned i = 1; i <= 8; ++i)
            any |= c[z - i].material ^ c[z - i - 1].material;
        if (any)
            break;
    }
    for (; z > 1; --z)
        if (c[z - 1].material != c[z - 2].material)
            return z - 1;
    return 0;
}

} // namespace

void AbstractDistanceCountingAutomatonBase::findUneven()
{
    const unsigned sx = m_sizeX, sy = m_sizeY, sz = m_sizeZ;
    const size_t columns = size_t(sx) * sy;
    m_unevenLo.assign(columns, INT32_MAX);
    m_unevenHi.assign(columns, -1);
    const Voxel *cells = m_cells;
    const size_t columnBytes = size_t(sz) * sizeof(Voxel);
    Util::runSlabs(m_plan, [&](const Util::SlabRange &range, unsigned) {
        for (unsigned x = range.first; x < range.last; ++x)
            for (unsigned y = 0; y < sy; ++y) {
                const size_t c = size_t(x) * sy + y;
                const Voxel *column = cells + c * sz;
                int32_t a = INT32_MAX, b = -1;
                const unsigned first = firstChange(column, sz);
                if (first < sz) {
                    a = int32_t(first) - 1;
                    b = int32_t(lastChange(column, sz));
                }
                const Voxel *sides[4] = {x > 0 ? column - m_layer : nullptr, x + 1 < sx ? column + m_layer : nullptr,
                                         y > 0 ? column - sz : nullptr, y + 1 < sy ? column + sz : nullptr};
                for (const Voxel *side : sides) {
                    if (!side || std::memcmp(side, column, columnBytes) == 0)
                        continue;
                    unsigned low = 0, high = sz - 1;
                    while (side[low].material == column[low].material)
                        ++low;
                    while (side[high].material == column[high].material)
                        --high;
                    a = std::min<int32_t>(a, int32_t(low));
                    b = std::max<int32_t>(b, int32_t(high));
                }
                m_unevenLo[c] = a;
                m_unevenHi[c] = b;
            }
    });
}

void AbstractDistanceCountingAutomatonBase::buildBands(int reach)
{
    const unsigned sx = m_sizeX, sy = m_sizeY, sz = m_sizeZ;
    const size_t columns = size_t(sx) * sy;
    const MaterialSet banded = bandMaterials();
    if (banded.isEmpty() || reach <= 0)
        return;
    const int64_t r = std::min<int64_t>(int64_t(reach) + 1, int64_t(std::max(sx, std::max(sy, sz))));
    const Voxel *cells = m_cells;
    std::vector<int32_t> lo(m_unevenLo), hi(m_unevenHi);
    // Dilate by r columns along y, then along x: a front cell moves one face step an iteration.
    std::vector<int32_t> lo2(columns), hi2(columns);
    Util::runSlabs(m_plan, [&](const Util::SlabRange &range, unsigned) {
        std::vector<size_t> queue;
        for (unsigned x = range.first; x < range.last; ++x) {
            const size_t row = size_t(x) * sy;
            slidingBest(&lo[row], &lo2[row], sy, 1, size_t(r), std::less<int32_t>(), queue);
            slidingBest(&hi[row], &hi2[row], sy, 1, size_t(r), std::greater<int32_t>(), queue);
        }
    });
    const Util::SlabPlan rows = Util::planSlabs(0, sy, Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount);
    Util::runSlabs(rows, [&](const Util::SlabRange &range, unsigned) {
        std::vector<size_t> queue;
        for (unsigned y = range.first; y < range.last; ++y) {
            slidingBest(&lo2[y], &lo[y], sx, sy, size_t(r), std::less<int32_t>(), queue);
            slidingBest(&hi2[y], &hi[y], sx, sy, size_t(r), std::greater<int32_t>(), queue);
        }
    });
    lo2 = std::vector<int32_t>();
    hi2 = std::vector<int32_t>();
    // Each column's band: its cells of the banded materials within r of those heights.
    std::vector<AutomatonScratch::ColumnBand> bands(columns);
    Util::runSlabs(m_plan, [&](const Util::SlabRange &range, unsigned) {
        for (size_t c = size_t(range.first) * sy; c < size_t(range.last) * sy; ++c) {
            if (hi[c] < lo[c])
                continue;
            const Voxel *column = cells + c * sz;
            int64_t a = std::max<int64_t>(0, int64_t(lo[c]) - r);
            int64_t b = std::min<int64_t>(int64_t(sz), int64_t(hi[c]) + r + 1);
            while (a < b && !banded.contains(column[a].material))
                ++a;
            while (b > a && !banded.contains(column[b - 1].material))
                --b;
            bands[c].zlo = uint32_t(a);
            bands[c].zhi = uint32_t(b);
        }
    });
    uint64_t total = 0;
    for (AutomatonScratch::ColumnBand &band : bands) {
        band.first = total;
        total += band.zhi - band.zlo;
    }
    // Bands about as large as the cells themselves would gain nothing over pages.
    if (total == 0 || double(total) > bandShare() * double(columns) * sz)
        return;
    try {
        m_scratch.setBands(std::move(bands), total);
    } catch (const std::bad_alloc &) {
        return; // pages serve every cell then
    }
    const std::vector<AutomatonScratch::ColumnBand> &laid = m_scratch.bands();
    Util::runSlabs(m_plan, [&](const Util::SlabRange &range, unsigned) {
        for (size_t c = size_t(range.first) * sy; c < size_t(range.last) * sy; ++c) {
            const AutomatonScratch::ColumnBand &band = laid[c];
            const Voxel *column = cells + c * sz;
            for (uint32_t z = band.zlo; z < band.zhi; ++z) {
                const ScratchValue &value = defaultFor(column[z].material);
                m_scratch.setBandCell(band.first + (z - band.zlo), value.flag, value.vector);
            }
        }
    });
}

void AbstractDistanceCountingAutomatonBase::initializeSlab(unsigned first, unsigned last, unsigned slab)
{
    clearFront(slab);
    Cursor &cursor = m_slabs[slab]->cursor;
    const bool skipUniform = skipsUniformCells() && !m_unevenLo.empty();
    uint32_t index = first * m_layer;
    for (unsigned x = first; x < last; ++x)
        for (unsigned y = 0; y < m_sizeY; ++y, index += m_sizeZ) {
            unsigned z0 = 0, z1 = m_sizeZ;
            if (skipUniform) {
                // Outside [lo, hi] a cell's six neighbours all hold its own material.
                const size_t c = size_t(x) * m_sizeY + y;
                if (m_unevenHi[c] < m_unevenLo[c])
                    continue;
                z0 = unsigned(m_unevenLo[c]);
                z1 = unsigned(m_unevenHi[c]) + 1;
            }
            for (unsigned z = z0; z < z1; ++z) {
                cursor.index = index + z;
                cursor.mask = maskAt(x, y, z);
                initializeCell(index + z, slab);
            }
        }
    cursor = Cursor();
}

void AbstractDistanceCountingAutomatonBase::linkSlab(unsigned, unsigned, unsigned) {}

void AbstractDistanceCountingAutomatonBase::finalizeSlab(unsigned first, unsigned last, unsigned slab)
{
    Cursor &cursor = m_slabs[slab]->cursor;
    uint32_t index = first * m_layer;
    for (unsigned x = first; x < last; ++x)
        for (unsigned y = 0; y < m_sizeY; ++y)
            for (unsigned z = 0; z < m_sizeZ; ++z, ++index) {
                cursor.index = index;
                cursor.mask = maskAt(x, y, z);
                finalizeCell(index, slab);
            }
    cursor = Cursor();
}

void AbstractDistanceCountingAutomatonBase::stepSlab(unsigned first, unsigned last, unsigned slab)
{
    Slab &s = *m_slabs[slab];
    QMutexLocker locker(&s.mutex);
    s.toNextSlab.clear();
    s.toPreviousSlab.clear();
    s.pending.clear();
    s.newFront.clear();
    // The front is in cell order, so its cells' neighbourhoods are known ahead:
    // asking for them a few cells early hides most of the wait for memory.
    const size_t ahead = 12, count = s.front.size();
    const uint32_t *front = s.front.data();
    for (size_t i = 0; i < count; ++i) {
        if (i + ahead < count)
            prefetchNeighbourhood(front[i + ahead]);
        updateCell(front[i], first, last, s.newFront, slab);
    }
}

void AbstractDistanceCountingAutomatonBase::prefetchNeighbourhood(uint32_t index) const
{
    const Voxel *cells = m_cells;
    const uint64_t layer = m_layer, column = m_sizeZ, count = uint64_t(m_layer) * m_sizeX;
    // Materials: the cell's own line holds its z neighbours.
    __builtin_prefetch(cells + index);
    if (index >= column)
        __builtin_prefetch(cells + index - column);
    if (index + column < count)
        __builtin_prefetch(cells + index + column);
    if (index >= layer)
        __builtin_prefetch(cells + index - layer);
    if (index + layer < count)
        __builtin_prefetch(cells + index + layer);
    m_scratch.prefetchNeighbourhood(index, m_sizeY);
}

void AbstractDistanceCountingAutomatonBase::mergeSlab(unsigned, unsigned, unsigned slab)
{
    Slab &s = *m_slabs[slab];
    mergeHandOvers(slab, s.newFront);
    QMutexLocker locker(&s.mutex);
    applyPendingChanges(slab);
    orderFront(slab, s.newFront);
    s.front.swap(s.newFront);
}

void AbstractDistanceCountingAutomatonBase::mergeHandOvers(unsigned slab, std::vector<uint32_t> &front)
{
    if (slab > 0) {
        Slab &previous = *m_slabs[slab - 1];
        QMutexLocker locker(&previous.mutex);
        front.insert(front.end(), previous.toNextSlab.begin(), previous.toNextSlab.end());
    }
    if (slab + 1 < m_slabs.size()) {
        Slab &next = *m_slabs[slab + 1];
        QMutexLocker locker(&next.mutex);
        front.insert(front.end(), next.toPreviousSlab.begin(), next.toPreviousSlab.end());
    }
}

void AbstractDistanceCountingAutomatonBase::orderFront(unsigned slab, std::vector<uint32_t> &cells)
{
    if (std::is_sorted(cells.begin(), cells.end())) {
        cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
        return;
    }
    Slab &s = *m_slabs[slab];
    const Util::SlabRange range = m_plan.slabs[slab];
    const uint64_t begin = uint64_t(range.first) * m_layer;
    const size_t words = size_t((uint64_t(range.last - range.first) * m_layer + 63) / 64);
    // A front much smaller than the slab sorts faster than a scan of the slab's bits.
    if (cells.size() < words / 16) {
        std::sort(cells.begin(), cells.end());
        cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
        return;
    }
    if (s.bits.size() != words)
        s.bits.assign(words, 0);
    for (uint32_t cell : cells) {
        const uint64_t offset = cell - begin;
        s.bits[offset >> 6] |= uint64_t(1) << (offset & 63);
    }
    cells.clear();
    for (size_t w = 0; w < words; ++w) {
        uint64_t word = s.bits[w];
        if (!word)
            continue;
        s.bits[w] = 0;
        const uint64_t base = begin + uint64_t(w) * 64;
        while (word) {
            cells.push_back(uint32_t(base + unsigned(__builtin_ctzll(word))));
            word &= word - 1;
        }
    }
}

void AbstractDistanceCountingAutomatonBase::applyPendingChanges(unsigned slab)
{
    for (const PendingCellChange &change : m_slabs[slab]->pending) {
        // The flag stays what the cell had; read it before the material changes.
        m_scratch.write(change.cell, flagOf(change.cell), change.vector);
        m_cells[change.cell].material = change.material;
    }
}

void AbstractDistanceCountingAutomatonBase::collectNeighbours(uint32_t index, unsigned first, unsigned last,
                                                              std::vector<uint32_t> &newFront, unsigned slab)
{
    collectNeighboursIn(m_propagatingMaterials, index, first, last, newFront, slab);
}

void AbstractDistanceCountingAutomatonBase::collectNeighboursIn(const MaterialSet &materials, uint32_t index,
                                                                unsigned first, unsigned last,
                                                                std::vector<uint32_t> &newFront, unsigned slab)
{
    Slab &s = *m_slabs[slab];
    const uint64_t begin = uint64_t(first) * m_layer, end = uint64_t(last) * m_layer;
    const unsigned mask = neighbourMask(index, slab);
    for (unsigned d = 0; d < 6; ++d) {
        if (!(mask & (1u << d)))
            continue;
        const uint32_t n = neighbour(index, d);
        if (!materials.contains(m_cells[n].material))
            continue;
        if (n < begin)
            s.toPreviousSlab.push_back(n);
        else if (n >= end)
            s.toNextSlab.push_back(n);
        else
            newFront.push_back(n);
    }
}

void AbstractDistanceCountingAutomatonBase::route(uint32_t index, unsigned first, unsigned last,
                                                  std::vector<uint32_t> &newFront, unsigned slab)
{
    Slab &s = *m_slabs[slab];
    if (index < uint64_t(first) * m_layer)
        s.toPreviousSlab.push_back(index);
    else if (index >= uint64_t(last) * m_layer)
        s.toNextSlab.push_back(index);
    else
        newFront.push_back(index);
}

AbstractDistanceCountingAutomatonBase::ScratchValue
AbstractDistanceCountingAutomatonBase::scratchAfterRun(uint32_t index) const
{
    CellLock lock(m_volume);
    uint8_t flag;
    const float *vector;
    if (!m_scratch.isReset() || !m_scratch.find(index, flag, vector))
        return defaultFor(lock.cells()[index].material);
    ScratchValue value = {flag, {vector[0], vector[1], vector[2]}};
    return value;
}

void AbstractDistanceCountingAutomatonBase::setScratchDefaults(const ScratchValue &empty, const MaterialSet &members,
                                                               const ScratchValue &member, const ScratchValue &other)
{
    m_defaultEmpty = empty;
    m_defaultMembers = members;
    m_defaultMember = member;
    m_defaultOther = other;
    m_membersDiffer = member.flag != other.flag || std::memcmp(member.vector, other.vector, sizeof other.vector) != 0;
}

void AbstractDistanceCountingAutomatonBase::setScratch(uint32_t index, uint8_t flag, float x, float y, float z)
{
    const float vector[3] = {x, y, z};
    uint8_t storedFlag;
    const float *stored;
    if (!m_scratch.find(index, storedFlag, stored)) {
        // Compared bit for bit: a -0 or a NaN must come back exactly as it was set.
        const ScratchValue &given = defaultFor(m_cells[index].material);
        if (given.flag == flag && std::memcmp(given.vector, vector, sizeof vector) == 0)
            return;
    }
    m_scratch.write(index, flag, vector);
}

void AbstractDistanceCountingAutomatonBase::addToFront(uint32_t index, unsigned slab)
{
    m_slabs[slab]->front.push_back(index);
}

void AbstractDistanceCountingAutomatonBase::clearFront(unsigned slab) { m_slabs[slab]->front.clear(); }

unsigned AbstractDistanceCountingAutomatonBase::neighbourMask(uint32_t index, unsigned slab) const
{
    const Cursor &cursor = m_slabs[slab]->cursor;
    return cursor.index == index ? cursor.mask : neighbourMask(index);
}

unsigned AbstractDistanceCountingAutomatonBase::neighbourMask(uint32_t index) const
{
    const unsigned x = index / m_layer;
    const unsigned rest = index - x * m_layer;
    const unsigned y = rest / m_sizeZ;
    return maskAt(x, y, rest - y * m_sizeZ);
}

bool AbstractDistanceCountingAutomatonBase::relax(uint32_t index, float limitSq, const StepVectors &steps,
                                                  float out[3]) const
{
    const uint32_t column = m_scratch.columnOf(index);
    const uint32_t z = index - column * m_sizeZ;
    const uint32_t x = column / m_sizeY;
    const unsigned mask = maskAt(x, column - x * m_sizeY, z);
    // The neighbours' columns and heights, in neighbour order.
    const uint32_t columns[6] = {column, column, column - 1, column + 1, column - m_sizeY, column + m_sizeY};
    const uint32_t heights[6] = {z - 1, z + 1, z, z, z, z};
    float best = lengthSquared(vectorAt(column, z, index));
    bool found = false;
    for (unsigned d = 0; d < 6; ++d) {
        if (!(mask & (1u << d)))
            continue;
        const float *v = vectorAt(columns[d], heights[d], neighbour(index, d));
        const float c[3] = {v[0] + steps[d][0], v[1] + steps[d][1], v[2] + steps[d][2]};
        const float length = lengthSquared(c);
        if (length < best && length <= limitSq) {
            best = length;
            out[0] = c[0];
            out[1] = c[1];
            out[2] = c[2];
            found = true;
        }
    }
    return found;
}

bool AbstractDistanceCountingAutomatonBase::relaxInto(uint32_t index, uint32_t newMaterial, float limitSq,
                                                      const StepVectors &steps, unsigned first, unsigned last,
                                                      std::vector<uint32_t> &newFront, unsigned slab)
{
    PendingCellChange change;
    if (!relax(index, limitSq, steps, change.vector))
        return false;
    change.cell = index;
    change.material = newMaterial;
    m_slabs[slab]->pending.push_back(change);
    collectNeighbours(index, first, last, newFront, slab);
    return true;
}

} // namespace Operations
} // namespace Core
