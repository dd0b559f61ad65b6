#include "substrategluer.h"

#include "Model/Automaton/totalvolume.h"
#include "Util/slabrunner.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::DopantFields;
using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;

namespace {

// The smallest and one past the largest z of any solid cell; false when there is none.
bool solidRange(const TotalVolume &volume, const Voxel *cells, unsigned *z0, unsigned *z1)
{
    const unsigned sz = volume.getSizeZ();
    const size_t columns = size_t(volume.getSizeX()) * volume.getSizeY();
    unsigned low = sz, high = 0;
    for (size_t c = 0; c < columns; ++c) {
        const Voxel *column = cells + c * sz;
        for (unsigned z = 0; z < low; ++z)
            if (column[z].material != 0) {
                low = z;
                break;
            }
        for (unsigned z = sz; z > high; --z)
            if (column[z - 1].material != 0) {
                high = z;
                break;
            }
    }
    if (low >= high)
        return false;
    *z0 = low;
    *z1 = high;
    return true;
}

} // namespace

QString SubstrateGluer::checkPair(const TotalVolume &base, const TotalVolume &top)
{
    if (&base == &top)
        return QStringLiteral("The base and the top must be two different cell volumes.");
    // Cell for cell, a top of another unit length would land at the wrong physical size.
    if (base.getUnitLength() != top.getUnitLength())
        return QString::fromUtf8("The base and the top have different unit lengths (%1 µm and %2 µm): glue volumes "
                                 "whose cells stand for the same length.")
            .arg(base.getUnitLength())
            .arg(top.getUnitLength());
    return QString();
}

SubstrateGluer::Layout SubstrateGluer::layout(TotalVolume &base, TotalVolume &top)
{
    Layout l;
    {
        CellLock lock(base);
        unsigned z0 = 0, z1 = 0;
        l.baseHeight = solidRange(base, lock.cells(), &z0, &z1) ? z1 : 1;
    }
    {
        CellLock lock(top);
        if (!solidRange(top, lock.cells(), &l.topZ0, &l.topZ1))
            l.topZ0 = l.topZ1 = 0;
    }
    l.sizeX = std::max(base.getSizeX(), top.getSizeX());
    l.sizeY = std::max(base.getSizeY(), top.getSizeY());
    l.sizeZ = l.baseHeight + (l.topZ1 - l.topZ0) + 1;
    l.cellSizeX = std::max(base.getCellSizeX(), top.getCellSizeX());
    l.cellSizeY = std::max(base.getCellSizeY(), top.getCellSizeY());
    l.cellSizeZ = std::max(base.getCellSizeZ(), top.getCellSizeZ());
    l.maxDisplacementX = l.sizeX - top.getSizeX();
    l.maxDisplacementY = l.sizeY - top.getSizeY();
    return l;
}

