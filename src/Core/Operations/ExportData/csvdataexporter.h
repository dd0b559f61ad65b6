#pragma once

#include "Model/Geometry/fieldpainter.h"

#include <QString>
#include <QVariant>

class QTextStream;

namespace Core {
namespace Operations {

// Writes a per-cell particle-count field of a cell volume as text: one block
// per x ("X: " and x), a line per y with the z values separated by " ; ",
// and two empty lines after each block.
class CSVDataExporter
{
public:
    explicit CSVDataExporter(const QString &fileName);

    // 0 on success; -1 when the file cannot be written, the field is not a
    // particle count or its value holds no counters for a volume of this size.
    int saveDataToFile(const QString &fieldName, const QVariant &fieldValue, unsigned sizeX, unsigned sizeY,
                       unsigned sizeZ);
    // The sum of each cell's seven counters, scientific with ten decimals.
    static int saveParticleData(QTextStream &stream, const Model::Geometry::ParticleCounter *counts, unsigned sizeX,
                                unsigned sizeY, unsigned sizeZ);

    static bool isParticleCountField(const QString &fieldName);

private:
    QString m_fileName;
};

} // namespace Operations
} // namespace Core
