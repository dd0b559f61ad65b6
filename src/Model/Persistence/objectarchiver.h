#pragma once

#include <boost/shared_ptr.hpp>

#include <QMap>
#include <QString>

class QXmlStreamReader;
class QXmlStreamWriter;

namespace Model {

class Object;

namespace Persistence {

class CellBudget;

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
    // The cells the whole document may still allocate, shared by the objects
    // of one read; none: the archiver bounds the object by its device alone.
    void setCellBudget(CellBudget *budget) { m_budget = budget; }
    // Writes the object's "Object" element; nothing when it is not this archiver's kind or no writer is set.
    virtual void write(const boost::shared_ptr<Object> &object) = 0;
    // Reads the object whose "Object" start element the reader stands on and
    // leaves the reader on its end element. Empty, with errorString() set, when
    // the element describes an object that must not be built (for example sizes
    // that cannot be allocated); the document is then refused, unless the
    // document broke off inside the element. An object returned with
    // errorString() set was read only in part; the text says what is missing.
    virtual boost::shared_ptr<Object> read() = 0;

    QString errorString() const { return m_error; }

protected:
    QXmlStreamWriter *writer() const { return m_writer; }
    QXmlStreamReader *reader() const { return m_reader; }
    const MaterialMap *materialMap() const { return m_materialMap; }
    CellBudget *cellBudget() const { return m_budget; }
    void setErrorString(const QString &error) { m_error = error; }

private:
    QXmlStreamWriter *m_writer = nullptr;
    QXmlStreamReader *m_reader = nullptr;
    const MaterialMap *m_materialMap = nullptr;
    CellBudget *m_budget = nullptr;
    QString m_error;
};

} // namespace Persistence
} // namespace Model
