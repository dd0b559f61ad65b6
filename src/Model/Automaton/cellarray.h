#pragma once

#include "Model/Automaton/voxel.h"
#include "Util/largebuffer.h"

namespace Model {
namespace Automaton {

// A volume's contiguous cell storage; zero-filled memory is exactly an empty Voxel.
typedef Util::LargeArray<Voxel> CellArray;

} // namespace Automaton
} // namespace Model
