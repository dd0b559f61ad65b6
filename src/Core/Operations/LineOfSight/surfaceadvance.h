#pragma once

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

namespace Model {
namespace Automaton {
struct Voxel;
}
} // namespace Model

namespace Core {
namespace Operations {

class CellOccupancy;
class SurfaceFaces;

// Moves a surface by amounts given per exposed face, a cell at a time, with
// the cells on the surface carrying the fraction they are filled (deposition)
// or etched (etching) between sub-steps. A cell that reaches a whole cell
// changes material at once, and what it got beyond a whole cell goes on to the
// next cell the same way (deposition: the empty cell beyond it; etching: the
// cell behind it), so an open flat surface moves by exactly the amounts given.
// The fractions live in a table of the surface cells only.
class SurfaceAdvance
{
public:
    enum class Mode { Deposit, Etch };

    // cells: the volume's locked cells; occupancy is kept in step with them.
    // Deposit: empty cells fill with material. Etch: relativeRate(material)
    // is how fast a material goes relative to the amounts given for it (0:
    // not etched), used where a cell's excess passes into the next cell.
    SurfaceAdvance(Model::Automaton::Voxel *cells, CellOccupancy &occupancy, const double cellSize[3], Mode mode,
                   uint32_t material, std::function<double(uint32_t)> relativeRate = nullptr);

    // Face f of faces moves by amount[f] (volume's units) along its normal:
    // deposition grows the empty cell in front of it, etching eats its own
    // cell. Returns the number of cells that changed material.
    uint64_t advance(const SurfaceFaces &faces, const std::vector<double> &amount);

    // Ends the run: a cell filled (or etched) to half or more becomes whole,
    // the others are left as they are. Returns the cells that changed.
    uint64_t finish();

    // The fraction of each cell part filled (deposition) or part etched
    // (etching), by cell index; empty after finish().
    const std::unordered_map<uint32_t, double> &fractions() const { return m_fraction; }

private:
    struct Share
    {
        uint32_t cell;
        uint32_t direction;
        double amount; // in cells
    };
    uint64_t apply(std::vector<Share> &shares);
    void convert(uint32_t cell);
    bool eligible(uint32_t cell) const;
    double rate(uint32_t cell) const;
    // The next cell along direction (sign +1 in front, -1 behind), or false at the top or bottom.
    bool neighbour(uint32_t cell, unsigned direction, int sign, uint32_t &next) const;

    Model::Automaton::Voxel *m_cells;
    CellOccupancy &m_occupancy;
    double m_cellSize[3];
    Mode m_mode;
    uint32_t m_material;
    std::function<double(uint32_t)> m_relativeRate;
    std::unordered_map<uint32_t, double> m_fraction;
};

} // namespace Operations
} // namespace Core
