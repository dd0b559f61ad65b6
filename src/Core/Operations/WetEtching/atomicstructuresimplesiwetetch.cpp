#include "atomicstructuresimplesiwetetch.h"

namespace Core {
namespace Operations {

using Model::Automaton::SiAtom;
using Model::Automaton::SiLattice;

AtomicStructureSimpleSiWetEtch::AtomicStructureSimpleSiWetEtch(Model::Automaton::TotalVolume &volume, double depth)
    : AtomisticWetEtchEngine(volume, depth)
{
}

void AtomicStructureSimpleSiWetEtch::examine(Slab &slab)
{
    const SiLattice &l = lattice();
    for (uint32_t id : slab.surface) {
        if (l.atom(id).state != SiAtom::Present)
            continue;
        ++slab.examined;
        const int f = l.firstNeighbours(id);
        if (f >= 4) {
            keep(slab, id);
            continue;
        }
        // Second neighbours only decide between three-bonded atoms.
        if (f < 3 || removes(f, l.secondNeighbours(id)))
            remove(slab, id);
        else
            keep(slab, id);
    }
}

} // namespace Operations
} // namespace Core