boost::shared_ptr<TotalVolume> SubstrateGluer::glue(TotalVolume &base, TotalVolume &top, const Layout &layout,
                                                    unsigned sizeX, unsigned sizeY, unsigned sizeZ, unsigned dx,
                                                    unsigned dy, bool invert, QString *error, unsigned slabCount)
{
    const QString refusal = checkPair(base, top);
    if (!refusal.isEmpty()) {
        if (error)
            *error = refusal;
        return boost::shared_ptr<TotalVolume>();
    }
    if (!TotalVolume::checkSize(sizeX, sizeY, sizeZ, error))
        return boost::shared_ptr<TotalVolume>();

    const size_t total = size_t(sizeX) * sizeY * sizeZ;
    std::vector<uint32_t> materials;
    DopantFields dopants;
    {
        CellLock baseLock(base);
        CellLock topLock(top);
        const DopantFields &baseDopants = baseLock.dopants();
        const DopantFields &topDopants = topLock.dopants();
        // The dopant goes with its silicon: one glued field per species either part holds.
        struct Carried
        {
            float *out;
            const float *base, *top;
        };
        std::vector<Carried> carried;
        try {
            materials.assign(total, 0u);
            for (int s = 0; s < DopantFields::SpeciesCount; ++s)
                if (baseDopants.has(s) || topDopants.has(s))
                    carried.push_back(Carried{dopants.make(s, total).data(),
                                              baseDopants.has(s) ? baseDopants.field(s).data() : nullptr,
                                              topDopants.has(s) ? topDopants.field(s).data() : nullptr});
        } catch (const std::bad_alloc &) {
            if (error)
                *error = QStringLiteral("There is not enough memory for the glued cell volume.");
            return boost::shared_ptr<TotalVolume>();
        }

        const Voxel *baseCells = baseLock.cells();
        const Voxel *topCells = topLock.cells();
        uint32_t *out = materials.data();
        const unsigned bx = base.getSizeX(), by = base.getSizeY(), bz = base.getSizeZ();
        const unsigned tx = top.getSizeX(), ty = top.getSizeY(), tz = top.getSizeZ();
        const unsigned hb = std::min(layout.baseHeight, std::min(bz, sizeZ));
        const unsigned zt0 = std::min(layout.topZ0, tz), zt1 = std::min(layout.topZ1, tz);
        const auto outIndex = [&](size_t x, size_t y, size_t z) { return (x * sizeY + y) * sizeZ + z; };
        const auto put = [&](size_t to, const Voxel *cells, size_t from, bool fromTop) {
            out[to] = cells[from].material;
            for (const Carried &c : carried)
                if (const float *source = fromTop ? c.top : c.base)
                    c.out[to] = source[from];
        };

        const auto copyBase = [&](unsigned first, unsigned last) {
            for (unsigned x = first; x < last && x < sizeX; ++x)
                for (unsigned y = 0; y < by && y < sizeY; ++y) {
                    const size_t column = (size_t(x) * by + y) * bz;
                    const size_t target = outIndex(x, y, 0);
                    for (unsigned z = 0; z < hb; ++z)
                        put(target + z, baseCells, column + z, false);
                }
        };
        // The top's cells land at one place each, so slabs never write the same cell.
        const auto copyTop = [&](unsigned first, unsigned last) {
            for (unsigned x = first; x < last; ++x) {
                const uint64_t ox = invert ? uint64_t(tx - 1 - x) + dx : uint64_t(x) + dx;
                if (ox >= sizeX)
                    continue;
                for (unsigned y = 0; y < ty; ++y) {
                    const uint64_t oy = uint64_t(y) + dy;
                    if (oy >= sizeY)
                        continue;
                    const size_t column = (size_t(x) * ty + y) * tz;
                    const size_t target = outIndex(ox, oy, 0);
                    for (unsigned z = zt0; z < zt1; ++z) {
                        const uint64_t oz = invert ? uint64_t(hb) + zt1 - 1 - z : uint64_t(hb) + z - zt0;
                        if (oz < sizeZ)
                            put(target + oz, topCells, column + z, true);
                    }
                }
            }
        };

        const unsigned slabs = slabCount ? slabCount : Util::defaultSlabCount();
        const Util::SlabPlan basePlan = Util::planSlabs(0, bx, slabs, Util::SlabSplit::EqualLastTakesRest, 2);
        const Util::SlabPlan topPlan = Util::planSlabs(0, tx, slabs, Util::SlabSplit::EqualLastTakesRest, 2);
        if (basePlan.onCallingThread || topPlan.onCallingThread || basePlan.slabs.size() != topPlan.slabs.size()) {
            copyBase(0, bx);
            copyTop(0, tx);
        } else {
            Util::runSlabs(basePlan, [&](const Util::SlabRange &range, unsigned slab) {
                copyBase(range.first, range.last);
                copyTop(topPlan.slabs[slab].first, topPlan.slabs[slab].last);
            });
        }
    }

    try {
        boost::shared_ptr<TotalVolume> glued(new TotalVolume(sizeX, sizeY, sizeZ, layout.cellSizeX, layout.cellSizeY,
                                                             layout.cellSizeZ, base.getPosition(), materials));
        glued->setUnitLength(base.getUnitLength());
        glued->adoptDopants(std::move(dopants)); // a species only in cells left out is not kept
        return glued;
    } catch (const std::bad_alloc &) {
        if (error)
            *error = QStringLiteral("There is not enough memory for the glued cell volume.");
        return boost::shared_ptr<TotalVolume>();
    }
}

} // namespace Operations
} // namespace Core
