#pragma once

#include "Util/vector3d.h"

#include <boost/shared_ptr.hpp>

#include <QList>
#include <QMutex>
#include <QString>

namespace Model {

class Layer;
class Object;

// Every scene object of one open document. The view draws from the GUI thread
// while operations change the list, hence the objects lock.
class Document
{
public:
    Document();
    ~Document();
    Document(const Document &) = delete;
    Document &operator=(const Document &) = delete;

    void addObject(const boost::shared_ptr<Object> &object);
    // GUI thread only; takes no lock.
    void removeObject(const boost::shared_ptr<Object> &object);
    QList<boost::shared_ptr<Object>> getObjects() const;
    boost::shared_ptr<Object> findObject(int id) const;

    // Draws every object, or its picking geometry under its id while GL is in selection mode.
    void drawAll(bool renderFaces, bool renderEdges, const Util::Vector3D &viewDirection);
    void drawAllForPicking();

    // Drops every layer and starts again with an empty layer 0 and no file name.
    void clear();

    QString getFileName() const;
    void setFileName(const QString &fileName);

    QList<boost::shared_ptr<Layer>> getLayers() const;
    boost::shared_ptr<Layer> getCurrentLayer() const;

private:
    mutable QMutex m_objectsLock;
    mutable QMutex m_nameLock;
    QList<boost::shared_ptr<Layer>> m_layers;
    boost::shared_ptr<Layer> m_currentLayer;
    QString m_fileName;
};

} // namespace Model
