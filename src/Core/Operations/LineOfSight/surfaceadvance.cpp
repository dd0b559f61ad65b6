#include "surfaceadvance.h"

#include "celloccupancy.h"
#include "surfacefaces.h"
#include "Model/Automaton/voxel.h"

#include <algorithm>

namespace Core {
namespace Operations {

SurfaceAdvance::SurfaceAdvance(Model::Automaton::Voxel *cells, CellOccupancy &occupancy, const double cellSize[3],
                               Mode mode, uint32_t material, std::function<double(uint32_t)> relativeRate)
    : m_cells(cells), m_occupancy(occupancy), m_cellSize{cellSize[0], cellSize[1], cellSize[2]}, m_mode(mode),
      m_material(material), m_relativeRate(std::move(relativeRate))
{
}

double SurfaceAdvance::rate(uint32_t cell) const
{
    const uint32_t material = m_cells[cell].material;
    if (material == 0)
        return 0;
    return m_relativeRate ? m_relativeRate(material) : 1.0;
}

bool SurfaceAdvance::eligible(uint32_t cell) const
{
    if (m_mode == Mode::Deposit) // the occupancy mirrors the cells: a bit is cheaper than a cell record
        return !m_occupancy.solid(cell / m_occupancy.sizeZ(), cell % m_occupancy.sizeZ());
    return rate(cell) > 0;
}

void SurfaceAdvance::convert(uint32_t cell)
{
    const unsigned sz = m_occupancy.sizeZ();
    const bool deposit = m_mode == Mode::Deposit;
    m_cells[cell].material = deposit ? m_material : 0;
    m_occupancy.set(cell / sz, cell % sz, deposit);
}

bool SurfaceAdvance::neighbour(uint32_t cell, unsigned direction, int sign, uint32_t &next) const
{
    const unsigned sx = m_occupancy.sizeX(), sy = m_occupancy.sizeY(), sz = m_occupancy.sizeZ();
    const int s = sign * SurfaceFaces::sign(direction);
    const uint32_t column = cell / sz;
    unsigned z = cell % sz, y = column % sy, x = column / sy;
    switch (SurfaceFaces::axis(direction)) {
    case 2:
        if ((s < 0 && z == 0) || (s > 0 && z + 1 == sz))
            return false; // the film or the etch would leave the volume
        z = s > 0 ? z + 1 : z - 1;
        break;
    case 1:
        y = s > 0 ? (y + 1 == sy ? 0 : y + 1) : (y == 0 ? sy - 1 : y - 1);
        break;
    default:
        x = s > 0 ? (x + 1 == sx ? 0 : x + 1) : (x == 0 ? sx - 1 : x - 1);
        break;
    }
    next = uint32_t((uint64_t(x) * sy + y) * sz + z);
    return true;
}

uint64_t SurfaceAdvance::advance(const SurfaceFaces &faces, const std::vector<double> &amount)
{
    std::vector<Share> shares;
    const bool deposit = m_mode == Mode::Deposit;
    for (size_t f = 0; f < faces.size(); ++f) {
        if (!(amount[f] > 0))
            continue;
        const unsigned direction = faces.direction(f);
        uint32_t target = faces.cell(f);
        if (deposit && !neighbour(target, direction, 1, target))
            continue; // the top or bottom face of the volume: the film has no room there
        if (!eligible(target))
            continue;
        shares.push_back(Share{target, direction, amount[f] / m_cellSize[SurfaceFaces::axis(direction)]});
    }
    return apply(shares);
}

uint64_t SurfaceAdvance::apply(std::vector<Share> &shares)
{
    uint64_t changed = 0;
    const int onward = m_mode == Mode::Deposit ? 1 : -1;
    std::vector<Share> next;
    while (!shares.empty()) {
        // Cell order, so the result never depends on the order faces came in.
        std::sort(shares.begin(), shares.end(), [](const Share &a, const Share &b) {
            return a.cell != b.cell ? a.cell < b.cell : a.direction < b.direction;
        });
        next.clear();
        for (size_t begin = 0, end = 0; begin < shares.size(); begin = end) {
            const uint32_t cell = shares[begin].cell;
            double total = 0;
            for (end = begin; end < shares.size() && shares[end].cell == cell; ++end)
                total += shares[end].amount;
            if (!eligible(cell))
                continue;
            auto found = m_fraction.find(cell);
            const double filled = (found == m_fraction.end() ? 0.0 : found->second) + total;
            if (filled < 1) {
                if (found == m_fraction.end())
                    m_fraction.emplace(cell, filled);
                else
                    found->second = filled;
                continue;
            }
            const double excess = filled - 1;
            const double ownRate = rate(cell);
            if (found != m_fraction.end())
                m_fraction.erase(found);
            convert(cell);
            ++changed;
            if (!(excess > 0) || !(total > 0))
                continue;
            // The excess goes on in the directions the cell was reached from, in their proportions.
            for (size_t i = begin; i < end; ++i) {
                uint32_t beyond = 0;
                if (!neighbour(cell, shares[i].direction, onward, beyond) || !eligible(beyond))
                    continue;
                const double scale = m_mode == Mode::Etch ? rate(beyond) / ownRate : 1.0;
                next.push_back(Share{beyond, shares[i].direction, excess * shares[i].amount / total * scale});
            }
        }
        shares.swap(next);
    }
    return changed;
}

uint64_t SurfaceAdvance::finish()
{
    std::vector<std::pair<uint32_t, double>> cells(m_fraction.begin(), m_fraction.end());
    std::sort(cells.begin(), cells.end());
    m_fraction.clear();
    uint64_t changed = 0;
    for (const auto &entry : cells)
        if (entry.second >= 0.5 && eligible(entry.first)) {
            convert(entry.first);
            ++changed;
        }
    return changed;
}

} // namespace Operations
} // namespace Core
