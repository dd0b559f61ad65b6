#include "gdsiilibrary.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <set>
#include <unordered_map>

namespace Model {
namespace Layout {

namespace {

// Record types of the stream format this reader acts on; the rest are skipped.
enum Record : uint8_t {
    Header = 0x00,
    BeginLibrary = 0x01,
    LibraryName = 0x02,
    Units = 0x03,
    EndLibrary = 0x04,
    BeginStructure = 0x05,
    StructureName = 0x06,
    EndStructure = 0x07,
    BoundaryRecord = 0x08,
    PathRecord = 0x09,
    StructureReference = 0x0A,
    ArrayReferenceRecord = 0x0B,
    Text = 0x0C,
    LayerRecord = 0x0D,
    DataType = 0x0E,
    Width = 0x0F,
    XY = 0x10,
    EndElement = 0x11,
    ReferenceName = 0x12,
    ColumnsRows = 0x13,
    Node = 0x15,
    Transformation = 0x1A,
    Magnification = 0x1B,
    Angle = 0x1C,
    PathType = 0x21,
    BoxRecord = 0x2D,
    BeginExtension = 0x30,
    EndExtension = 0x31
};

// The vertices a single element may carry (the format's own limit is 8191 per XY
// record; several records are not allowed, but some writers emit more points).
const size_t MaxElementPoints = 1u << 20;

class Reader
{
public:
    Reader(const unsigned char *data, size_t size, QString &error) : m_data(data), m_size(size), m_error(error) {}

    bool read(std::string &name, double &metersPerUnit, double &userPerUnit, std::vector<LayoutStructure> &structures)
    {
        bool sawHeader = false, sawUnits = false, ended = false;
        LayoutStructure *structure = nullptr;
        LayoutElement element;
        bool inElement = false, skipElement = false;
        // A stream opens with a six-byte HEADER record; anything else is not a layout.
        if (m_size < 4 || m_data[0] != 0 || m_data[1] != 6 || m_data[2] != Header)
            return fail(QStringLiteral("it does not start with a GDSII header"));
        while (!ended) {
            if (!next())
                return false;
            if (!sawHeader) {
                if (m_type != Header)
                    return fail(QStringLiteral("it does not start with a GDSII header"));
                sawHeader = true;
                continue;
            }
            switch (m_type) {
            case LibraryName:
                name = text();
                break;
            case Units:
                if (m_length != 16 || m_dataType != 5)
                    return fail(QStringLiteral("its units record is malformed"));
                userPerUnit = real8(m_payload);
                metersPerUnit = real8(m_payload + 8);
                if (!(std::isfinite(metersPerUnit) && metersPerUnit > 0 && std::isfinite(userPerUnit) && userPerUnit > 0))
                    return fail(QStringLiteral("its database unit is not a positive length"));
                sawUnits = true;
                break;
            case BeginStructure:
                if (structure)
                    return fail(QStringLiteral("a structure begins inside another"));
                structures.emplace_back();
                structure = &structures.back();
                break;
            case StructureName:
                if (!structure)
                    return fail(QStringLiteral("a structure name stands outside a structure"));
                structure->name = text();
                break;
            case EndStructure:
                if (!structure || inElement)
                    return fail(QStringLiteral("a structure ends where none is open"));
                structure = nullptr;
                break;
            case BoundaryRecord:
            case PathRecord:
            case StructureReference:
            case ArrayReferenceRecord:
            case BoxRecord:
            case Text:
            case Node:
                if (!structure || inElement)
                    return fail(QStringLiteral("an element stands outside a structure or inside another"));
                inElement = true;
                skipElement = m_type == Text || m_type == Node;
                element = LayoutElement();
                element.kind = m_type == BoundaryRecord         ? LayoutElement::Boundary
                               : m_type == PathRecord           ? LayoutElement::Path
                               : m_type == BoxRecord            ? LayoutElement::Box
                               : m_type == StructureReference   ? LayoutElement::Reference
                                                                : LayoutElement::ArrayReference;
                break;
            case EndElement:
                if (!inElement)
                    return fail(QStringLiteral("an element ends where none began"));
                inElement = false;
                if (!skipElement) {
                    if (!checkElement(element))
                        return false;
                    structure->elements.push_back(std::move(element));
                }
                break;
            case LayerRecord:
                if (inElement)
                    element.key.layer = int16() & 0xffff;
                break;
            case DataType:
            case 0x2E: // BOXTYPE plays the datatype's part for boxes
                if (inElement)
                    element.key.datatype = int16() & 0xffff;
                break;
            case Width:
                if (inElement)
                    element.width = int32();
                break;
            case PathType:
                if (inElement)
                    element.pathType = int16();
                break;
            case BeginExtension:
                if (inElement)
                    element.beginExtension = int32();
                break;
            case EndExtension:
                if (inElement)
                    element.endExtension = int32();
                break;
            case ReferenceName:
                if (inElement)
                    element.structureName = text();
                break;
            case Transformation:
                if (inElement) {
                    const unsigned flags = unsigned(uint16());
                    element.reflected = (flags & 0x8000u) != 0;
                }
                break;
            case Magnification:
                if (inElement)
                    element.magnification = real8Value();
                break;
            case Angle:
                if (inElement)
                    element.angle = real8Value();
                break;
            case ColumnsRows:
                if (inElement) {
                    if (m_length < 4 || m_dataType != 2)
                        return fail(QStringLiteral("an array reference's columns and rows are malformed"));
                    element.columns = int16At(0);
                    element.rows = int16At(2);
                }
                break;
            case XY:
                if (inElement) {
                    if (m_dataType != 3 || m_length % 8 != 0)
                        return fail(QStringLiteral("a coordinate record is malformed"));
                    const size_t count = m_length / 8;
                    if (element.points.size() + count > MaxElementPoints)
                        return fail(QStringLiteral("an element has more than %1 vertices").arg(MaxElementPoints));
                    for (size_t i = 0; i < count; ++i)
                        element.points.push_back({int32At(8 * i), int32At(8 * i + 4)});
                }
                break;
            case EndLibrary:
                ended = true;
                break;
            default:
                break;
            }
            if (!m_error.isEmpty())
                return false;
        }
        if (structure || inElement)
            return fail(QStringLiteral("it ends inside a structure"));
        if (!sawUnits)
            return fail(QStringLiteral("it has no units record"));
        return true;
    }

private:
    bool fail(const QString &what)
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("The layout is damaged near byte %1: %2.").arg(qulonglong(m_recordStart)).arg(what);
        return false;
    }

