#pragma once

#include "Util/vector3d.h"

#include <boost/shared_ptr.hpp>

#include <QString>

#include <cstdint>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

// A new cell volume and the box or sphere of one material inside it.
struct SubstrateShape
{
    uint32_t material = 0;
    uint32_t sizeX = 0, sizeY = 0, sizeZ = 0; // the volume, in cells
    Util::Vector3D position;                  // its lower left front corner
    double unitLength = 1.0;                  // micrometres per unit
    bool spherical = false;
    // A box: its size and its offset from cell (0, 0, 0); what lies outside the volume is cut off.
    uint32_t boxX = 0, boxY = 0, boxZ = 0;
    uint32_t deltaX = 0, deltaY = 0, deltaZ = 0;
    // A sphere: its centre in cells and its radius.
    uint32_t centerX = 0, centerY = 0, centerZ = 0;
    uint32_t radius = 0;
};

// Builds the volume the shape describes: empty, with a sentence for the user
// in error, when it cannot be built (zero, unaddressable or too large for memory).
boost::shared_ptr<Model::Automaton::TotalVolume> buildSubstrate(const SubstrateShape &shape, QString *error);

} // namespace Operations
} // namespace Core
