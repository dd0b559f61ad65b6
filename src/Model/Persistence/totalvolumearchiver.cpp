#include "totalvolumearchiver.h"

#include "Model/Automaton/totalvolume.h"

#include <QIODevice>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

namespace Model {
namespace Persistence {

using Automaton::CellLock;
using Automaton::TotalVolume;
using Automaton::Voxel;

namespace {

QString numberText(double value) { return QString::number(value, 'g', 6); }

// Material ids below this are translated through a flat table rather than the map.
constexpr uint32_t TableSize = 1u << 16;

class IdTranslation
{
public:
    explicit IdTranslation(const ObjectArchiver::MaterialMap *map) : m_map(map)
    {
        if (!map || map->isEmpty())
            return;
        m_table.resize(TableSize);
        for (uint32_t i = 0; i < TableSize; ++i)
            m_table[i] = i;
        for (auto it = map->constBegin(); it != map->constEnd(); ++it)
            if (it.key() < TableSize)
                m_table[it.key()] = it.value();
    }

    uint32_t operator()(uint32_t id) const
    {
        if (m_table.empty())
            return id;
        if (id < TableSize)
            return m_table[id];
        return m_map->value(id, id);
    }

private:
    const ObjectArchiver::MaterialMap *m_map;
    std::vector<uint32_t> m_table;
};

// Turns the "State" text, which may arrive in several pieces, into cell
// materials. Ids are separated by blanks; a piece that is not an unsigned
// 32-bit decimal gives an empty cell; pieces beyond the cell count are ignored.
class StateParser
{
public:
    StateParser(Voxel *cells, uint64_t count, const IdTranslation &translate)
        : m_cells(cells), m_count(count), m_translate(translate)
    {
    }

    void feed(const QStringRef &text)
    {
        const QChar *p = text.unicode();
        const QChar *const end = p + text.size();
        for (; p < end; ++p) {
            // Fast path for what the writer makes: digits and one space.
            if (m_state == Idle) {
                const QChar *q = p;
                uint32_t value = 0;
                unsigned digit;
                while (q < end && q - p < 9 && (digit = unsigned(q->unicode()) - '0') < 10) {
                    value = value * 10 + digit;
                    ++q;
                }
                if (q > p && q < end && q->unicode() == ' ') {
                    if (m_index < m_count)
                        m_cells[m_index].material = m_translate(value);
                    ++m_index;
                    p = q;
                    continue;
                }
            }
            const unsigned c = p->unicode();
            const unsigned digit = c - '0';
            if (digit < 10) {
                if (m_state == Bad)
                    continue;
                m_value = m_value * 10 + digit;
                m_state = m_value > std::numeric_limits<uint32_t>::max() ? Bad : Digits;
            } else if (c == ' ' || c == '\n' || c == '\t' || c == '\r') {
                if (m_state != Idle)
                    emitPiece();
            } else if (c == '+' && m_state == Idle) {
                m_state = Sign;
            } else {
                m_state = Bad;
            }
        }
    }

    // The text is complete, or interrupted by markup: a piece that runs up to here counts.
    void finish()
    {
        if (m_state != Idle)
            emitPiece();
    }
    void separate() { finish(); }

    uint64_t piecesRead() const { return m_index; }

private:
    enum State { Idle, Sign, Digits, Bad };

    void emitPiece()
    {
        if (m_index < m_count)
            m_cells[m_index].material = m_state == Digits ? m_translate(uint32_t(m_value)) : 0u;
        ++m_index;
        m_value = 0;
        m_state = Idle;
    }

    Voxel *m_cells;
    uint64_t m_count;
    const IdTranslation &m_translate;
    uint64_t m_index = 0;
    uint64_t m_value = 0;
    State m_state = Idle;
};

// Reads the "State" element the reader stands on, up to its end element.
void readState(QXmlStreamReader &reader, TotalVolume &volume, const IdTranslation &translate)
{
    CellLock lock(volume);
    StateParser parser(lock.cells(), volume.getCellCount(), translate);
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::Characters:
            parser.feed(reader.text());
            break;
        case QXmlStreamReader::StartElement:
            // Markup inside the text separates ids, nothing more.
            reader.skipCurrentElement();
            parser.separate();
            break;
        case QXmlStreamReader::EndElement:
            parser.finish();
            return;
        default:
            break;
        }
    }
    // The text broke off: its last piece may be cut short, so it is not used.
}

// The cells' ids as "id " text, handed to the writer in chunks so that neither
// a whole-volume string nor a per-cell string is ever built.
void writeState(QXmlStreamWriter &writer, TotalVolume &volume)
{
    constexpr size_t ChunkCells = size_t(1) << 16;
    std::vector<char> buffer(ChunkCells * 11);
    CellLock lock(volume);
    const Voxel *cells = lock.cells();
    const uint64_t count = volume.getCellCount();
    for (uint64_t start = 0; start < count; start += ChunkCells) {
        const uint64_t stop = std::min<uint64_t>(count, start + ChunkCells);
        char *out = buffer.data();
        for (uint64_t i = start; i < stop; ++i) {
            const uint32_t m = cells[i].material;
            if (m < 10)
                *out++ = char('0' + m);
            else
                out = std::to_chars(out, out + 10, m).ptr;
            *out++ = ' ';
        }
        writer.writeCharacters(QString::fromLatin1(buffer.data(), int(out - buffer.data())));
    }
}

bool readSize(const QXmlStreamAttributes &attributes, const char *name, uint64_t &size)
{
    bool ok = false;
    size = attributes.value(QLatin1String(name)).toULongLong(&ok, 10);
    return ok;
}

// A cell size that is absent, unreadable, not positive or not finite is 1:
// anything else would give a volume that cannot be drawn or measured.
float readCellSize(const QXmlStreamAttributes &attributes, const char *name)
{
    bool ok = false;
    const float value = attributes.value(QLatin1String(name)).toFloat(&ok);
    return ok && std::isfinite(value) && value > 0.0f ? value : 1.0f;
}

double readCoordinate(const QXmlStreamAttributes &attributes, const char *name)
{
    const double value = attributes.value(QLatin1String(name)).toDouble();
    return std::isfinite(value) ? value : 0.0;
}

} // namespace