    // Moves to the next record; false at the end of the bytes (before ENDLIB) or on a bad length.
    bool next()
    {
        m_recordStart = m_position;
        if (m_size - m_position < 4)
            return fail(QStringLiteral("it ends before the end-of-library record"));
        const unsigned length = (unsigned(m_data[m_position]) << 8) | m_data[m_position + 1];
        if (length < 4 || length % 2 != 0 || length > m_size - m_position)
            return fail(QStringLiteral("a record claims %1 bytes").arg(length));
        m_type = m_data[m_position + 2];
        m_dataType = m_data[m_position + 3];
        m_payload = m_data + m_position + 4;
        m_length = length - 4;
        m_position += length;
        return true;
    }

    std::string text() const
    {
        size_t n = m_length;
        while (n > 0 && m_payload[n - 1] == 0)
            --n;
        return std::string(reinterpret_cast<const char *>(m_payload), n);
    }

    int int16At(size_t offset) const
    {
        return int(int16_t(uint16_t((unsigned(m_payload[offset]) << 8) | m_payload[offset + 1])));
    }
    int32_t int32At(size_t offset) const
    {
        const uint32_t u = (uint32_t(m_payload[offset]) << 24) | (uint32_t(m_payload[offset + 1]) << 16) |
                           (uint32_t(m_payload[offset + 2]) << 8) | uint32_t(m_payload[offset + 3]);
        return int32_t(u);
    }
    int int16()
    {
        if (m_length < 2) {
            fail(QStringLiteral("a two-byte value is missing"));
            return 0;
        }
        return int16At(0);
    }
    unsigned uint16()
    {
        if (m_length < 2) {
            fail(QStringLiteral("a flags value is missing"));
            return 0;
        }
        return (unsigned(m_payload[0]) << 8) | m_payload[1];
    }
    int32_t int32()
    {
        if (m_length < 4) {
            fail(QStringLiteral("a four-byte value is missing"));
            return 0;
        }
        return int32At(0);
    }
    double real8Value()
    {
        if (m_length < 8 || m_dataType != 5) {
            fail(QStringLiteral("a real number is malformed"));
            return 0;
        }
        return real8(m_payload);
    }

    // The stream's excess-64, base-16 real: sign, 7-bit exponent, 56-bit mantissa.
    static double real8(const unsigned char *p)
    {
        const bool negative = (p[0] & 0x80) != 0;
        const int exponent = int(p[0] & 0x7f) - 64;
        uint64_t mantissa = 0;
        for (int i = 1; i < 8; ++i)
            mantissa = (mantissa << 8) | p[i];
        const double value = std::ldexp(double(mantissa), 4 * exponent - 56);
        return negative ? -value : value;
    }

