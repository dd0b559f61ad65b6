#pragma once

#include "Model/Automaton/siatom.h"
#include "Model/Automaton/sicell.h"
#include "Util/largebuffer.h"
#include "Util/vector3d.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {

class TotalVolume;
struct Voxel;

// A diamond-cubic silicon crystal laid over a cell volume, lattice constant
// 1.0 in world units, turned 45 degrees about z so that the volume's top is a
// (100) plane and the crystal's [110] directions run along x and y.
//
// Only unit cells with at least one atom inside a silicon cell are kept. They
// are stored in one array in increasing key order (key = k + nz * (j + ny * i)),
// which is what an ordered map from key to cell would give, at a fraction of
// the memory; a per-column index makes a neighbour lookup a couple of reads.
// The lattice also counts the present atoms inside every volume cell.
class SiLattice
{
public:
    struct Point
    {
        double x = 0.0, y = 0.0, z = 0.0;
    };

    // The unit cell, already turned by 45 degrees about z.
    struct Template
    {
        Point positions[8];
        Point corners[8];        // of the unit cube, for drawing cells
        Point bondOffsets[2][4]; // [set][slot]; atoms with index bit 1 set use set 1
    };

    // A fixed boundary atom made by an etcher: it sits in slot `slot` of `atom`,
    // where `previous` was (no atom, or an atom outside the volume).
    struct FixedBond
    {
        uint32_t atom;
        uint32_t slot;
        uint32_t previous;
    };

    explicit SiLattice(TotalVolume *volume);
    SiLattice(const SiLattice &) = delete;
    SiLattice &operator=(const SiLattice &) = delete;

    // Builds the cells and bonds from the volume's cells (takes the cell lock).
    // Refuses, with a message, a lattice that would not fit in memory; the
    // lattice is then empty and every atom count is 0.
    //
    // With reach >= 0 (world units) only the unit cells with an atom in a
    // silicon cell within reach of exposed silicon (silicon beside an empty
    // cell) are kept: the crystal an etch of that reach can touch, so memory
    // follows the etched region, not the volume. Bonds into the crystal left
    // out are missing; the etchers hold such atoms fixed. With carry, the
    // region also takes in every cell holding an atom of carry, dilated by
    // reach, and the kept cells take over carry's atom states and lives: a
    // lattice widened for a further etch goes on where carry stopped.
    bool initialise(QString *error = nullptr, double reach = -1.0, const SiLattice *carry = nullptr);
    // The reach the lattice was built for; below 0 every silicon cell is in it.
    double getReach() const { return m_reach; }
    // Steps etched on this lattice since it was built; the etchers add theirs.
    long long getStepsEtched() const { return m_stepsEtched; }
    void addStepsEtched(long long steps) { m_stepsEtched += steps; }
    // The reach an etch of `steps` steps needs: one bond a step at most, and a
    // margin for the second neighbours the removal rule counts.
    static double reachForSteps(long long steps);
    // Exchanges the crystals of two lattices of the same volume (a widened one
    // takes the place of the one it widens, so holders keep their pointer).
    void swapCrystal(SiLattice &other);

    TotalVolume *getVolume() const { return m_volume; }
    unsigned getNx() const { return m_nx; }
    unsigned getNy() const { return m_ny; }
    unsigned getNz() const { return m_nz; }
    Point getOrigin() const { return m_origin; }
    // The 45 degree turn, as used for the cell positions.
    double getCos() const { return m_cos; }
    double getSin() const { return m_sin; }
    const Template &getTemplate() const { return m_template; }

    // Kept cells, in key order.
    size_t getCellCount() const { return m_cells.size(); }
    SiCell &cellAt(size_t slot) { return m_cells[slot]; }
    const SiCell &cellAt(size_t slot) const { return m_cells[slot]; }
    uint64_t keyAt(size_t slot) const { return m_keys[slot]; }
    uint64_t key(unsigned i, unsigned j, unsigned k) const { return k + uint64_t(m_nz) * (j + uint64_t(m_ny) * i); }
    // The kept cells of column (i, j) are the slots [first, last).
    void columnSlots(unsigned i, unsigned j, size_t &first, size_t &last) const
    {
        if (m_columnStart.empty() || i >= m_nx || j >= m_ny) {
            first = last = 0;
            return;
        }
        const size_t column = size_t(i) * m_ny + j;
        first = m_columnStart[column];
        last = m_columnStart[column + 1];
    }
    // Slot of the kept cell (i, j, k), or -1.
    int64_t findCell(unsigned i, unsigned j, unsigned k) const;

