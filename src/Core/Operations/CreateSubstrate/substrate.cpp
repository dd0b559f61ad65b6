#include "substrate.h"

#include "Model/Automaton/totalvolume.h"
#include "Util/slabrunner.h"

#include <algorithm>

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;

boost::shared_ptr<TotalVolume> buildSubstrate(const SubstrateShape &s, QString *error)
{
    const boost::shared_ptr<TotalVolume> volume =
        TotalVolume::create(s.sizeX, s.sizeY, s.sizeZ, 1.0f, 1.0f, 1.0f, s.position, 0u, error);
    if (!volume)
        return volume;
    volume->setUnitLength(s.unitLength);

    CellLock lock(*volume);
    Voxel *cells = lock.cells();
    const uint64_t sy = s.sizeY, sz = s.sizeZ;
    const Util::SlabPlan plan =
        Util::planSlabs(0, s.sizeX, Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount, 2);

    if (s.spherical) {
        const double cx = volume->getCellSizeX(), cy = volume->getCellSizeY(), cz = volume->getCellSizeZ();
        const double r2 = double(s.radius) * s.radius * cz * cz;
        Util::runSlabs(plan, [&](const Util::SlabRange &range, unsigned) {
            for (uint64_t x = range.first; x < range.last; ++x) {
                const double dx = (double(x) - s.centerX) * cx;
                for (uint64_t y = 0; y < sy; ++y) {
                    const double dy = (double(y) - s.centerY) * cy;
                    Voxel *column = cells + (x * sy + y) * sz;
                    for (uint64_t z = 0; z < sz; ++z) {
                        const double dz = (double(z) - s.centerZ) * cz;
                        if (r2 >= dx * dx + dy * dy + dz * dz)
                            column[z].material = s.material;
                    }
                }
            }
        });
    } else {
        // 64-bit ends: delta + size may pass 2^32 with the dialog's ranges.
        const uint64_t x1 = std::min<uint64_t>(s.sizeX, uint64_t(s.deltaX) + s.boxX);
        const uint64_t y1 = std::min<uint64_t>(s.sizeY, uint64_t(s.deltaY) + s.boxY);
        const uint64_t z1 = std::min<uint64_t>(s.sizeZ, uint64_t(s.deltaZ) + s.boxZ);
        Util::runSlabs(plan, [&](const Util::SlabRange &range, unsigned) {
            const uint64_t first = std::max<uint64_t>(range.first, s.deltaX);
            const uint64_t last = std::min<uint64_t>(range.last, x1);
            for (uint64_t x = first; x < last; ++x)
                for (uint64_t y = s.deltaY; y < y1; ++y) {
                    Voxel *column = cells + (x * sy + y) * sz;
                    for (uint64_t z = s.deltaZ; z < z1; ++z)
                        column[z].material = s.material;
                }
        });
    }
    return volume;
}

} // namespace Operations
} // namespace Core
