#include "cellsnapshot.h"

#include "Model/Automaton/totalvolume.h"
#include "workspace.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QtDebug>

#include <cctype>
#include <charconv>
#include <cstring>
#include <limits>
#include <utility>

namespace Core {
namespace Operations {

using Model::Automaton::CellLock;
using Model::Automaton::MaterialRuns;
using Model::Automaton::TotalVolume;
using Model::Automaton::Voxel;

namespace {

constexpr size_t ChunkSize = size_t(1) << 20;

// Buffered reading of a scratch file, which may hold many long lines.
class Reader
{
public:
    explicit Reader(QFile &file) : m_file(file), m_buffer(ChunkSize) {}

    int peek()
    {
        if (m_pos == m_end && !refill())
            return -1;
        return static_cast<unsigned char>(m_buffer[m_pos]);
    }
    void advance() { ++m_pos; }
    bool atEnd() { return peek() < 0; }

    void skipBlanks()
    {
        for (int c = peek(); c == ' ' || c == '\t' || c == '\r'; c = peek())
            advance();
    }
    void skipWhitespace()
    {
        for (int c = peek(); c >= 0 && std::isspace(c); c = peek())
            advance();
    }
    // A word of at most maxLength characters; a longer one comes back truncated,
    // which can never equal a key of maxLength - 1 characters.
    QByteArray readWord(int maxLength)
    {
        skipWhitespace();
        QByteArray word;
        for (int c = peek(); c >= 0 && !std::isspace(c); c = peek()) {
            if (word.size() >= maxLength)
                break;
            word.append(char(c));
            advance();
        }
        return word;
    }
    void skipLine()
    {
        while (true) {
            if (m_pos == m_end && !refill())
                return;
            const char *start = m_buffer.data() + m_pos;
            const void *nl = std::memchr(start, '\n', m_end - m_pos);
            if (nl) {
                m_pos += static_cast<const char *>(nl) - start + 1;
                return;
            }
            m_pos = m_end;
        }
    }
    // An unsigned 32-bit number on the current line, after blanks.
    bool readUInt(uint32_t &value)
    {
        skipBlanks();
        uint64_t v = 0;
        int digits = 0;
        for (int c = peek(); c >= '0' && c <= '9'; c = peek()) {
            v = v * 10 + unsigned(c - '0');
            if (v > std::numeric_limits<uint32_t>::max())
                return false;
            ++digits;
            advance();
        }
        if (digits == 0)
            return false;
        const int next = peek();
        if (next >= 0 && !std::isspace(next))
            return false;
        value = uint32_t(v);
        return true;
    }
    bool readInt(qint64 &value)
    {
        skipWhitespace();
        bool negative = false;
        if (peek() == '-' || peek() == '+') {
            negative = peek() == '-';
            advance();
        }
        uint32_t magnitude = 0;
        if (!readUInt(magnitude))
            return false;
        value = negative ? -qint64(magnitude) : qint64(magnitude);
        return true;
    }

private:
    bool refill()
    {
        const qint64 n = m_file.read(m_buffer.data(), qint64(m_buffer.size()));
        m_pos = 0;
        m_end = n > 0 ? size_t(n) : 0;
        return m_end > 0;
    }

