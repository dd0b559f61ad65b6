#include "dopantarchive.h"

#include "Model/Automaton/totalvolume.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cmath>
#include <cstring>
#include <vector>

namespace Model {
namespace Persistence {

using Automaton::CellLock;
using Automaton::DopantFields;

namespace {

// Base64 text, which may arrive in pieces, turned into float32 values.
class FloatDecoder
{
public:
    explicit FloatDecoder(std::vector<float> &out, uint64_t limit) : m_out(out), m_limit(limit) {}

    bool feed(const QStringRef &text)
    {
        for (const QChar ch : text) {
            const ushort c = ch.unicode();
            if (c == ' ' || c == '\n' || c == '\r' || c == '\t')
                continue;
            if (m_ended) {
                if (c == '=' && ++m_padding + m_quad <= 4)
                    continue;
                return fail(); // nothing but padding may follow the padding
            }
            int v;
            if (c >= 'A' && c <= 'Z')
                v = c - 'A';
            else if (c >= 'a' && c <= 'z')
                v = c - 'a' + 26;
            else if (c >= '0' && c <= '9')
                v = c - '0' + 52;
            else if (c == '+')
                v = 62;
            else if (c == '/')
                v = 63;
            else if (c == '=' && m_quad >= 2) {
                m_ended = true;
                m_padding = 1;
                continue;
            } else
                return fail();
            m_bits = (m_bits << 6) | uint32_t(v);
            if (++m_quad == 4) {
                for (int k = 2; k >= 0; --k)
                    if (!byte(uint8_t(m_bits >> (8 * k))))
                        return false;
                m_quad = 0;
                m_bits = 0;
            }
        }
        return true;
    }

    // True when the text ended on a whole value.
    bool finish()
    {
        if (m_bad || m_quad == 1)
            return false;
        // Padding leaves one (xx==) or two (xxx=) trailing bytes.
        if (m_quad == 2 && !byte(uint8_t(m_bits >> 4)))
            return false;
        if (m_quad == 3 && (!byte(uint8_t(m_bits >> 10)) || !byte(uint8_t(m_bits >> 2))))
            return false;
        return m_filled == 0;
    }
    bool malformed() const { return m_bad; }
    bool tooMany() const { return m_tooMany; }

private:
    bool fail()
    {
        m_bad = true;
        return false;
    }
    bool byte(uint8_t b)
    {
        m_word[m_filled++] = b;
        if (m_filled < 4)
            return true;
        m_filled = 0;
        if (m_out.size() >= m_limit) {
            m_tooMany = true;
            return false;
        }
        const uint32_t u = uint32_t(m_word[0]) | uint32_t(m_word[1]) << 8 | uint32_t(m_word[2]) << 16 |
                           uint32_t(m_word[3]) << 24;
        float f;
        std::memcpy(&f, &u, sizeof f);
        m_out.push_back(f);
        return true;
    }

    std::vector<float> &m_out;
    uint64_t m_limit;
    uint32_t m_bits = 0;
    int m_quad = 0;
    uint8_t m_word[4] = {0, 0, 0, 0};
    int m_filled = 0;
    bool m_ended = false;
    int m_padding = 0;
    bool m_bad = false;
    bool m_tooMany = false;
};

bool failWith(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

void writeDopants(QXmlStreamWriter &writer, Automaton::TotalVolume &volume)
{
    CellLock lock(volume);
    const DopantFields &fields = lock.dopants();
    for (int species : fields.present()) {
        const std::vector<float> &field = fields.field(species);
        writer.writeStartElement(QStringLiteral("Dopant"));
        writer.writeAttribute(QStringLiteral("species"), DopantFields::speciesName(species));
        writer.writeAttribute(QStringLiteral("cells"), QString::number(field.size()));
        // Chunks of a multiple of three bytes join into one base64 text without padding between them.
        constexpr size_t ChunkValues = size_t(3) << 14;
        QByteArray bytes;
        for (size_t start = 0; start < field.size(); start += ChunkValues) {
            const size_t n = std::min(ChunkValues, field.size() - start);
            bytes.resize(int(n * 4));
            char *out = bytes.data();
            for (size_t i = 0; i < n; ++i) {
                uint32_t u;
                std::memcpy(&u, &field[start + i], sizeof u);
                out[4 * i] = char(u & 0xff);
                out[4 * i + 1] = char((u >> 8) & 0xff);
                out[4 * i + 2] = char((u >> 16) & 0xff);
                out[4 * i + 3] = char(u >> 24);
            }
            writer.writeCharacters(QString::fromLatin1(bytes.toBase64()));
        }
        writer.writeEndElement();
    }
}

bool readDopant(QXmlStreamReader &reader, uint64_t cellCount, DopantFields &fields, QString *error)
{
    const QString name = reader.attributes().value(QLatin1String("species")).toString();
    const int species = DopantFields::speciesNamed(name);
    bool ok = false;
    const uint64_t cells = reader.attributes().value(QLatin1String("cells")).toULongLong(&ok, 10);
    QString fault;
    if (species < 0)
        fault = QStringLiteral("A dopant field in the document names the species \"%1\"; the species are %2.")
                    .arg(name, DopantFields::speciesNames().join(QStringLiteral(", ")));
    else if (fields.has(species))
        fault = QStringLiteral("A cell volume in the document holds two %1 dopant fields.")
                    .arg(DopantFields::speciesName(species));
    else if (!ok || cells != cellCount)
        fault = QStringLiteral("The %1 dopant field in the document claims %2 cells where its volume has %3.")
                    .arg(DopantFields::speciesName(species),
                         reader.attributes().value(QLatin1String("cells")).toString())
                    .arg(cellCount);
    if (!fault.isEmpty()) {
        reader.skipCurrentElement();
        return failWith(error, fault);
    }

    std::vector<float> values;
    FloatDecoder decoder(values, cellCount);
    bool good = true;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::Characters) {
            if (good)
                good = decoder.feed(reader.text());
        } else if (token == QXmlStreamReader::StartElement) {
            reader.skipCurrentElement();
            good = false;
        } else if (token == QXmlStreamReader::EndElement) {
            break;
        }
    }
    const QString speciesName = DopantFields::speciesName(species);
    if (reader.hasError())
        return failWith(error, QStringLiteral("The document breaks off inside the %1 dopant field, which is left out.")
                                   .arg(speciesName));
    const bool whole = good && decoder.finish();
    if (decoder.tooMany())
        return failWith(error, QStringLiteral("The %1 dopant field in the document holds more than the %2 values of "
                                              "its volume.")
                                   .arg(speciesName)
                                   .arg(cellCount));
    if (!whole)
        return failWith(error, QStringLiteral("The %1 dopant field in the document is not base64 text of whole "
                                              "float values.")
                                   .arg(speciesName));
    if (values.size() != cellCount)
        return failWith(error, QStringLiteral("The %1 dopant field in the document holds %2 values where its volume "
                                              "has %3 cells.")
                                   .arg(speciesName)
                                   .arg(values.size())
                                   .arg(cellCount));
    for (size_t i = 0; i < values.size(); ++i)
        if (!std::isfinite(values[i]) || values[i] < 0.0f)
            return failWith(error, QStringLiteral("The %1 dopant field in the document holds %2 at cell %3; a "
                                                  "concentration is a finite number of at least 0 cm^-3.")
                                       .arg(speciesName)
                                       .arg(double(values[i]))
                                       .arg(i));
    fields.make(species, 0).swap(values);
    return true;
}

} // namespace Persistence
} // namespace Model
