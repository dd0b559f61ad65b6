#pragma once

#include "Model/Automaton/siatom.h"

namespace Model {
namespace Automaton {

// One diamond-cubic unit cell: eight atoms in template order and the world
// position of the cell's origin. The atoms are held by value so that a
// lattice of millions of atoms is a few contiguous arrays, not millions of
// small allocations.
struct SiCell
{
    SiAtom atoms[8];
    float x = 0.0f, y = 0.0f, z = 0.0f;
};

} // namespace Automaton
} // namespace Model