    QFile &m_file;
    std::vector<char> m_buffer;
    size_t m_pos = 0;
    size_t m_end = 0;
};

// Reads the numbers of a line whose key and serial have been matched; the
// whole line must hold them, or nothing is returned.
bool readMaterials(Reader &reader, uint64_t cellCount, Util::LargeArray<uint32_t> &out)
{
    Util::LargeArray<uint32_t> values(cellCount);
    for (uint64_t i = 0; i < cellCount; ++i)
        if (!reader.readUInt(values[i]))
            return false;
    out = std::move(values);
    return true;
}

// What a line holds: every cell's material, or runs of the cells a step changed.
struct LineContent
{
    bool isRuns = false;
    Util::LargeArray<uint32_t> materials;
    std::vector<MaterialRuns::Run> runs;
};

// "* <cell count> <run count>" and the runs, each inside the volume.
bool readRuns(Reader &reader, uint64_t cellCount, std::vector<MaterialRuns::Run> &out)
{
    uint32_t count = 0, n = 0;
    if (!reader.readUInt(count) || count != cellCount || !reader.readUInt(n))
        return false;
    std::vector<MaterialRuns::Run> runs;
    // Grown as the line is read, so a run count the line does not hold allocates nothing.
    for (uint32_t r = 0; r < n; ++r) {
        MaterialRuns::Run run;
        if (!reader.readUInt(run.start) || !reader.readUInt(run.length) || !reader.readUInt(run.material) ||
            uint64_t(run.start) + run.length > cellCount)
            return false;
        runs.push_back(run);
    }
    reader.skipBlanks();
    const int next = reader.peek();
    if (next >= 0 && next != '\n')
        return false; // more on the line than it said
    out.swap(runs);
    return true;
}

bool matchLineAt(Reader &reader, const QByteArray &key, int serial, uint64_t cellCount, LineContent &out,
                 bool *matchedHeader)
{
    *matchedHeader = false;
    if (reader.readWord(key.size() + 1) != key)
        return false;
    qint64 number = 0;
    if (!reader.readInt(number) || number != serial)
        return false;
    *matchedHeader = true;
    reader.skipBlanks();
    if (reader.peek() == '*') {
        reader.advance();
        out.isRuns = true;
        return readRuns(reader, cellCount, out.runs);
    }
    out.isRuns = false;
    return readMaterials(reader, cellCount, out.materials);
}

bool readContent(const QString &fileName, const QString &key, int serial, uint64_t cellCount, LineContent &out,
                 qint64 hint)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray keyBytes = key.toUtf8();
    if (hint >= 0 && hint < file.size() && file.seek(hint)) {
        Reader reader(file);
        bool matchedHeader = false;
        if (matchLineAt(reader, keyBytes, serial, cellCount, out, &matchedHeader))
            return true;
        if (matchedHeader)
            return false; // our own line, but damaged
        file.seek(0);
    }
    Reader reader(file);
    while (!reader.atEnd()) {
        bool matchedHeader = false;
        if (matchLineAt(reader, keyBytes, serial, cellCount, out, &matchedHeader))
            return true;
        if (matchedHeader)
            return false;
        reader.skipLine();
    }
    return false;
}

// Appends one line made by body(write); a line that could not be written whole is taken back.
template <class Body>
bool appendLine(const QString &fileName, const QByteArray &header, qint64 *offset, Body body)
{
    if (fileName.isEmpty())
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const qint64 start = file.size();
    bool ok = true;
    std::vector<char> buffer(ChunkSize + 64);
    size_t used = 0;
    auto flushBuffer = [&]() {
        if (ok && used > 0 && file.write(buffer.data(), qint64(used)) != qint64(used))
            ok = false;
        used = 0;
    };
    auto number = [&](uint32_t m) {
        if (used > ChunkSize)
            flushBuffer();
        buffer[used++] = ' ';
        if (m < 10) {
            buffer[used++] = char('0' + m);
        } else {
            const std::to_chars_result r = std::to_chars(buffer.data() + used, buffer.data() + used + 16, m);
            used = size_t(r.ptr - buffer.data());
        }
    };
    if (file.write(header) != header.size())
        ok = false;
    body(number);
    buffer[used++] = '\n';
    flushBuffer();
    if (ok && !file.flush())
        ok = false;
    if (!ok || file.error() != QFileDevice::NoError) {
        // Never leave half a line: it would run into the next snapshot's line.
        file.resize(start);
        qWarning() << "Core/Operations/cellsnapshot" << Q_FUNC_INFO << "cannot write to" << fileName << ":"
                   << file.errorString();
        return false;
    }
    if (offset)
        *offset = start;
    return true;
}

QHash<QString, int> &serialCounters()
{
    static QHash<QString, int> counters;
    return counters;
}

} // namespace

CellSnapshot::CellSnapshot(const QString &key, Workspace *workspace)
    : m_key(key), m_serial(nextSerial(key)), m_workspace(workspace)
{
}

int CellSnapshot::nextSerial(const QString &key)
{
    static QMutex mutex;
    QMutexLocker lock(&mutex);
    int &counter = serialCounters()[key];
    return counter++;
}

bool CellSnapshot::append(const QString &fileName, const QString &key, int serial, TotalVolume &volume,
                          qint64 *offset)
{
    if (fileName.isEmpty())
        return false;
    // Copy under the cell lock, format without it: drawing and other volumes need not wait for the disk.
    Util::LargeArray<uint32_t> materials;
    try {
        materials = Util::LargeArray<uint32_t>(size_t(volume.getCellCount()));
    } catch (const std::bad_alloc &) {
        return false;
    }
    {
        CellLock lock(volume);
        const Voxel *cells = lock.cells();
        for (size_t i = 0; i < materials.size(); ++i)
            materials[i] = cells[i].material;
    }
    const QByteArray header = key.toUtf8() + ' ' + QByteArray::number(serial);
    return appendLine(fileName, header, offset, [&](auto &number) {
        for (uint32_t m : materials)
            number(m);
    });
}

bool CellSnapshot::appendRuns(const QString &fileName, const QString &key, int serial, uint64_t cellCount,
                              const std::vector<MaterialRuns::Run> &runs, qint64 *offset)
{
    if (cellCount > std::numeric_limits<uint32_t>::max() || runs.size() > std::numeric_limits<uint32_t>::max())
        return false;
    const QByteArray header = key.toUtf8() + ' ' + QByteArray::number(serial) + " *";
    return appendLine(fileName, header, offset, [&](auto &number) {
        number(uint32_t(cellCount));
        number(uint32_t(runs.size()));
        for (const MaterialRuns::Run &run : runs) {
            number(run.start);
            number(run.length);
            number(run.material);
        }
    });
}

bool CellSnapshot::readLine(const QString &fileName, const QString &key, int serial, uint64_t cellCount,
                            Util::LargeArray<uint32_t> &out, qint64 hint)
{
    LineContent content;
    if (!readContent(fileName, key, serial, cellCount, content, hint) || content.isRuns)
        return false;
    out = std::move(content.materials);
    return true;
}

bool CellSnapshot::restore(const QString &fileName, const QString &key, int serial, TotalVolume &volume, qint64 hint,
                           bool rebuildSurface)
{
    LineContent content;
    const bool found = readContent(fileName, key, serial, volume.getCellCount(), content, hint);
    if (found && content.isRuns) {
        MaterialRuns::apply(volume, content.runs);
    } else if (found) {
        CellLock lock(volume);
        Voxel *cells = lock.cells();
        for (size_t i = 0; i < content.materials.size(); ++i)
            cells[i].material = content.materials[i];
    } else {
        qWarning() << "Core/Operations/cellsnapshot" << Q_FUNC_INFO << "no complete line for" << key << serial
                   << "in" << fileName << "- cells left unchanged";
    }
    if (rebuildSurface)
        volume.getPainter().regenerate();
    return found;
}

bool CellSnapshot::saveBefore(TotalVolume &volume)
{
    if (!m_workspace)
        return false;
    m_beforeOffset = -1;
    m_afterOffset = -1;
    return m_before.capture(volume);
}

bool CellSnapshot::saveAfter(TotalVolume &volume)
{
    if (!m_workspace || m_before.isEmpty())
        return false;
    std::vector<MaterialRuns::Run> before, after;
    if (!m_before.changes(volume, before, after))
        return false;
    const uint64_t count = volume.getCellCount();
    struct
    {
        QString undo, redo;
    } files = {m_workspace->persistence().undoFileName(), m_workspace->persistence().redoFileName()};
    qint64 undoOffset = -1, redoOffset = -1;
    if (!appendRuns(files.undo, m_key, m_serial, count, before, &undoOffset))
        return false;
    if (!appendRuns(files.redo, m_key, m_serial, count, after, &redoOffset))
        return false; // the undo line is there but unused: the copy in memory still serves undo
    m_beforeOffset = undoOffset;
    m_afterOffset = redoOffset;
    m_before.clear();
    return true;
}

bool CellSnapshot::undoRestore(TotalVolume &volume, bool rebuildSurface)
{
    if (!m_workspace)
        return false;
    if (m_beforeOffset < 0) {
        if (m_before.isEmpty() || m_before.cellCount() != volume.getCellCount())
            return false;
        m_before.restore(volume);
        if (rebuildSurface)
            volume.getPainter().regenerate();
        return true;
    }
    return restore(m_workspace->persistence().undoFileName(), m_key, m_serial, volume, m_beforeOffset, rebuildSurface);
}

bool CellSnapshot::redoRestore(TotalVolume &volume, bool rebuildSurface)
{
    if (!m_workspace || m_afterOffset < 0)
        return false;
    return restore(m_workspace->persistence().redoFileName(), m_key, m_serial, volume, m_afterOffset, rebuildSurface);
}

} // namespace Operations
} // namespace Core
