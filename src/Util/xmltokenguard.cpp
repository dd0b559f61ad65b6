#include "xmltokenguard.h"

#include <QXmlStreamReader>

namespace Util {

namespace {

const char CommentHead[] = "<!--";
const char CDataHead[] = "<![CDATA[";

bool ends(quint32 tail, const char *three) // the last bytes equal the given ones
{
    const int n = int(qstrlen(three));
    quint32 want = 0;
    for (int i = 0; i < n; ++i)
        want = (want << 8) | quint8(three[i]);
    const quint32 mask = n >= 4 ? 0xffffffffu : ((1u << (8 * n)) - 1);
    return (tail & mask) == want;
}

bool isPrefixOf(const QByteArray &head, const char *text) { return QByteArray(text).startsWith(head); }

} // namespace

XmlTokenGuard::XmlTokenGuard(QIODevice *source, QXmlStreamReader &reader, qint64 markupLimit, qint64 textLimit)
    : m_source(source), m_reader(reader), m_markupLimit(markupLimit), m_textLimit(textLimit)
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    reader.setDevice(this);
}

bool XmlTokenGuard::isSequential() const { return m_source->isSequential(); }

qint64 XmlTokenGuard::size() const { return m_source->size(); }

void XmlTokenGuard::startMarkup()
{
    m_state = State::Open;
    m_head = "<";
    m_length = 1;
    m_pieceLine = m_line;
}

void XmlTokenGuard::endMarkup()
{
    m_state = State::Text;
    m_length = 0;
    m_pieceLine = m_line;
}

bool XmlTokenGuard::step(char c)
{
    m_tail = (m_tail << 8) | quint8(c);
    if (c == '\n')
        ++m_line;
    ++m_length;
    if (m_state != State::Text && m_length > m_markupLimit)
        return false;
    switch (m_state) {
    case State::Text:
        if (c == '<') {
            startMarkup();
            return true;
        }
        return m_length <= m_textLimit;
    case State::Open:
        m_head.append(c);
        if (m_head == "<?") {
            m_state = State::Instruction;
        } else if (m_head == CommentHead) {
            m_state = State::Comment;
        } else if (m_head == CDataHead) {
            m_state = State::CData;
        } else if (m_head.startsWith("<!")) {
            if (!isPrefixOf(m_head, CommentHead) && !isPrefixOf(m_head, CDataHead)) {
                m_state = State::Declaration;
                m_depth = 0;
                m_tail = 0;
                --m_length;
                return step(c);
            }
        } else {
            m_state = State::Tag;
            m_tail = 0;
            --m_length;
            return step(c);
        }
        m_tail = 0; // a terminator never overlaps the head ("<!-->" is no comment)
        break;
    case State::Tag:
        if (c == '"' || c == '\'') {
            m_quote = c;
            m_state = State::TagQuote;
        } else if (c == '>') {
            endMarkup();
            return true;
        }
        break;
    case State::TagQuote:
        if (c == m_quote)
            m_state = State::Tag;
        break;
    case State::Comment:
    case State::CData:
    case State::Instruction: {
        const char *terminator = m_state == State::Comment ? "-->" : m_state == State::CData ? "]]>" : "?>";
        if (ends(m_tail, terminator)) {
            endMarkup();
            return true;
        }
        break;
    }
    case State::Declaration:
        if (c == '"' || c == '\'') {
            m_quote = c;
            m_state = State::DeclarationQuote;
        } else if (c == '[') {
            ++m_depth;
        } else if (c == ']') {
            --m_depth;
        } else if (c == '>' && m_depth <= 0) {
            endMarkup();
            return true;
        }
        break;
    case State::DeclarationQuote:
        if (c == m_quote)
            m_state = State::Declaration;
        break;
    }
    return m_length <= m_markupLimit;
}

qint64 XmlTokenGuard::readData(char *data, qint64 maxSize)
{
    if (m_exceeded) {
        raise();
        return -1;
    }
    const qint64 n = m_source->read(data, maxSize);
    for (qint64 i = 0; i < n; ++i) {
        if (step(data[i]))
            continue;
        m_exceeded = true;
        const bool text = m_state == State::Text;
        m_refusal = QStringLiteral("a %1 starting at line %2 is longer than %3 characters, more than any valid "
                                   "file holds")
                        .arg(text ? QStringLiteral("text") : QStringLiteral("tag or value"))
                        .arg(m_pieceLine)
                        .arg(text ? m_textLimit : m_markupLimit);
        return i; // the bytes before it; the reader meets the refusal when it comes back for more
    }
    return n;
}

void XmlTokenGuard::raise() const
{
    // The reader may take the refusal for a premature end while it parses, or
    // overwrite it while it takes its first bytes: whoever asks next sees ours.
    if (m_reader.error() != QXmlStreamReader::CustomError)
        m_reader.raiseError(m_refusal);
}

bool XmlTokenGuard::atEnd() const
{
    // The source's own end: opened as text it drops carriage returns, so the
    // bytes passed on never add up to its size.
    if (!m_exceeded)
        return m_source->atEnd();
    raise();
    return true;
}

} // namespace Util
