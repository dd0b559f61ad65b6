#pragma once

#include "automatonscratch.h"
#include "materialset.h"

#include "Model/Automaton/voxel.h"
#include "Util/slabrunner.h"

#include <QMutex>

#include <cstdint>
#include <memory>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

// A change found in the update phase of an iteration, written in its merge phase.
struct PendingCellChange
{
    uint32_t cell;
    uint32_t material;
    float vector[3];
};

// The six face-neighbour step vectors, in neighbour order (-z, +z, -y, +y, -x, +x).
typedef float StepVectors[6][3];

// Distance counting on a cell volume: every reached cell carries the vector to
// its nearest source cell and a fixed flag, and the vectors spread one face
// step per iteration from a front of active cells. Members decide which cells
// are sources, which may change and into what.
//
// Flags and vectors live in a scratch of the run (AutomatonScratch) that holds
// only the cells whose value differs from what their material gives: members
// name that value per material class with setScratchDefaults(), so a run's
// memory follows the front and the surfaces, not the volume.
//
// The work is split into x slabs, one pool task per slab. Every iteration has
// two passes with a barrier between them: an update pass that only reads
// cells and records pending changes and hand-overs, then a merge pass that
// takes the neighbours' hand-overs, writes the pending changes and swaps in
// the new front. Reads thus always see the state at the start of the
// iteration and the result is the same for any slab count.
class AbstractDistanceCountingAutomatonBase
{
public:
    // Copies the volume's sizes and cell sizes; the volume must outlive the automaton.
    explicit AbstractDistanceCountingAutomatonBase(Model::Automaton::TotalVolume &volume);
    virtual ~AbstractDistanceCountingAutomatonBase();
    AbstractDistanceCountingAutomatonBase(const AbstractDistanceCountingAutomatonBase &) = delete;
    AbstractDistanceCountingAutomatonBase &operator=(const AbstractDistanceCountingAutomatonBase &) = delete;

    // Locks the volume, initializes, steps at most iterations times (fewer when
    // every front has run dry), finalizes, unlocks.
    virtual void run(int iterations);
    virtual void initializeSlab(unsigned first, unsigned last, unsigned slab);
    // The update phase of one iteration for one slab.
    virtual void stepSlab(unsigned first, unsigned last, unsigned slab);
    virtual void finalizeSlab(unsigned first, unsigned last, unsigned slab);
    virtual void applyPendingChanges(unsigned slab);
    virtual void collectNeighbours(uint32_t cell, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                                   unsigned slab);
    virtual void initializeCell(uint32_t cell, unsigned slab) = 0;
    virtual void updateCell(uint32_t cell, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                            unsigned slab) = 0;
    virtual void finalizeCell(uint32_t cell, unsigned slab) = 0;
    // The merge phase of one iteration, after every slab's update phase:
    // take the neighbours' hand-overs, write the pending changes, swap fronts.
    virtual void mergeSlab(unsigned first, unsigned last, unsigned slab);
    // Runs after every slab's initialize pass and before the initial hand-overs
    // are merged; for members that must look across slab borders then.
    virtual void linkSlab(unsigned first, unsigned last, unsigned slab);
    // True when initializeCell() of a cell whose six neighbours inside the volume
    // all hold its own material stores nothing and adds nothing to the front.
    // The initialize pass then visits in each column only the cells between the
    // lowest and the highest one beside another material.
    virtual bool skipsUniformCells() const { return false; }
    // The materials of the cells the run may write a vector to; the run keeps a
    // dense band of them near the surfaces (others fall back to slower pages).
    virtual MaterialSet bandMaterials() const { return m_propagatingMaterials; }

    // A cell's fixed flag and distance vector.
    struct ScratchValue
    {
        uint8_t flag;
        float vector[3];
    };
    // Keeps the flags and vectors after run() so that scratchAfterRun() can read
    // them (tests, diagnostics); otherwise they go when the run ends.
    void keepScratchAfterRun(bool keep) { m_keepScratch = keep; }
    // What the last run left in a cell; takes the cell lock.
    ScratchValue scratchAfterRun(uint32_t index) const;
    // How many cells the last run kept a vector for (band cells and page cells).
    uint64_t scratchCellsAfterRun() const
    {
        return m_scratch.bandCellCount() + uint64_t(m_scratch.pageCount()) * AutomatonScratch::PageCells;
    }

