#include "vtiwriter.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/Geometry/fieldpainter.h"
#include "outputfiles.h"

#include <QByteArray>
#include <QSaveFile>
#include <QXmlStreamWriter>

#include <cstring>

namespace Model {
namespace Analysis {

using Automaton::CellLock;
using Automaton::TotalVolume;
using Automaton::Voxel;
using Geometry::FieldPainter;
using Geometry::ParticleCounterArray;

namespace {

// Base64 of a byte stream written in pieces. Only whole groups of three
// bytes are encoded before the end, so the pieces join into the same text
// as one encoding of the whole stream.
class Base64Stream
{
public:
    explicit Base64Stream(QXmlStreamWriter &xml) : m_xml(xml) {}
    void append(const void *data, size_t bytes)
    {
        m_pending.append(static_cast<const char *>(data), int(bytes));
        if (m_pending.size() >= Chunk)
            flush(false);
    }
    void finish() { flush(true); }

private:
    static const int Chunk = 3 * 64 * 1024;
    void flush(bool all)
    {
        const int whole = all ? m_pending.size() : m_pending.size() - m_pending.size() % 3;
        m_xml.writeCharacters(QString::fromLatin1(m_pending.left(whole).toBase64()));
        m_pending.remove(0, whole);
    }
    QXmlStreamWriter &m_xml;
    QByteArray m_pending;
};

QString numbers(double a, double b, double c)
{
    return QStringLiteral("%1 %2 %3").arg(QString::number(a, 'g', 10), QString::number(b, 'g', 10),
                                          QString::number(c, 'g', 10));
}

// One cell-data array in VTK's order (x fastest, then y, then z), from a
// reader of the cell at our index.
template <class T, class Value>
void writeArray(QXmlStreamWriter &xml, const TotalVolume &volume, const char *type, const QString &name,
                Value value)
{
    xml.writeStartElement(QStringLiteral("DataArray"));
    xml.writeAttribute(QStringLiteral("type"), QLatin1String(type));
    xml.writeAttribute(QStringLiteral("Name"), name);
    xml.writeAttribute(QStringLiteral("format"), QStringLiteral("binary"));
    const unsigned sx = volume.getSizeX(), sy = volume.getSizeY(), sz = volume.getSizeZ();
    Base64Stream out(xml);
    const uint64_t bytes = volume.getCellCount() * sizeof(T);
    out.append(&bytes, sizeof(bytes)); // header_type UInt64, little endian like the data
    std::vector<T> row(sx);
    for (unsigned z = 0; z < sz; ++z)
        for (unsigned y = 0; y < sy; ++y) {
            for (unsigned x = 0; x < sx; ++x)
                row[x] = value(volume.cellIndex(x, y, z));
            out.append(row.data(), row.size() * sizeof(T));
        }
    out.finish();
    xml.writeEndElement();
}

} // namespace

bool writeVti(TotalVolume &volume, const QString &fileName, QString *error)
{
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the file says LittleEndian");
    if (!checkWritable(fileName, error))
        return false;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("\"%1\" could not be written: %2").arg(fileName, file.errorString());
        return false;
    }
    const unsigned sx = volume.getSizeX(), sy = volume.getSizeY(), sz = volume.getSizeZ();
    const QString extent = QStringLiteral("0 %1 0 %2 0 %3").arg(sx).arg(sy).arg(sz);
    const Util::Vector3D origin = volume.getPosition();
    QXmlStreamWriter xml(&file);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("VTKFile"));
    xml.writeAttribute(QStringLiteral("type"), QStringLiteral("ImageData"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    xml.writeAttribute(QStringLiteral("byte_order"), QStringLiteral("LittleEndian"));
    xml.writeAttribute(QStringLiteral("header_type"), QStringLiteral("UInt64"));
    xml.writeStartElement(QStringLiteral("ImageData"));
    xml.writeAttribute(QStringLiteral("WholeExtent"), extent);
    xml.writeAttribute(QStringLiteral("Origin"), numbers(origin.x, origin.y, origin.z));
    xml.writeAttribute(QStringLiteral("Spacing"), numbers(unitLength(volume.getCellSizeX()),
                                                          unitLength(volume.getCellSizeY()),
                                                          unitLength(volume.getCellSizeZ())));
    xml.writeStartElement(QStringLiteral("Piece"));
    xml.writeAttribute(QStringLiteral("Extent"), extent);
    xml.writeStartElement(QStringLiteral("CellData"));
    xml.writeAttribute(QStringLiteral("Scalars"), QStringLiteral("material"));
    {
        // The doping engine writes its counters under the cell lock.
        CellLock lock(volume);
        const Voxel *cells = lock.cells();
        writeArray<uint32_t>(xml, volume, "UInt32", QStringLiteral("material"),
                             [cells](size_t i) { return cells[i].material; });
        const ParticleCounterArray nCounts = particleCounts(volume, FieldPainter::nTypeProperty());
        const ParticleCounterArray pCounts = particleCounts(volume, FieldPainter::pTypeProperty());
        if (nCounts || pCounts) {
            const Geometry::ParticleCounter *np = nCounts ? nCounts->data() : nullptr;
            const Geometry::ParticleCounter *pp = pCounts ? pCounts->data() : nullptr;
            writeArray<int32_t>(xml, volume, "Int32", QStringLiteral("particles"), [np, pp](size_t i) {
                return (np ? np[i].values[6] : 0) + (pp ? pp[i].values[6] : 0);
            });
            if (np)
                writeArray<int32_t>(xml, volume, "Int32", QStringLiteral("particles_n"),
                                    [np](size_t i) { return np[i].values[6]; });
            if (pp)
                writeArray<int32_t>(xml, volume, "Int32", QStringLiteral("particles_p"),
                                    [pp](size_t i) { return pp[i].values[6]; });
        }
    }
    xml.writeEndElement(); // CellData
    xml.writeEndElement(); // Piece
    xml.writeEndElement(); // ImageData
    xml.writeEndElement(); // VTKFile
    xml.writeEndDocument();
    if (xml.hasError() || !file.commit()) {
        if (error)
            *error = QStringLiteral("\"%1\" could not be written: %2").arg(fileName, file.errorString());
        return false;
    }
    return true;
}

} // namespace Analysis
} // namespace Model
