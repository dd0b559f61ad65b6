#pragma once

#include <cstdint>

namespace Model {
namespace Automaton {

// One silicon atom of the crystal laid over a cell volume.
//
// Atoms live inside their SiCell, eight to a cell, and are named by a 32-bit
// id: (slot of the cell in the lattice) * 8 + (index in the cell). Bonds hold
// these ids instead of pointers: they are half the size, cannot dangle when
// the cell array moves, and sorting surface lists by id gives the same order
// on every run. A bond to a fixed boundary atom (an atom outside every cell
// that only holds its partner in place) is the marker FixedAtom: such an atom
// has no state of its own to keep, it is always fixed.
struct SiAtom
{
    enum State : int8_t {
        Absent = 0,  // removed, or never inside a silicon cell
        Present = 1,
        PresentAlt = 2, // present; a second marking for the continuous etch
        Fixed = 3       // inside another material: never etches, counts as fully bonded
    };

    static constexpr uint32_t NoAtom = 0xFFFFFFFFu;
    static constexpr uint32_t FixedAtom = 0xFFFFFFFEu;
    static constexpr uint32_t MaxAtoms = 0xFFFFFFF0u;

    static bool isAtom(uint32_t bond) { return bond < MaxAtoms; }

    uint32_t bonds[4] = {NoAtom, NoAtom, NoAtom, NoAtom}; // neighbour per bond slot
    int32_t cellIndex = -1; // volume cell that contains the atom, -1 outside the volume
    float life = 0.0f;      // remaining life, used by the continuous etch only
    int8_t state = Present;
};

} // namespace Automaton
} // namespace Model
