#pragma once

#include <boost/shared_ptr.hpp>

#include <QMap>
#include <QString>

class QXmlStreamReader;
class QXmlStreamWriter;

namespace Model {

class Object;

namespace Persistence {

// Writes and reads one kind of scene object as an "Object" element of a document.
class ObjectArchiver
{
public:
    typedef QMap<unsigned, unsigned> MaterialMap; // loaded material id -> catalogue id

    ObjectArchiver();
    virtual ~ObjectArchiver();
    ObjectArchiver(const ObjectArchiver &) = delete;
    ObjectArchiver &operator=(const ObjectArchiver &) = delete;

    virtual void setWriter(QXmlStreamWriter *writer) { m_writer = writer; }
    virtual void setReader(QXmlStreamReader *reader) { m_reader = reader; }
    // The id translation read() applies to material ids; none by default.
    virtual void setMaterialMap(const MaterialMap *map) { m_materialMap = map; }
    // Writes the object's "Object" element; nothing when it is not this archiver's kind or no writer is set.
    virtual void write(const boost::shared_ptr<Object> &object) = 0;
    // Reads the object whose "Object" start element the reader stands on and
    // leaves the reader on its end element. Empty, with errorString() set, when
    // the element describes an object that must not be built (for example sizes
    // that cannot be allocated); the document is then refused.
    virtual boost::shared_ptr<Object> read() = 0;

    QString errorString() const { return m_error; }

protected:
    QXmlStreamWriter *writer() const { return m_writer; }
    QXmlStreamReader *reader() const { return m_reader; }
    const MaterialMap *materialMap() const { return m_materialMap; }
    void setErrorString(const QString &error) { m_error = error; }

private:
    QXmlStreamWriter *m_writer = nullptr;
    QXmlStreamReader *m_reader = nullptr;
    const MaterialMap *m_materialMap = nullptr;
    QString m_error;
};

} // namespace Persistence
} // namespace Model
