#include "totalvolumearchiver.h"

#include "Util/xmltokenguard.h"

#include "Model/Automaton/totalvolume.h"
#include "cellbudget.h"
#include "dopantarchive.h"

#include <QIODevice>
#include <QLocale>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
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

// Where the ids of the "State" text go: straight into a volume's cells, or
// into a list that grows only with the text really read.
struct CellSink
{
    Voxel *cells;
    uint64_t count;
    void store(uint64_t index, uint32_t id)
    {
        if (index < count)
            cells[index].material = id;
    }
};

struct IdListSink
{
    std::vector<uint32_t> &ids;
    uint64_t count;
    void store(uint64_t index, uint32_t id)
    {
        if (index < count)
            ids.push_back(id);
    }
};

// Turns the "State" text, which may arrive in several pieces, into cell
// materials. Ids are separated by blanks; a piece that is not an unsigned
// 32-bit decimal gives an empty cell; pieces beyond the cell count are ignored.
template <class Sink>
class StateParser
{
public:
    StateParser(Sink sink, const IdTranslation &translate) : m_sink(sink), m_translate(translate) {}

    // Text as the reader reports it (QChar) or as read from the file (char).
    template <class Char>
    void feed(const Char *p, const Char *const end)
    {
        for (; p < end; ++p) {
            // Fast path for what the writer makes: digits and one space.
            if (m_state == Idle) {
                const Char *q = p;
                uint32_t value = 0;
                unsigned digit;
                while (q < end && q - p < 9 && (digit = code(*q) - '0') < 10) {
                    value = value * 10 + digit;
                    ++q;
                }
                if (q > p && q < end && code(*q) == ' ') {
                    m_sink.store(m_index, m_translate(value));
                    ++m_index;
                    p = q;
                    continue;
                }
            }
            const unsigned c = code(*p);
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
    void feed(const QStringRef &text) { feed(text.unicode(), text.unicode() + text.size()); }

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

    static unsigned code(QChar c) { return c.unicode(); }
    static unsigned code(char c) { return uchar(c); }

    void emitPiece()
    {
        m_sink.store(m_index, m_state == Digits ? m_translate(uint32_t(m_value)) : 0u);
        ++m_index;
        m_value = 0;
        m_state = Idle;
    }

    Sink m_sink;
    const IdTranslation &m_translate;
    uint64_t m_index = 0;
    uint64_t m_value = 0;
    State m_state = Idle;
};

// The file under a token guard: seeking the guard would not move the file.
QIODevice *sourceOf(QIODevice *device)
{
    const auto *guard = dynamic_cast<const Util::XmlTokenGuard *>(device);
    return guard ? guard->source() : device;
}

// The reader reports text only once the markup after it has arrived, so the
// text a broken-off document ends with never reaches it. That text is what
// follows the last complete tag of the device's contents; it is handed to
// feed(begin, end) in chunks, without its first `skip` bytes (the part the
// reader did report). Nothing when the device cannot be read again.
template <class Feed>
void readTrailingText(QIODevice *device, qint64 skip, Feed feed)
{
    if (!device || device->isSequential() || !device->isReadable())
        return;
    const qint64 size = device->size();
    constexpr qint64 Chunk = qint64(1) << 16;
    QByteArray piece;
    // The last '<', going back a chunk at a time.
    qint64 open = -1;
    for (qint64 end = size; end > 0 && open < 0;) {
        const qint64 from = std::max<qint64>(0, end - Chunk);
        if (!device->seek(from))
            return;
        piece = device->read(end - from);
        if (piece.size() != end - from)
            return;
        const int at = piece.lastIndexOf('<');
        if (at >= 0)
            open = from + at;
        end = from;
    }
    if (open < 0 || !device->seek(open))
        return;
    // Past the tag's '>'; a file that breaks off inside the tag has no text
    // after it (the text before the tag was reported).
    bool inTag = true;
    while (!device->atEnd()) {
        piece = device->read(Chunk);
        if (piece.isEmpty())
            return;
        const char *begin = piece.constData();
        const char *const end = begin + piece.size();
        if (inTag) {
            begin = std::find(begin, end, '>');
            if (begin == end)
                continue;
            ++begin;
            inTag = false;
        }
        const qint64 skipped = std::min<qint64>(skip, end - begin);
        skip -= skipped;
        feed(begin + skipped, end);
    }
}

// Reads the "State" element the reader stands on, up to its end element.
// False when the document breaks off inside it; the pieces that were
// complete are used then too.
template <class Parser>
bool readState(QXmlStreamReader &reader, Parser &parser)
{
    qint64 sinceMarkup = 0;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::Characters:
            parser.feed(reader.text());
            sinceMarkup += reader.text().size();
            break;
        case QXmlStreamReader::StartElement:
            // Markup inside the text separates ids, nothing more.
            reader.skipCurrentElement();
            parser.separate();
            sinceMarkup = 0;
            break;
        case QXmlStreamReader::EndElement:
            parser.finish();
            return true;
        default:
            break;
        }
    }
    // The text broke off: its last piece may be cut short (an id of "12" cut
    // to "1"), so the parser is not finished here and only pieces a blank ends count.
    if (reader.error() == QXmlStreamReader::PrematureEndOfDocumentError)
        readTrailingText(sourceOf(reader.device()), sinceMarkup,
                         [&parser](const char *begin, const char *end) { parser.feed(begin, end); });
    return false;
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

// The device's length when it can be known in advance; negative otherwise.
qint64 documentLength(const QIODevice *device)
{
    return device && !device->isSequential() ? device->size() : -1;
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
    w->writeAttribute(QStringLiteral("unit-length"), QString::number(volume->getUnitLength(), 'g', QLocale::FloatingPointShortest));
    w->writeStartElement(QStringLiteral("State"));
    writeState(*w, *volume);
    w->writeEndElement();
    const Util::Vector3D position = volume->getPosition();
    w->writeStartElement(QStringLiteral("Position"));
    w->writeAttribute(QStringLiteral("pos-x"), numberText(position.x));
    w->writeAttribute(QStringLiteral("pos-y"), numberText(position.y));
    w->writeAttribute(QStringLiteral("pos-z"), numberText(position.z));
    w->writeEndElement();
    writeDopants(*w, *volume);
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
    const float cellX = readCellSize(attributes, "cellsize-x");
    const float cellY = readCellSize(attributes, "cellsize-y");
    const float cellZ = readCellSize(attributes, "cellsize-z");
    // Micrometres per unit; documents written before volumes carried it are in micrometres.
    double unitLength = 1.0;
    if (attributes.hasAttribute(QLatin1String("unit-length"))) {
        const QString text = attributes.value(QLatin1String("unit-length")).toString();
        bool ok = false;
        unitLength = text.toDouble(&ok);
        if (!ok || !std::isfinite(unitLength) || !(unitLength > 0.0)) {
            setErrorString(QStringLiteral("A cell volume in the document has the unit length \"%1\": it must be a "
                                          "positive number of micrometres.")
                               .arg(text));
            return boost::shared_ptr<Object>();
        }
    }

    // Without a shared budget the object is bounded by its own device.
    CellBudget ownBudget(documentLength(r->device()));
    CellBudget &budget = cellBudget() ? *cellBudget() : ownBudget;
    const IdTranslation translate(materialMap());

    // A volume the rest of the document can fill is built at once and read
    // into directly. Any other is read into a list first, so that only cells
    // the text really holds are allocated, and built when that is enough.
    boost::shared_ptr<TotalVolume> volume;
    std::vector<uint32_t> ids;
    const bool direct = cellCount <= budget.spare(r->characterOffset());
    if (direct) {
        volume = TotalVolume::create(unsigned(sizeX), unsigned(sizeY), unsigned(sizeZ), cellX, cellY, cellZ,
                                     Util::Vector3D(), 0u, &error);
        if (!volume) {
            setErrorString(error);
            return boost::shared_ptr<Object>();
        }
        budget.allocate(cellCount);
    }

    // "State" and "Position" are taken wherever they stand among the
    // object's children; anything else is passed over.
    bool haveState = false;
    bool havePosition = false;
    bool complete = false;
    uint64_t filled = 0;
    Automaton::DopantFields dopants;
    QString dopantNote;
    Util::Vector3D position;
    while (!r->atEnd()) {
        r->readNext();
        if (r->isEndElement()) {
            complete = true;
            break;
        }
        if (!r->isStartElement())
            continue;
        if (!haveState && r->name() == QLatin1String("State")) {
            haveState = true;
            bool stateComplete;
            if (volume) {
                CellLock lock(*volume);
                StateParser<CellSink> parser(CellSink{lock.cells(), cellCount}, translate);
                stateComplete = readState(*r, parser);
                filled = std::min(parser.piecesRead(), cellCount);
            } else {
                StateParser<IdListSink> parser(IdListSink{ids, cellCount}, translate);
                stateComplete = readState(*r, parser);
                filled = ids.size();
            }
            if (!stateComplete)
                break;
            continue;
        }
        if (r->name() == QLatin1String("Dopant")) {
            QString fault;
            if (readDopant(*r, cellCount, dopants, &fault))
                continue;
            if (r->hasError()) {
                dopantNote = fault;
                break;
            }
            setErrorString(fault);
            return boost::shared_ptr<Object>();
        }
        if (!havePosition && r->name() == QLatin1String("Position")) {
            havePosition = true;
            const QXmlStreamAttributes p = r->attributes();
            position = Util::Vector3D(readCoordinate(p, "pos-x"), readCoordinate(p, "pos-y"),
                                      readCoordinate(p, "pos-z"));
        }
        r->skipCurrentElement();
    }
    budget.fill(filled);

    if (!volume) {
        // What may be allocated now that the text has been read. A volume the
        // document breaks off in may besides keep as many empty cells as the
        // whole file could have filled, so that a cut-off file keeps its last
        // volume at its size.
        const uint64_t spare = budget.spare(r->characterOffset());
        const uint64_t allowed =
            complete || !budget.bounded() ? spare : spare + uint64_t(budget.documentLength()) / 2;
        const uint64_t plane = sizeY * sizeZ;
        uint64_t keptX = sizeX;
        if (cellCount > allowed) {
            if (complete) {
                setErrorString(QStringLiteral("A cell volume in the document claims %1 x %2 x %3 cells, more than the "
                                              "file can hold. The file is damaged.")
                                   .arg(sizeX)
                                   .arg(sizeY)
                                   .arg(sizeZ));
                return boost::shared_ptr<Object>();
            }
            // Keep the x slices that were read, the last one perhaps in part.
            keptX = (filled + plane - 1) / plane;
            if (keptX == 0 || keptX * plane > allowed) {
                setErrorString(QStringLiteral("The cell volume of %1 x %2 x %3 cells the document breaks off in "
                                              "holds too few cells to be kept.")
                                   .arg(sizeX)
                                   .arg(sizeY)
                                   .arg(sizeZ));
                return boost::shared_ptr<Object>();
            }
        }
        volume = TotalVolume::create(unsigned(keptX), unsigned(sizeY), unsigned(sizeZ), cellX, cellY, cellZ,
                                     Util::Vector3D(), 0u, &error);
        if (!volume) {
            setErrorString(error);
            return boost::shared_ptr<Object>();
        }
        budget.allocate(keptX * plane);
        CellLock lock(*volume);
        Voxel *cells = lock.cells();
        const size_t n = size_t(std::min<uint64_t>(ids.size(), keptX * plane));
        for (size_t i = 0; i < n; ++i)
            cells[i].material = ids[i];
        if (keptX < sizeX)
            setErrorString(QStringLiteral("Of the cell volume of %1 x %2 x %3 cells the document breaks off in, the "
                                          "first %4 x %2 x %3 cells are kept.")
                               .arg(sizeX)
                               .arg(sizeY)
                               .arg(sizeZ)
                               .arg(keptX));
    }
    if (!complete && errorString().isEmpty())
        setErrorString(QStringLiteral("The cell volume of %1 x %2 x %3 cells the document breaks off in has %4 of "
                                      "its cells read; the others are empty.")
                           .arg(sizeX)
                           .arg(sizeY)
                           .arg(sizeZ)
                           .arg(filled));
    if (!dopantNote.isEmpty())
        setErrorString(errorString().isEmpty() ? dopantNote : errorString() + QLatin1Char(' ') + dopantNote);
    if (volume->getCellCount() == cellCount)
        volume->adoptDopants(std::move(dopants));
    volume->translate(position);
    volume->setUnitLength(unitLength);
    if (m_regenerateSurface)
        volume->getPainter().regenerate();
    return volume;
}

} // namespace Persistence
} // namespace Model
