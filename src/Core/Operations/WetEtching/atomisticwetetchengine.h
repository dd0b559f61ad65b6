#pragma once

#include "Model/Automaton/silattice.h"
#include "Util/slabrunner.h"

#include <boost/shared_ptr.hpp>

#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
struct Voxel;
} // namespace Automaton
} // namespace Model

namespace Core {
namespace Operations {

// The slab machinery both atomistic wet etchers share: setup of the surface
// lists, the steps, hand-over of atoms between slabs, cell bookkeeping and the
// fixed boundary atoms. An etcher only says, per slab and step, which of its
// surface atoms go.
//
// Every step has two phases separated by a barrier: all slabs examine their
// atoms against the states as they were when the step began, then all slabs
// apply their removals and take the atoms handed to them. So no slab ever
// reads a state another slab is changing, and the result is the same for
// every slab count.
class AtomisticWetEtchEngine
{
public:
    struct Statistics
    {
        long long stepsPlanned = 0;
        long long stepsRun = 0;
        uint64_t atomsExamined = 0; // present surface atoms looked at in the steps
        uint64_t atomsRemoved = 0;
        double setupMs = 0.0;
        double stepsMs = 0.0;
        double stepsCpuMs = 0.0; // processor time of all threads in the steps; wall time hides a busy machine
    };

    // The volume must hold a lattice (TotalVolume::createLattice).
    AtomisticWetEtchEngine(Model::Automaton::TotalVolume &volume, double depth);
    virtual ~AtomisticWetEtchEngine();
    AtomisticWetEtchEngine(const AtomisticWetEtchEngine &) = delete;
    AtomisticWetEtchEngine &operator=(const AtomisticWetEtchEngine &) = delete;

    // Steps for a depth: one (100) layer, 0.25 units, per step, rounded half away from zero.
    static long long stepsForDepth(double depth);
    // The reach a lattice needs for an etch of this depth (TotalVolume::createLattice):
    // a lattice built for less is widened when the etch runs.
    static double latticeReach(double depth);

    // Runs setup, the steps and finish with the volume's cells locked.
    // False when the volume has no lattice (nothing is changed then).
    bool run();

    unsigned getSlabCount() const { return unsigned(m_slabs.size()); }
    const Statistics &getStatistics() const { return m_statistics; }

protected:
    struct Slab
    {
        unsigned xFirst = 0, xLast = 0;
        uint64_t cellFirst = 0, cellLast = 0; // volume cell indices of the slab: [cellFirst, cellLast)
        std::vector<uint32_t> silicon;        // setup: present atoms in silicon cells of the slab
        std::vector<uint32_t> carried;        // setup: absent atoms in silicon cells of the slab
        std::vector<uint32_t> surface;        // atoms to examine in the next step
        std::vector<uint32_t> next;           // the slab's own part of the next surface list
        std::vector<std::vector<uint32_t>> out; // per target slab: atoms handed to it
        std::vector<uint32_t> removedAtoms;
        std::vector<int32_t> removedCells;
        std::vector<Model::Automaton::SiLattice::FixedBond> fixed;
        uint64_t examined = 0;
        bool changed = false; // anything in the lattice changed in this step's examine phase
        double proposedTimeStep = 0.1;
    };

    // Below this many listed atoms a step runs its slabs one after another on
    // the calling thread: the same code and result, without the hand-off cost.
    static const size_t SerialStepBelow = 16384;

    // One examine pass over slab.surface; read-only on every state but the
    // slab's own surface atoms' remaining life. Call keep() or remove() for
    // each atom that should stay listed or go. An etcher that replaces etch()
    // need not examine.
    virtual void examine(Slab &) {}
    // After setup, with the cells locked: the etch itself. By default the
    // planned steps, each an examine and an apply phase over all slabs.
    virtual void etch();
    // Whether setup gives a full remaining life to every silicon atom that holds
    // none yet; atoms an earlier etch of the lattice wore keep what they have left.
    virtual bool resetsLife() const { return false; }
    // Between steps, after all slabs applied their changes.
    virtual void afterStep() {}

    void keep(Slab &slab, uint32_t atom) { slab.next.push_back(atom); }
    // Marks the atom for removal and hands its present neighbours on by the slab they lie in.
    void remove(Slab &slab, uint32_t atom);

    // Removes a present atom at once, outside the steps: it becomes absent
    // and its cell empties with its last atom.
    void removeAtOnce(uint32_t atom);

    Model::Automaton::SiLattice &lattice() { return *m_lattice; }
    std::vector<Slab> &slabs() { return m_slabs; }
    Statistics &statistics() { return m_statistics; }

private:
    unsigned slabOfCell(int32_t cellIndex) const { return m_slabOfX[size_t(cellIndex) / m_cellsPerX]; }
    void prepareCells(const Slab &slab, bool findInterior);
    void setupActivate(Slab &slab);
    void activate(Slab &slab, uint32_t atom, bool resetLife);
    // Setup's look at the atoms an earlier etch of the lattice removed.
    void carryOn(Slab &slab, bool resetLife);
    void setupSurface(Slab &slab);
    void applyStep(unsigned s);
    void emptyAtomlessCells(const Slab &slab);
    uint32_t nearestAtom(const Model::Automaton::SiLattice::Point &p) const;
    // The volume cell containing a bond end; -1 outside.
    int64_t locateBondEnd(const Model::Automaton::SiLattice::Point &p) const;

    Model::Automaton::TotalVolume &m_volume;
    double m_depth;
    boost::shared_ptr<Model::Automaton::SiLattice> m_lattice;
    Model::Automaton::Voxel *m_cells = nullptr;
    int32_t *m_counts = nullptr; // the lattice's atom count per volume cell
    unsigned m_sizeX, m_sizeY, m_sizeZ;
    uint64_t m_cellsPerX;
    double m_divisorX, m_divisorY, m_divisorZ;
    double m_posX, m_posY, m_posZ;
    Util::SlabPlan m_plan;
    std::vector<Slab> m_slabs;
    std::vector<unsigned> m_slabOfX;
    // Per volume cell: silicon with silicon all around inside the volume, so
    // its atoms are fully bonded and setup need not look at them.
    std::vector<uint8_t> m_interior;
    Statistics m_statistics;
};

} // namespace Operations
} // namespace Core
