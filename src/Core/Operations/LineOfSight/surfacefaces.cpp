#include "surfacefaces.h"

#include "celloccupancy.h"
#include "Util/slabrunner.h"

#include <stdexcept>

namespace Core {
namespace Operations {

namespace {

// Calls face(column, z, direction) for the exposed faces of the columns of
// x in [first, last), in column, z, direction order.
template <class Face>
void eachFace(const CellOccupancy &occupancy, bool openAbove, bool openBelow, unsigned first, unsigned last,
              Face face)
{
    const unsigned sx = occupancy.sizeX(), sy = occupancy.sizeY(), sz = occupancy.sizeZ();
    const unsigned words = occupancy.wordsPerColumn();
    if (sz == 0)
        return;
    const unsigned topWord = (sz - 1) >> 6;
    const uint64_t topBit = uint64_t(1) << ((sz - 1) & 63);
    for (unsigned x = first; x < last; ++x)
        for (unsigned y = 0; y < sy; ++y) {
            const size_t column = size_t(x) * sy + y;
            const uint64_t *own = occupancy.column(column);
            // The four side neighbours, wrapping around.
            const uint64_t *minusY = occupancy.column(size_t(x) * sy + (y == 0 ? sy - 1 : y - 1));
            const uint64_t *plusY = occupancy.column(size_t(x) * sy + (y + 1 == sy ? 0 : y + 1));
            const uint64_t *minusX = occupancy.column(size_t(x == 0 ? sx - 1 : x - 1) * sy + y);
            const uint64_t *plusX = occupancy.column(size_t(x + 1 == sx ? 0 : x + 1) * sy + y);
            for (unsigned w = 0; w < words; ++w) {
                const uint64_t s = own[w];
                if (!s)
                    continue;
                const uint64_t above = (s >> 1) | (w + 1 < words ? own[w + 1] << 63 : 0);
                const uint64_t below = (s << 1) | (w > 0 ? own[w - 1] >> 63 : 0);
                uint64_t masks[6] = {s & ~below, s & ~above, s & ~minusY[w], s & ~plusY[w], s & ~minusX[w],
                                     s & ~plusX[w]};
                if (w == 0 && !openBelow)
                    masks[SurfaceFaces::MinusZ] &= ~uint64_t(1);
                if (w == topWord && !openAbove)
                    masks[SurfaceFaces::PlusZ] &= ~topBit;
                uint64_t any = masks[0] | masks[1] | masks[2] | masks[3] | masks[4] | masks[5];
                while (any) {
                    const unsigned bit = unsigned(__builtin_ctzll(any));
                    any &= any - 1;
                    const uint64_t b = uint64_t(1) << bit;
                    for (unsigned d = 0; d < 6; ++d)
                        if (masks[d] & b)
                            face(column, w * 64 + bit, d);
                }
            }
        }
}

Util::SlabPlan facePlan(unsigned sizeX)
{
    return Util::planSlabs(0, sizeX, Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount, 2);
}

} // namespace

uint64_t SurfaceFaces::count(const CellOccupancy &occupancy, bool openAbove, bool openBelow)
{
    const std::vector<uint64_t> counts =
        Util::mapSlabs<uint64_t>(facePlan(occupancy.sizeX()), [&](const Util::SlabRange &range, unsigned) {
            uint64_t n = 0;
            eachFace(occupancy, openAbove, openBelow, range.first, range.last, [&n](size_t, unsigned, unsigned) { ++n; });
            return n;
        });
    uint64_t total = 0;
    for (uint64_t n : counts)
        total += n;
    return total;
}

SurfaceFaces SurfaceFaces::of(const CellOccupancy &occupancy, bool openAbove, bool openBelow)
{
    struct Part
    {
        std::vector<uint32_t> columns, keys;
    };
    std::vector<Part> parts =
        Util::mapSlabs<Part>(facePlan(occupancy.sizeX()), [&](const Util::SlabRange &range, unsigned) {
            Part part;
            eachFace(occupancy, openAbove, openBelow, range.first, range.last,
                     [&part](size_t column, unsigned z, unsigned direction) {
                         part.columns.push_back(uint32_t(column));
                         part.keys.push_back((uint32_t(z) << 3) | direction);
                     });
            return part;
        });

    SurfaceFaces faces;
    faces.m_sizeZ = occupancy.sizeZ();
    size_t total = 0;
    for (const Part &part : parts)
        total += part.keys.size();
    if (total > MaxFaces)
        throw std::length_error("the surface has more faces than one run can index");
    faces.m_columns.reserve(total);
    faces.m_keys.reserve(total);
    for (Part &part : parts) {
        faces.m_columns.insert(faces.m_columns.end(), part.columns.begin(), part.columns.end());
        faces.m_keys.insert(faces.m_keys.end(), part.keys.begin(), part.keys.end());
        part = Part();
    }
    const size_t columns = occupancy.columnCount();
    faces.m_columnStart.assign(columns + 1, 0);
    for (uint32_t column : faces.m_columns)
        ++faces.m_columnStart[size_t(column) + 1];
    for (size_t c = 0; c < columns; ++c)
        faces.m_columnStart[c + 1] += faces.m_columnStart[c];
    return faces;
}

std::vector<double> SurfaceFaces::averagedNearby(const std::vector<double> &value, unsigned sizeX, unsigned sizeY,
                                                 unsigned radius, const double cellSize[3]) const
{
    const double area[3] = {cellSize[1] * cellSize[2], cellSize[0] * cellSize[2], cellSize[0] * cellSize[1]};
    std::vector<double> averaged(size(), 0.0);
    const int r = int(std::min(radius, std::min(sizeX, sizeY) / 2));
    const Util::SlabPlan plan =
        Util::planSlabs(0, unsigned(std::min<size_t>(size(), 0xFFFFFFFFu)), Util::defaultSlabCount(),
                        Util::SlabSplit::RemainderByCount, 4096);
    Util::runSlabs(plan, [&](const Util::SlabRange &range, unsigned) {
        for (size_t f = range.first; f < range.last; ++f) {
            const int x = int(m_columns[f] / sizeY), y = int(m_columns[f] % sizeY), z = int(this->z(f));
            const unsigned zFirst = unsigned(std::max(0, z - int(radius))), zLast = unsigned(z) + radius;
            double sum = 0, weight = 0;
            for (int dx = -r; dx <= r; ++dx)
                for (int dy = -r; dy <= r; ++dy) {
                    const unsigned nx = unsigned((x + dx + int(sizeX)) % int(sizeX));
                    const unsigned ny = unsigned((y + dy + int(sizeY)) % int(sizeY));
                    const std::pair<size_t, size_t> near = faceRange(size_t(nx) * sizeY + ny, zFirst, zLast);
                    for (size_t g = near.first; g < near.second; ++g) {
                        const double a = area[axis(direction(g))];
                        sum += a * value[g];
                        weight += a;
                    }
                }
            averaged[f] = weight > 0 ? sum / weight : value[f];
        }
    });
    return averaged;
}

} // namespace Operations
} // namespace Core