    unsigned getSlabCount() const { return unsigned(m_plan.slabs.size()); }
    const std::vector<Util::SlabRange> &getSlabs() const { return m_plan.slabs; }
    // Iterations actually stepped by the last run.
    int getIterationsRun() const { return m_iterationsRun; }

    // ⌊⌈T / c⌉ · k⌋ with the ceiling in single and the product in double precision.
    static int depositionIterations(float distance, float minCellSize);
    // ⌈T · k / c⌉ in double precision.
    static int etchingIterations(double distance, double minCellSize);
    // A count of iterations as an int: nothing for NaN or <= 0, capped at INT_MAX.
    static int toIterations(double count);
    static const double DistanceFactor; // (√2 + 1) / √2

    // The largest share of a volume's cells the bands of a run may take before
    // the run keeps every vector in pages instead (1/3 by default; tests set 0
    // and 1 to run each way). Results never depend on it.
    static void setBandShare(double share);
    static double bandShare();

protected:
    void runPasses(int iterations, bool withFinalize);

    // Rebuilds the step vectors from new cell sizes (horizontal scaling).
    void setCellSizes(float cx, float cy, float cz);
    float minCellSize() const;

    Model::Automaton::Voxel &cell(uint32_t index) const { return m_cells[index]; }
    static float lengthSquared(const float v[3]) { return v[0] * v[0] + v[1] * v[1] + v[2] * v[2]; }

    // Empty cells take `empty`, cells of `members` take `member`, the rest `other`.
    void setScratchDefaults(const ScratchValue &empty, const MaterialSet &members, const ScratchValue &member,
                            const ScratchValue &other);
    const ScratchValue &defaultFor(uint32_t material) const
    {
        if (material == 0)
            return m_defaultEmpty;
        return m_membersDiffer && m_defaultMembers.contains(material) ? m_defaultMember : m_defaultOther;
    }
    uint8_t flagOf(uint32_t index) const
    {
        uint8_t flag;
        const float *vector;
        return m_scratch.find(index, flag, vector) ? flag : defaultFor(m_cells[index].material).flag;
    }
    const float *vectorOf(uint32_t index) const
    {
        uint8_t flag;
        const float *vector;
        return m_scratch.find(index, flag, vector) ? vector : defaultFor(m_cells[index].material).vector;
    }
    // vectorOf() for a cell whose column and height the caller knows.
    const float *vectorAt(uint32_t column, uint32_t z, uint32_t index) const
    {
        uint8_t flag;
        const float *vector;
        return m_scratch.findAt(column, z, index, flag, vector) ? vector
                                                                : defaultFor(m_cells[index].material).vector;
    }
    // The initial flag and vector of a cell, set once per run after its material is final;
    // nothing is stored when they are what its material gives.
    void setScratch(uint32_t index, uint8_t flag, float x, float y, float z);

    // Bit d set when neighbour d lies inside the volume.
    unsigned maskAt(unsigned x, unsigned y, unsigned z) const
    {
        return (z > 0 ? 1u : 0u) | (z + 1 < m_sizeZ ? 2u : 0u) | (y > 0 ? 4u : 0u) | (y + 1 < m_sizeY ? 8u : 0u) |
               (x > 0 ? 16u : 0u) | (x + 1 < m_sizeX ? 32u : 0u);
    }
    // The neighbour mask of a cell; cheap for the cell being initialized.
    unsigned neighbourMask(uint32_t index, unsigned slab) const;
    unsigned neighbourMask(uint32_t index) const;
    uint32_t neighbour(uint32_t index, unsigned direction) const
    {
        return uint32_t(int64_t(index) + m_offsets[direction]);
    }
    // True when a neighbour inside the volume satisfies pred(Voxel).
    template <class Pred>
    bool anyNeighbour(uint32_t index, unsigned slab, Pred pred) const
    {
        const unsigned mask = neighbourMask(index, slab);
        for (unsigned d = 0; d < 6; ++d)
            if ((mask & (1u << d)) && pred(m_cells[neighbour(index, d)]))
                return true;
        return false;
    }

