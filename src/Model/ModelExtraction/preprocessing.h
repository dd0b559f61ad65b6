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

// Splits a cell volume into boxes of uniform material that follow each body
// (a face-connected region of one material), and links the boxes that share
// whole faces.
class Preprocessing
{
public:
    // Locks the volume's cells for the whole run.
    static BoxList run(Automaton::TotalVolume &volume);

    // cells in the volume's order: (x * sizeY + y) * sizeZ + z. Each body is
    // cut only by the planes where it or a body touching it begins or ends,
    // so edges elsewhere in the volume do not cut it into strips, while a
    // body meets a smaller one it touches with a whole face. Boxes come body
    // by body, in the order of each body's first cell; empty cells give none.
    static BoxList buildBoxes(const Automaton::Voxel *cells, unsigned sizeX, unsigned sizeY, unsigned sizeZ);
    // Links boxes whose faces coincide whole, found through an index of the
    // faces by plane and rectangle: linear in the number of boxes.
    // The boxes must not overlap.
    static void linkBoxes(const BoxList &boxes);
    // Reference: the same links by testing every pair (quadratic).
    static void linkBoxesPairwise(const BoxList &boxes);
};

} // namespace ModelExtraction
} // namespace Model
