#include "vtiwriter.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/Geometry/fieldpainter.h"
#include "Util/slabrunner.h"
#include "outputfiles.h"

#include <QBuffer>
#include <QByteArray>
#include <QSaveFile>
#include <QXmlStreamWriter>

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>
#include <vector>

namespace Model {
namespace Analysis {

using Automaton::CellLock;
using Automaton::TotalVolume;
using Automaton::Voxel;
using Geometry::FieldPainter;
using Geometry::ParticleCounterArray;

namespace {

QString numbers(double a, double b, double c)
{
    return QStringLiteral("%1 %2 %3").arg(QString::number(a, 'g', 10), QString::number(b, 'g', 10),
                                          QString::number(c, 'g', 10));
}

// One cell-data array: every value is four bytes, given by cell index.
struct CellArray
{
    QString name;
    const char *type;
    std::function<uint32_t(size_t)> value;
};

// The bytes of an array in VTK's order (x fastest, then y, then z), a few z
// layers at a time: each (x, y) column is read in one go, which keeps the
// walk of our z-fastest cells at memory speed.
class LayerSource
{
public:
    LayerSource(const TotalVolume &volume, const CellArray &array) : m_volume(volume), m_array(array)
    {
        const uint64_t layer = uint64_t(volume.getSizeX()) * volume.getSizeY();
        // About 64 MiB of layers at once.
        m_layersPerBlock = unsigned(std::max<uint64_t>(1, std::min<uint64_t>(16, (uint64_t(16) << 20) / layer)));
    }
    unsigned layersPerBlock() const { return m_layersPerBlock; }
    // Layers [z0, z1) into out, (z1 - z0) * sizeX * sizeY values.
    void fill(unsigned z0, unsigned z1, std::vector<uint32_t> &out) const
    {
        const unsigned sx = m_volume.getSizeX(), sy = m_volume.getSizeY();
        const size_t layer = size_t(sx) * sy;
        out.resize(layer * (z1 - z0));
        uint32_t *o = out.data();
        Util::runSlabs(Util::planSlabs(0, sy, Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount, 16),
                       [&](const Util::SlabRange &r, unsigned) {
                           for (unsigned y = r.first; y < r.last; ++y)
                               for (unsigned x = 0; x < sx; ++x) {
                                   const size_t cell = m_volume.cellIndex(x, y, z0);
                                   uint32_t *to = o + size_t(y) * sx + x;
                                   for (unsigned z = z0; z < z1; ++z, to += layer)
                                       *to = m_array.value(cell + (z - z0));
                               }
                       });
    }

private:
    const TotalVolume &m_volume;
    const CellArray &m_array;
    unsigned m_layersPerBlock = 1;
};

// The appended bytes of one array in VTK's zlib form: a header of UInt64 block
// count, block size, last block's size and each block's compressed size, then
// the compressed blocks. Blocks are compressed on the pool.
bool compressedArray(const TotalVolume &volume, const CellArray &array, QByteArray &out)
{
    const uint64_t total = volume.getCellCount() * sizeof(uint32_t);
    const size_t blockSize = size_t(1) << 20;
    const uint64_t blocks = total == 0 ? 0 : (total + blockSize - 1) / blockSize;
    std::vector<QByteArray> packed(static_cast<size_t>(blocks));
    std::vector<char> stream; // bytes produced but not yet compressed
    uint64_t done = 0;        // blocks compressed
    bool ok = true;
    auto compressBlocks = [&](bool last) {
        const size_t whole = last ? (stream.size() + blockSize - 1) / blockSize : stream.size() / blockSize;
        if (whole == 0)
            return;
        Util::runSlabs(Util::planSlabs(0, unsigned(whole), Util::defaultSlabCount(), Util::SlabSplit::RemainderByCount),
                       [&](const Util::SlabRange &r, unsigned) {
                           for (unsigned b = r.first; b < r.last; ++b) {
                               const size_t begin = size_t(b) * blockSize;
                               const size_t bytes = std::min(blockSize, stream.size() - begin);
                               uLongf size = compressBound(uLong(bytes));
                               QByteArray &to = packed[size_t(done + b)];
                               to.resize(int(size));
                               if (compress2(reinterpret_cast<Bytef *>(to.data()), &size,
                                             reinterpret_cast<const Bytef *>(stream.data() + begin), uLong(bytes),
                                             Z_BEST_SPEED) != Z_OK) {
                                   ok = false;
                                   continue;
                               }
                               to.resize(int(size));
                           }
                       });
        const size_t used = std::min(stream.size(), whole * blockSize);
        stream.erase(stream.begin(), stream.begin() + std::ptrdiff_t(used));
        done += whole;
    };
    LayerSource source(volume, array);
    std::vector<uint32_t> values;
    for (unsigned z = 0; z < volume.getSizeZ() && ok; z += source.layersPerBlock()) {
        source.fill(z, std::min(volume.getSizeZ(), z + source.layersPerBlock()), values);
        const char *bytes = reinterpret_cast<const char *>(values.data());
        stream.insert(stream.end(), bytes, bytes + values.size() * sizeof(uint32_t));
        compressBlocks(false);
    }
    compressBlocks(true);
    if (!ok)
        return false;
    std::vector<uint64_t> header;
    header.push_back(blocks);
    header.push_back(blockSize);
    header.push_back(blocks == 0 ? 0 : total - (blocks - 1) * blockSize);
    for (const QByteArray &block : packed)
        header.push_back(uint64_t(block.size()));
    out.clear();
    out.append(reinterpret_cast<const char *>(header.data()), int(header.size() * sizeof(uint64_t)));
    for (const QByteArray &block : packed)
        out.append(block);
    return true;
}

// Writes an array's raw appended bytes: the UInt64 byte count, then the values.
bool writeRawArray(QIODevice &file, const TotalVolume &volume, const CellArray &array)
{
    const uint64_t bytes = volume.getCellCount() * sizeof(uint32_t);
    if (file.write(reinterpret_cast<const char *>(&bytes), sizeof(bytes)) != qint64(sizeof(bytes)))
        return false;
    LayerSource source(volume, array);
    std::vector<uint32_t> values;
    for (unsigned z = 0; z < volume.getSizeZ(); z += source.layersPerBlock()) {
        source.fill(z, std::min(volume.getSizeZ(), z + source.layersPerBlock()), values);
        const qint64 n = qint64(values.size() * sizeof(uint32_t));
        if (file.write(reinterpret_cast<const char *>(values.data()), n) != n)
            return false;
    }
    return true;
}

} // namespace

bool writeVti(TotalVolume &volume, const QString &fileName, QString *error, VtiCompression compression)
{
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the file says LittleEndian");
    if (!checkWritable(fileName, error))
        return false;
    QSaveFile file(fileName);
    auto fail = [&]() {
        if (error)
            *error = QStringLiteral("\"%1\" could not be written: %2").arg(fileName, file.errorString());
        file.cancelWriting();
        return false;
    };
    if (!file.open(QIODevice::WriteOnly))
        return fail();
    const bool zlib = compression == VtiCompression::Zlib;

    // The doping engine writes its counters under the cell lock.
    CellLock lock(volume);
    const Voxel *cells = lock.cells();
    std::vector<CellArray> arrays;
    arrays.push_back({QStringLiteral("material"), "UInt32", [cells](size_t i) { return cells[i].material; }});
    const ParticleCounterArray nCounts = particleCounts(volume, FieldPainter::nTypeProperty());
    const ParticleCounterArray pCounts = particleCounts(volume, FieldPainter::pTypeProperty());
    if (nCounts || pCounts) {
        const Geometry::ParticleCounter *np = nCounts ? nCounts->data() : nullptr;
        const Geometry::ParticleCounter *pp = pCounts ? pCounts->data() : nullptr;
        arrays.push_back({QStringLiteral("particles"), "Int32", [np, pp](size_t i) {
                              return uint32_t((np ? np[i].total() : 0) + (pp ? pp[i].total() : 0));
                          }});
        if (np)
            arrays.push_back({QStringLiteral("particles_n"), "Int32", [np](size_t i) { return uint32_t(np[i].total()); }});
        if (pp)
            arrays.push_back({QStringLiteral("particles_p"), "Int32", [pp](size_t i) { return uint32_t(pp[i].total()); }});
    }
    // Dopant concentrations in cm^-3, one Float32 array per species held: "dopant_B", ...
    const Automaton::DopantFields &dopants = lock.dopants();
    for (int species : dopants.present()) {
        const float *field = dopants.field(species).data();
        arrays.push_back({QStringLiteral("dopant_") + Automaton::DopantFields::speciesName(species), "Float32",
                          [field](size_t i) {
                              uint32_t bits;
                              std::memcpy(&bits, field + i, sizeof bits);
                              return bits;
                          }});
    }

    // Compressed arrays are made first: their sizes give the offsets the XML names.
    std::vector<QByteArray> packed(arrays.size());
    std::vector<uint64_t> offsets;
    uint64_t offset = 0;
    for (size_t a = 0; a < arrays.size(); ++a) {
        offsets.push_back(offset);
        if (zlib) {
            try {
                if (!compressedArray(volume, arrays[a], packed[a])) {
                    if (error)
                        *error = QStringLiteral("\"%1\" could not be written: zlib failed").arg(fileName);
                    file.cancelWriting();
                    return false;
                }
            } catch (const std::bad_alloc &) {
                if (error)
                    *error = QStringLiteral("\"%1\" could not be written: not enough memory to compress").arg(fileName);
                file.cancelWriting();
                return false;
            }
            offset += uint64_t(packed[a].size());
        } else {
            offset += sizeof(uint64_t) + volume.getCellCount() * sizeof(uint32_t);
        }
    }

    const unsigned sx = volume.getSizeX(), sy = volume.getSizeY(), sz = volume.getSizeZ();
    const QString extent = QStringLiteral("0 %1 0 %2 0 %3").arg(sx).arg(sy).arg(sz);
    const Util::Vector3D origin = volume.getPosition();
    QByteArray head;
    {
        QBuffer buffer(&head);
        buffer.open(QIODevice::WriteOnly);
        QXmlStreamWriter xml(&buffer);
        xml.setAutoFormatting(true);
        xml.writeStartDocument();
        xml.writeStartElement(QStringLiteral("VTKFile"));
        xml.writeAttribute(QStringLiteral("type"), QStringLiteral("ImageData"));
        xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
        xml.writeAttribute(QStringLiteral("byte_order"), QStringLiteral("LittleEndian"));
        xml.writeAttribute(QStringLiteral("header_type"), QStringLiteral("UInt64"));
        if (zlib)
            xml.writeAttribute(QStringLiteral("compressor"), QStringLiteral("vtkZLibDataCompressor"));
        xml.writeStartElement(QStringLiteral("ImageData"));
        xml.writeAttribute(QStringLiteral("WholeExtent"), extent);
        // Micrometres: the volume's frame times its unit length.
        xml.writeAttribute(QStringLiteral("Origin"), numbers(micrometres(volume, origin.x), micrometres(volume, origin.y),
                                                             micrometres(volume, origin.z)));
        xml.writeAttribute(QStringLiteral("Spacing"), numbers(cellMicrometres(volume, 0), cellMicrometres(volume, 1),
                                                              cellMicrometres(volume, 2)));
        xml.writeStartElement(QStringLiteral("Piece"));
        xml.writeAttribute(QStringLiteral("Extent"), extent);
        xml.writeStartElement(QStringLiteral("CellData"));
        xml.writeAttribute(QStringLiteral("Scalars"), QStringLiteral("material"));
        for (size_t a = 0; a < arrays.size(); ++a) {
            xml.writeEmptyElement(QStringLiteral("DataArray"));
            xml.writeAttribute(QStringLiteral("type"), QLatin1String(arrays[a].type));
            xml.writeAttribute(QStringLiteral("Name"), arrays[a].name);
            xml.writeAttribute(QStringLiteral("format"), QStringLiteral("appended"));
            xml.writeAttribute(QStringLiteral("offset"), QString::number(offsets[a]));
        }
        xml.writeEndElement(); // CellData
        xml.writeEndElement(); // Piece
        xml.writeEndElement(); // ImageData
        xml.writeStartElement(QStringLiteral("AppendedData"));
        xml.writeAttribute(QStringLiteral("encoding"), QStringLiteral("raw"));
        xml.writeCharacters(QStringLiteral("_")); // the data starts after this mark
    }
    if (file.write(head) != head.size())
        return fail();
    for (size_t a = 0; a < arrays.size(); ++a) {
        const bool written = zlib ? file.write(packed[a]) == packed[a].size() : writeRawArray(file, volume, arrays[a]);
        if (!written)
            return fail();
        packed[a] = QByteArray();
    }
    const QByteArray tail("\n  </AppendedData>\n</VTKFile>\n");
    if (file.write(tail) != tail.size() || !file.commit())
        return fail();
    return true;
}

} // namespace Analysis
} // namespace Model
