#pragma once

#include "Model/ModelExtraction/rectangularcuboidenvelope.h"

#include <boost/shared_ptr.hpp>

#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
struct Voxel;
} // namespace Automaton

namespace ModelExtraction {

typedef boost::shared_ptr<RectangularCuboidEnvelope> BoxPtr;
typedef std::vector<BoxPtr> BoxList;

// Splits a cell volume into boxes of uniform material and links the boxes
// that share whole faces.
class Preprocessing
{
public:
    struct SplitPlanes
    {
        std::vector<int> x, y, z; // sorted, each plane once
    };

    // Locks the volume's cells for the whole run.
    static BoxList run(Automaton::TotalVolume &volume);

    // cells in the volume's order: (x * sizeY + y) * sizeZ + z.
    static SplitPlanes findSplitPlanes(const Automaton::Voxel *cells, unsigned sizeX, unsigned sizeY,
                                       unsigned sizeZ);
    // Boxes in the order a queue from cell 0 reaches them; empty boxes dropped.
    static BoxList buildBoxes(const Automaton::Voxel *cells, unsigned sizeX, unsigned sizeY,
                              unsigned sizeZ, const SplitPlanes &planes);
    // Links boxes whose faces coincide whole, found through an index of the
    // faces by plane and rectangle: linear in the number of boxes.
    // The boxes must not overlap.
    static void linkBoxes(const BoxList &boxes);
    // Reference: the same links by testing every pair (quadratic).
    static void linkBoxesPairwise(const BoxList &boxes);
};

} // namespace ModelExtraction
} // namespace Model