    bool checkElement(const LayoutElement &e)
    {
        switch (e.kind) {
        case LayoutElement::Boundary:
            if (e.points.size() < 4)
                return fail(QStringLiteral("a boundary has fewer than four points"));
            break;
        case LayoutElement::Box:
            if (e.points.size() < 4)
                return fail(QStringLiteral("a box has fewer than four points"));
            break;
        case LayoutElement::Path:
            if (e.points.empty())
                return fail(QStringLiteral("a path has no points"));
            break;
        case LayoutElement::Reference:
        case LayoutElement::ArrayReference:
            if (e.structureName.empty())
                return fail(QStringLiteral("a reference names no structure"));
            if (e.kind == LayoutElement::Reference ? e.points.size() != 1 : e.points.size() != 3)
                return fail(QStringLiteral("a reference has the wrong number of points"));
            if (!(std::isfinite(e.magnification) && e.magnification > 0))
                return fail(QStringLiteral("a reference's magnification is not a positive number"));
            if (!std::isfinite(e.angle))
                return fail(QStringLiteral("a reference's angle is not a number"));
            if (e.kind == LayoutElement::ArrayReference && (e.columns < 1 || e.rows < 1))
                return fail(QStringLiteral("an array reference has no columns or no rows"));
            break;
        }
        return true;
    }

    const unsigned char *m_data;
    size_t m_size;
    QString &m_error;
    size_t m_position = 0;
    size_t m_recordStart = 0;
    uint8_t m_type = 0;
    uint8_t m_dataType = 0;
    const unsigned char *m_payload = nullptr;
    size_t m_length = 0;
};

} // namespace

bool GdsiiLibrary::parse(const char *data, size_t size, GdsiiLibrary &out, QString &error)
{
    error.clear();
    GdsiiLibrary library;
    Reader reader(reinterpret_cast<const unsigned char *>(data), data ? size : 0, error);
    if (!reader.read(library.m_name, library.m_metersPerUnit, library.m_userPerUnit, library.m_structures))
        return false;
    std::unordered_map<std::string, int> byName;
    for (size_t i = 0; i < library.m_structures.size(); ++i)
        if (!byName.emplace(library.m_structures[i].name, int(i)).second) {
            error = QStringLiteral("The layout is damaged: it holds two structures named \"%1\".")
                        .arg(QString::fromStdString(library.m_structures[i].name));
            return false;
        }
    for (LayoutStructure &s : library.m_structures)
        for (LayoutElement &e : s.elements)
            if (e.kind == LayoutElement::Reference || e.kind == LayoutElement::ArrayReference) {
                const auto it = byName.find(e.structureName);
                e.structure = it == byName.end() ? -1 : it->second;
            }
    out = std::move(library);
    return true;
}

bool GdsiiLibrary::readFile(const QString &fileName, GdsiiLibrary &out, QString &error)
{
    QFile file(fileName);
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("The layout file \"%1\" cannot be opened.").arg(fileName);
        return false;
    }
    if (file.size() > MaxFileBytes) {
        error = QStringLiteral("The layout file \"%1\" is larger than %2 MB.").arg(fileName).arg(MaxFileBytes >> 20);
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (!parse(bytes.constData(), size_t(bytes.size()), out, error)) {
        error = QStringLiteral("\"%1\": %2").arg(QFileInfo(fileName).fileName(), error);
        return false;
    }
    return true;
}

int GdsiiLibrary::structureIndex(const std::string &name) const
{
    for (size_t i = 0; i < m_structures.size(); ++i)
        if (m_structures[i].name == name)
            return int(i);
    return -1;
}

std::vector<int> GdsiiLibrary::topStructures() const
{
    std::vector<bool> referenced(m_structures.size(), false);
    for (const LayoutStructure &s : m_structures)
        for (const LayoutElement &e : s.elements)
            if (e.structure >= 0)
                referenced[size_t(e.structure)] = true;
    std::vector<int> tops;
    for (size_t i = 0; i < m_structures.size(); ++i)
        if (!referenced[i])
            tops.push_back(int(i));
    // Every structure is referenced only when they form cycles: offer them all.
    if (tops.empty())
        for (size_t i = 0; i < m_structures.size(); ++i)
            tops.push_back(int(i));
    return tops;
}

std::vector<LayerKey> GdsiiLibrary::layers(int structure) const
{
    std::set<LayerKey> keys;
    if (structure < 0 || size_t(structure) >= m_structures.size())
        return {};
    std::vector<bool> seen(m_structures.size(), false);
    std::vector<int> pending{structure};
    seen[size_t(structure)] = true;
    while (!pending.empty()) {
        const int s = pending.back();
        pending.pop_back();
        for (const LayoutElement &e : m_structures[size_t(s)].elements) {
            if (e.kind == LayoutElement::Reference || e.kind == LayoutElement::ArrayReference) {
                if (e.structure >= 0 && !seen[size_t(e.structure)]) {
                    seen[size_t(e.structure)] = true;
                    pending.push_back(e.structure);
                }
            } else {
                keys.insert(e.key);
            }
        }
    }
    return std::vector<LayerKey>(keys.begin(), keys.end());
}

} // namespace Layout
} // namespace Model