    size_t getAtomCount() const { return m_cells.size() * 8; }
    // Present atoms inside volume cell `cell` (by cell index); the etchers keep it up to date.
    int32_t atomCount(uint32_t cell) const { return m_atomCounts.size() ? m_atomCounts[cell] : 0; }
    int32_t *atomCounts() { return m_atomCounts.data(); }
    SiAtom &atom(uint32_t id) { return m_cells[id >> 3].atoms[id & 7]; }
    const SiAtom &atom(uint32_t id) const { return m_cells[id >> 3].atoms[id & 7]; }
    static uint32_t atomId(size_t cellSlot, unsigned indexInCell) { return uint32_t(cellSlot * 8 + indexInCell); }
    static unsigned bondSet(uint32_t id) { return (id >> 1) & 1u; }

    Point atomPosition(uint32_t id) const
    {
        const SiCell &c = m_cells[id >> 3];
        const Point &t = m_template.positions[id & 7];
        Point p;
        p.x = double(c.x) + t.x;
        p.y = double(c.y) + t.y;
        p.z = double(c.z) + t.z;
        return p;
    }
    Point bondEnd(uint32_t id, unsigned slot) const
    {
        Point p = atomPosition(id);
        const Point &o = m_template.bondOffsets[bondSet(id)][slot];
        p.x += o.x;
        p.y += o.y;
        p.z += o.z;
        return p;
    }

    // Stores b in slot s of a and a in slot 3 - s of b.
    void setBond(uint32_t a, uint32_t b, unsigned s)
    {
        atom(a).bonds[s] = b;
        atom(b).bonds[3 - s] = a;
    }

    // Neighbour counts both etchers decide by.
    int bondState(uint32_t bond) const
    {
        if (bond == SiAtom::FixedAtom)
            return SiAtom::Fixed;
        if (!SiAtom::isAtom(bond))
            return SiAtom::Absent;
        return atom(bond).state;
    }
    int firstNeighbours(uint32_t id) const
    {
        const SiAtom &a = atom(id);
        if (a.state == SiAtom::Fixed)
            return 4;
        int n = 0;
        for (uint32_t b : a.bonds)
            n += bondState(b) != SiAtom::Absent ? 1 : 0;
        return n;
    }
    int secondNeighbours(uint32_t id) const
    {
        int n = 0;
        for (uint32_t b : atom(id).bonds) {
            const int s = bondState(b);
            if (s == SiAtom::Present)
                n += firstNeighbours(b) - 1;
            else if (s == SiAtom::Fixed)
                n += 3;
        }
        return n;
    }
    bool isSurfaceAtom(uint32_t id) const
    {
        for (uint32_t b : atom(id).bonds)
            if (bondState(b) == SiAtom::Absent)
                return true;
        return false;
    }

    // Fixed boundary atoms created by the etchers.
    const std::vector<FixedBond> &getFixedAtoms() const { return m_fixedAtoms; }
    void addFixedAtoms(const std::vector<FixedBond> &fixed);
    // Releases them: their partners' slots become empty again.
    void clearFixedAtoms();

    // Bytes the lattice holds now (cells, keys, column index, fixed atoms).
    uint64_t memoryUsage() const
    {
        return uint64_t(m_cells.size()) * sizeof(SiCell) + uint64_t(m_keys.size()) * sizeof(uint64_t) +
               uint64_t(m_columnStart.capacity()) * sizeof(uint32_t) +
               uint64_t(m_fixedAtoms.capacity()) * sizeof(FixedBond) + sizeof(SiLattice);
    }

    // Memory the lattice of a volume needs per kept cell, the etchers' lists included.
    static uint64_t bytesPerCell();
    // Memory a lattice may use: the budget when one is set, else what the system has available.
    static uint64_t memoryBudget();
    // 0 returns to the system's available memory.
    static void setMemoryBudget(uint64_t bytes);

private:
    Point cellPosition(unsigned i, unsigned j, unsigned k) const;
    // 1 for every volume cell within the reach of exposed silicon (or of a cell
    // holding an atom of carry), per axis in whole cells.
    std::vector<uint8_t> reachedCells(const Voxel *cells, const SiLattice *carry) const;

    TotalVolume *m_volume;
    unsigned m_sizeX, m_sizeY, m_sizeZ;
    double m_cellSizeX, m_cellSizeY, m_cellSizeZ;
    Point m_position;
    unsigned m_nx, m_ny, m_nz;
    Point m_origin;
    double m_cos, m_sin;
    Template m_template;
    Util::LargeArray<SiCell> m_cells; // on huge pages: a lattice is hundreds of megabytes
    Util::LargeArray<uint64_t> m_keys;
    Util::LargeArray<int32_t> m_atomCounts; // per volume cell
    std::vector<uint32_t> m_columnStart; // first slot of column (i, j) at i * ny + j; one extra at the end
    std::vector<FixedBond> m_fixedAtoms;
    double m_reach = -1.0;
    long long m_stepsEtched = 0;
};

} // namespace Automaton
} // namespace Model
