#include "csvdataexporter.h"

#include <QFile>
#include <QLocale>
#include <QTextStream>
#include <QtDebug>

namespace Core {
namespace Operations {

using Model::Geometry::FieldPainter;
using Model::Geometry::ParticleCounter;
using Model::Geometry::ParticleCounterArray;

namespace {
const char *const Location = "Core/Operations/ExportData/csvdataexporter";
}

CSVDataExporter::CSVDataExporter(const QString &fileName) : m_fileName(fileName)
{
    qDebug() << Location << Q_FUNC_INFO << "Opening file";
}

bool CSVDataExporter::isParticleCountField(const QString &fieldName)
{
    return fieldName == FieldPainter::pTypeProperty() || fieldName == FieldPainter::nTypeProperty();
}

int CSVDataExporter::saveDataToFile(const QString &fieldName, const QVariant &fieldValue, unsigned sizeX,
                                    unsigned sizeY, unsigned sizeZ)
{
    QFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate))
        return -1;
    qDebug() << Location << Q_FUNC_INFO << "File is open";
    if (!isParticleCountField(fieldName)) {
        qDebug() << Location << Q_FUNC_INFO << "Unexpected data type";
        file.close();
        return -1;
    }
    qDebug() << Location << Q_FUNC_INFO << "Data type is one of the expected values";
    // A property that does not hold counters for every cell would be read past its end.
    const ParticleCounterArray counts = FieldPainter::countersOf(fieldValue);
    if (!counts || counts->size() != size_t(sizeX) * sizeY * sizeZ) {
        qDebug() << Location << Q_FUNC_INFO << "The field holds no counters for this volume";
        file.close();
        return -1;
    }
    QTextStream stream(&file);
    int result = saveParticleData(stream, counts->data(), sizeX, sizeY, sizeZ);
    stream.flush();
    if (stream.status() != QTextStream::Ok || file.error() != QFileDevice::NoError)
        result = -1;
    file.close();
    qDebug() << Location << Q_FUNC_INFO << "Done";
    return result;
}

int CSVDataExporter::saveParticleData(QTextStream &stream, const ParticleCounter *counts, unsigned sizeX,
                                      unsigned sizeY, unsigned sizeZ)
{
    qDebug() << Location << Q_FUNC_INFO << "Writing to stream";
    QLocale english(QLocale::English, QLocale::UnitedStates);
    english.setNumberOptions(QLocale::OmitGroupSeparator);
    stream.setLocale(english);
    stream.setRealNumberNotation(QTextStream::ScientificNotation);
    stream.setRealNumberPrecision(10);
    size_t i = 0;
    for (unsigned x = 0; x < sizeX; ++x) {
        stream << "X: " << QString::number(x) << "\n";
        for (unsigned y = 0; y < sizeY; ++y) {
            for (unsigned z = 0; z < sizeZ; ++z, ++i) {
                uint32_t sum = 0;
                for (int l = 0; l < 7; ++l)
                    sum += uint32_t(counts[i].values[l]);
                stream << double(sum) << " ; ";
            }
            stream << "\n";
        }
        stream << "\n\n";
    }
    qDebug() << Location << Q_FUNC_INFO << "Done writing to stream.";
    return 0;
}

} // namespace Operations
} // namespace Core
