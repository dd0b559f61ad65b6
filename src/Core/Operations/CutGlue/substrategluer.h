#pragma once

#include <boost/shared_ptr.hpp>

#include <QString>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

// Stacks the solid part of a top volume, optionally given a half turn about
// the y axis, on the top surface of a base volume, as a new volume.
class SubstrateGluer
{
public:
    struct Layout
    {
        unsigned baseHeight = 1;  // hb: one above the base's highest solid cell
        unsigned topZ0 = 0;       // the top's solid z range [topZ0, topZ1)
        unsigned topZ1 = 0;
        unsigned sizeX = 0, sizeY = 0, sizeZ = 0; // the smallest final size
        float cellSizeX = 1.0f, cellSizeY = 1.0f, cellSizeZ = 1.0f;
        unsigned maxDisplacementX = 0, maxDisplacementY = 0;
    };

    // Why the two cannot be glued (the same volume twice, different unit lengths); empty when they can.
    static QString checkPair(const Model::Automaton::TotalVolume &base, const Model::Automaton::TotalVolume &top);

    // Takes both volumes' cell locks.
    static Layout layout(Model::Automaton::TotalVolume &base, Model::Automaton::TotalVolume &top);

    // The glued volume of the given final size at the base's position, or empty
    // with error set when it cannot be built or checkPair refuses the two. Cells
    // that a displacement would put outside the final size are left out; the
    // cells copied keep their dopant concentrations, and the volume takes the
    // base's unit length. Takes both cell locks.
    static boost::shared_ptr<Model::Automaton::TotalVolume>
    glue(Model::Automaton::TotalVolume &base, Model::Automaton::TotalVolume &top, const Layout &layout,
         unsigned sizeX, unsigned sizeY, unsigned sizeZ, unsigned dx, unsigned dy, bool invert,
         QString *error = nullptr, unsigned slabCount = 0);
};

} // namespace Operations
} // namespace Core