TotalVolumeArchiver::TotalVolumeArchiver() = default;

TotalVolumeArchiver::~TotalVolumeArchiver() = default;

void TotalVolumeArchiver::write(const boost::shared_ptr<Object> &object)
{
    const boost::shared_ptr<TotalVolume> volume = boost::dynamic_pointer_cast<TotalVolume>(object);
    QXmlStreamWriter *w = writer();
    if (!volume || !w)
        return;
    w->writeStartElement(QStringLiteral("Object"));
    w->writeAttribute(QStringLiteral("object-type"), QString::number(unsigned(volume->getType())));
    w->writeAttribute(QStringLiteral("size-x"), QString::number(volume->getSizeX()));
    w->writeAttribute(QStringLiteral("size-y"), QString::number(volume->getSizeY()));
    w->writeAttribute(QStringLiteral("size-z"), QString::number(volume->getSizeZ()));
    w->writeAttribute(QStringLiteral("cellsize-x"), numberText(volume->getCellSizeX()));
    w->writeAttribute(QStringLiteral("cellsize-y"), numberText(volume->getCellSizeY()));
    w->writeAttribute(QStringLiteral("cellsize-z"), numberText(volume->getCellSizeZ()));
    w->writeStartElement(QStringLiteral("State"));
    writeState(*w, *volume);
    w->writeEndElement();
    const Util::Vector3D position = volume->getPosition();
    w->writeStartElement(QStringLiteral("Position"));
    w->writeAttribute(QStringLiteral("pos-x"), numberText(position.x));
    w->writeAttribute(QStringLiteral("pos-y"), numberText(position.y));
    w->writeAttribute(QStringLiteral("pos-z"), numberText(position.z));
    w->writeEndElement();
    w->writeEndElement();
}

boost::shared_ptr<Object> TotalVolumeArchiver::read()
{
    setErrorString(QString());
    QXmlStreamReader *r = reader();
    if (!r)
        return boost::shared_ptr<Object>();

    const QXmlStreamAttributes attributes = r->attributes();
    uint64_t sizeX = 0, sizeY = 0, sizeZ = 0;
    if (!readSize(attributes, "size-x", sizeX) || !readSize(attributes, "size-y", sizeY)
        || !readSize(attributes, "size-z", sizeZ)) {
        setErrorString(QStringLiteral("A cell volume in the document has no valid size: \"size-x\", \"size-y\" and "
                                      "\"size-z\" must each be a whole number."));
        return boost::shared_ptr<Object>();
    }
    QString error;
    if (!TotalVolume::checkSize(sizeX, sizeY, sizeZ, &error)) {
        setErrorString(error);
        return boost::shared_ptr<Object>();
    }
    const uint64_t cellCount = sizeX * sizeY * sizeZ;
    QIODevice *device = r->device();
    if (cellCount > SmallVolumeCells && device && !device->isSequential()
        && cellCount > uint64_t(device->size()) / 2) {
        setErrorString(QStringLiteral("A cell volume in the document claims %1 x %2 x %3 cells, more than the "
                                      "file (%4 bytes) can hold. The file is damaged.")
                           .arg(sizeX)
                           .arg(sizeY)
                           .arg(sizeZ)
                           .arg(device->size()));
        return boost::shared_ptr<Object>();
    }

    const boost::shared_ptr<TotalVolume> volume = TotalVolume::create(
        unsigned(sizeX), unsigned(sizeY), unsigned(sizeZ), readCellSize(attributes, "cellsize-x"),
        readCellSize(attributes, "cellsize-y"), readCellSize(attributes, "cellsize-z"), Util::Vector3D(), 0u, &error);
    if (!volume) {
        setErrorString(error);
        return boost::shared_ptr<Object>();
    }

    // "State" and "Position" are taken wherever they stand among the
    // object's children; anything else is passed over.
    const IdTranslation translate(materialMap());
    bool haveState = false;
    bool havePosition = false;
    Util::Vector3D position;
    while (!r->atEnd()) {
        r->readNext();
        if (r->isEndElement())
            break;
        if (!r->isStartElement())
            continue;
        if (!haveState && r->name() == QLatin1String("State")) {
            haveState = true;
            readState(*r, *volume, translate);
            continue;
        }
        if (!havePosition && r->name() == QLatin1String("Position")) {
            havePosition = true;
            const QXmlStreamAttributes p = r->attributes();
            position = Util::Vector3D(readCoordinate(p, "pos-x"), readCoordinate(p, "pos-y"),
                                      readCoordinate(p, "pos-z"));
        }
        r->skipCurrentElement();
    }
    volume->translate(position);
    if (m_regenerateSurface)
        volume->getPainter().regenerate();
    return volume;
}

} // namespace Persistence
} // namespace Model
