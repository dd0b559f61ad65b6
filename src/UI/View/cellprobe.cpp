#include "cellprobe.h"

#include "Model/Analysis/measurements.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/document.h"

#include <algorithm>
#include <cmath>

namespace Ui {

using Model::Automaton::TotalVolume;

bool cellUnderPoint(Model::Document &document, const Util::Vector3D &point, const Util::Vector3D &towards,
                    CellUnderPoint *cell)
{
    const double length = std::sqrt(towards.x * towards.x + towards.y * towards.y + towards.z * towards.z);
    for (const boost::shared_ptr<Model::Object> &object : document.getObjects()) {
        const boost::shared_ptr<TotalVolume> volume = boost::dynamic_pointer_cast<TotalVolume>(object);
        if (!volume || volume->getSizeX() == 0 || volume->getSizeY() == 0 || volume->getSizeZ() == 0)
            continue;
        const double size[3] = {volume->getCellSizeX(), volume->getCellSizeY(), volume->getCellSizeZ()};
        // Beyond the face, inside the cell it belongs to.
        const double nudge = length > 0 ? 1e-3 * std::min({size[0], size[1], size[2]}) / length : 0.0;
        const Util::Vector3D origin = volume->getPosition();
        const double p[3] = {point.x + towards.x * nudge - origin.x, point.y + towards.y * nudge - origin.y,
                             point.z + towards.z * nudge - origin.z};
        const unsigned count[3] = {volume->getSizeX(), volume->getSizeY(), volume->getSizeZ()};
        unsigned index[3];
        bool inside = true;
        for (int i = 0; i < 3 && inside; ++i) {
            const double c = std::floor(p[i] / size[i]);
            inside = size[i] > 0 && c >= 0 && c < double(count[i]);
            index[i] = inside ? unsigned(c) : 0u;
        }
        if (!inside)
            continue;
        Model::Analysis::ColumnStack stack;
        QString error;
        if (!Model::Analysis::measureColumn(*volume, index[0], index[1], &stack, &error))
            continue;
        for (const Model::Analysis::ColumnLayer &layer : stack.layers) {
            if (index[2] < layer.fromCell || index[2] >= layer.toCell)
                continue;
            if (layer.materialId == 0)
                break;
            cell->volume = volume;
            cell->x = index[0];
            cell->y = index[1];
            cell->z = index[2];
            cell->materialId = layer.materialId;
            cell->material = layer.material;
            cell->zFrom = layer.zFrom;
            cell->zTo = layer.zTo;
            return true;
        }
    }
    return false;
}

QString cellText(const CellUnderPoint &cell)
{
    const auto number = [](double v) { return QString::number(v, 'g', 6); };
    return QString::fromUtf8("Cell (%1, %2, %3): %4, layer z %5 to %6 \u00b5m (%7 thick)")
        .arg(cell.x)
        .arg(cell.y)
        .arg(cell.z)
        .arg(cell.material, number(cell.zFrom), number(cell.zTo), number(cell.zTo - cell.zFrom));
}

} // namespace Ui
