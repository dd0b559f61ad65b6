#pragma once

#include "Util/vector3d.h"

#include <boost/shared_ptr.hpp>

#include <QString>

namespace Model {
class Document;
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Ui {

// The cell of a cell volume that a point seen in the view lies on.
struct CellUnderPoint
{
    boost::shared_ptr<Model::Automaton::TotalVolume> volume;
    unsigned x = 0, y = 0, z = 0;
    unsigned materialId = 0;
    QString material;
    double zFrom = 0, zTo = 0; // the run of that material in the column, in the volume's units
};

// point lies on a drawn face (a picked surface point); towards is the
// direction the line of sight goes into the scene. The cell the face belongs
// to is found a hair beyond the point; false when no volume holds it or it
// is empty. Reads the cells under their lock: never while a step runs.
bool cellUnderPoint(Model::Document &document, const Util::Vector3D &point, const Util::Vector3D &towards,
                    CellUnderPoint *cell);

// "Cell (12, 30, 7): Poly-Si, z 20 to 23 units": what the status bar shows.
QString cellText(const CellUnderPoint &cell);

} // namespace Ui
