#pragma once

#include <QIODevice>
#include <QString>

class QXmlStreamReader;

namespace Util {

// Stands between a file and a QXmlStreamReader and refuses any single tag
// (with all its attributes), comment, CDATA section, declaration or run of text
// longer than a limit. QXmlStreamReader holds such a piece whole in memory
// before it returns it, so a file with a value of a billion characters made it
// allocate gigabytes and throw std::bad_alloc. The guard scans the bytes as
// they pass; at the first piece over its limit it raises an error on the
// reader (its errorString() then says what was refused and where) and ends the
// input, so a reader's usual error path reports it.
//
// Usage: QXmlStreamReader reader; Util::XmlTokenGuard guard(&file, reader);
// The guard sets itself as the reader's device and reports the file's own size
// and sequential-ness, so size checks against the file keep working.
class XmlTokenGuard : public QIODevice
{
public:
    // The longest legitimate tag holds a mask with one character per column
    // of a cell volume; 128 Mi characters is a mask of over 11,000 x 11,000.
    static constexpr qint64 DefaultMarkupLimit = qint64(1) << 27;
    // Catalogues and process lists hold short texts only.
    static constexpr qint64 DefaultTextLimit = qint64(1) << 27;
    // A document's cell text grows with its volume; this is about what one
    // QString can hold at all (2^30 characters), so no readable document is refused.
    static constexpr qint64 LongestText = (qint64(1) << 30) - 4096;

    XmlTokenGuard(QIODevice *source, QXmlStreamReader &reader, qint64 markupLimit = DefaultMarkupLimit,
                  qint64 textLimit = DefaultTextLimit);

    bool exceeded() const { return m_exceeded; }
    // The file the guard reads from, for readers that go back over it
    // themselves (a document's trailing cell text after a premature end).
    QIODevice *source() const { return m_source; }
    // What was refused, as the reader's error string says it; empty when nothing was.
    QString refusal() const { return m_refusal; }

    bool atEnd() const override;
    bool isSequential() const override;
    qint64 size() const override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    enum class State { Text, Open, Tag, TagQuote, Comment, CData, Instruction, Declaration, DeclarationQuote };

    // Advances the scanner over one byte; false when the piece it belongs to
    // has grown beyond its limit.
    bool step(char c);
    void startMarkup();
    void endMarkup();
    void raise() const;

    QIODevice *m_source;
    QXmlStreamReader &m_reader;
    const qint64 m_markupLimit;
    const qint64 m_textLimit;

    State m_state = State::Text;
    char m_quote = 0;
    int m_depth = 0;         // brackets open inside a declaration
    QByteArray m_head;       // the first bytes of markup, to tell comments and CDATA apart
    quint32 m_tail = 0;      // the last three bytes, for "-->", "]]>" and "?>"
    qint64 m_length = 0;     // bytes of the current piece
    qint64 m_line = 1;       // line of the byte being scanned
    qint64 m_pieceLine = 1;  // line where the current piece began
    bool m_exceeded = false;
    QString m_refusal;
};

} // namespace Util