    // Vector relaxation: the shortest of the neighbours' vectors plus their
    // step that is strictly shorter than the cell's own and at most limitSq.
    // Equal lengths keep the first neighbour in neighbour order.
    bool relax(uint32_t index, float limitSq, const StepVectors &steps, float out[3]) const;
    // relax(); on success records the change and collects the neighbours.
    bool relaxInto(uint32_t index, uint32_t newMaterial, float limitSq, const StepVectors &steps, unsigned first,
                   unsigned last, std::vector<uint32_t> &newFront, unsigned slab);
    // The base neighbour collection, with the entry test on the given set.
    void collectNeighboursIn(const MaterialSet &materials, uint32_t index, unsigned first, unsigned last,
                             std::vector<uint32_t> &newFront, unsigned slab);
    // Puts a cell into newFront, or hands it to the slab before or after when it lies outside [first, last).
    void route(uint32_t index, unsigned first, unsigned last, std::vector<uint32_t> &newFront, unsigned slab);
    // Routes every face neighbour inside the volume of the given cells for which pred(cell index) holds.
    template <class Pred>
    void routeNeighbours(const std::vector<uint32_t> &cells, unsigned first, unsigned last,
                         std::vector<uint32_t> &newFront, unsigned slab, Pred pred)
    {
        for (uint32_t index : cells) {
            const unsigned mask = neighbourMask(index);
            for (unsigned d = 0; d < 6; ++d) {
                if (!(mask & (1u << d)))
                    continue;
                const uint32_t n = neighbour(index, d);
                if (pred(n))
                    route(n, first, last, newFront, slab);
            }
        }
    }
    // The vector component a neighbour direction steps along: -z, +z on z, -y, +y on y, -x, +x on x.
    static unsigned componentOf(unsigned direction) { return 2 - direction / 2; }
    // Adds a cell of the slab to its front during the initialize pass.
    void addToFront(uint32_t index, unsigned slab);
    void clearFront(unsigned slab);

    MaterialSet m_propagatingMaterials;
    unsigned m_sizeX, m_sizeY, m_sizeZ;
    float m_cx, m_cy, m_cz;
    StepVectors m_steps;
    // Valid only inside run(), while the volume is locked.
    Model::Automaton::Voxel *m_cells = nullptr;

private:
    struct Cursor
    {
        uint32_t index = UINT32_MAX;
        unsigned mask = 0;
    };
    struct Slab
    {
        QMutex mutex;
        std::vector<uint32_t> front;
        std::vector<uint32_t> newFront;
        std::vector<uint32_t> toNextSlab;
        std::vector<uint32_t> toPreviousSlab;
        std::vector<PendingCellChange> pending;
        // One bit per cell of the slab, all clear between uses: orders a large front without sorting.
        std::vector<uint64_t> bits;
        Cursor cursor;
    };
    void mergeHandOvers(unsigned slab, std::vector<uint32_t> &front);
    // Asks memory for a cell's and its face neighbours' materials and vectors.
    void prefetchNeighbourhood(uint32_t index) const;
    // Per column, the lowest and highest cell beside another material (in its
    // column or a side column), into m_unevenLo/m_unevenHi (hi < lo: none).
    void findUneven();
    // Lays the scratch's bands over the cells the front can reach in `reach`
    // steps from a surface, filled with what their materials give.
    void buildBands(int reach);
    // Sorts the slab's cells and drops repeats.
    void orderFront(unsigned slab, std::vector<uint32_t> &cells);

    Model::Automaton::TotalVolume &m_volume;
    Util::SlabPlan m_plan;
    std::vector<std::unique_ptr<Slab>> m_slabs;
    int64_t m_offsets[6];
    uint32_t m_layer; // cells per x layer
    int m_iterationsRun = 0;
    AutomatonScratch m_scratch;
    bool m_keepScratch = false;
    std::vector<int32_t> m_unevenLo, m_unevenHi; // per column, from findUneven() until the initialize pass ends
    ScratchValue m_defaultEmpty = {0, {0, 0, 0}}, m_defaultMember = {0, {0, 0, 0}}, m_defaultOther = {0, {0, 0, 0}};
    MaterialSet m_defaultMembers;
    bool m_membersDiffer = false; // whether member and other defaults differ
};

} // namespace Operations
} // namespace Core
