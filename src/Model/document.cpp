#include "document.h"

#include "layer.h"
#include "object.h"

#include <QMutexLocker>

#include <GL/gl.h>

namespace Model {

Document::Document()
{
    m_currentLayer.reset(new Layer(0));
    m_layers.append(m_currentLayer);
}

Document::~Document() = default;

void Document::addObject(const boost::shared_ptr<Object> &object)
{
    QMutexLocker lock(&m_objectsLock);
    m_currentLayer->objects().append(object);
}

void Document::removeObject(const boost::shared_ptr<Object> &object)
{
    QMutexLocker lock(&m_objectsLock);
    m_currentLayer->objects().removeAll(object);
}

QList<boost::shared_ptr<Object>> Document::getObjects() const
{
    QMutexLocker lock(&m_objectsLock);
    QList<boost::shared_ptr<Object>> all;
    for (const boost::shared_ptr<Layer> &layer : m_layers)
        all.append(layer->objects());
    return all;
}

boost::shared_ptr<Object> Document::findObject(int id) const
{
    QMutexLocker lock(&m_objectsLock);
    for (const boost::shared_ptr<Layer> &layer : m_layers)
        for (const boost::shared_ptr<Object> &object : layer->objects())
            if (object && object->getId() == id)
                return object;
    return boost::shared_ptr<Object>();
}

void Document::drawAll(bool renderFaces, bool renderEdges, const Util::Vector3D &viewDirection)
{
    QMutexLocker lock(&m_objectsLock);
    GLint mode = GL_RENDER;
    glGetIntegerv(GL_RENDER_MODE, &mode);
    for (const boost::shared_ptr<Layer> &layer : m_layers) {
        for (const boost::shared_ptr<Object> &object : layer->objects()) {
            if (mode == GL_RENDER) {
                object->draw(renderFaces, renderEdges, viewDirection);
            } else if (mode == GL_SELECT) {
                glPushName(GLuint(object->getId()));
                object->drawForPicking();
                glPopName();
            }
        }
    }
}

void Document::drawAllForPicking()
{
    QMutexLocker lock(&m_objectsLock);
    for (const boost::shared_ptr<Layer> &layer : m_layers) {
        for (const boost::shared_ptr<Object> &object : layer->objects()) {
            glPushName(GLuint(object->getId()));
            object->drawForPicking();
            glPopName();
        }
    }
}

void Document::clear()
{
    {
        QMutexLocker lock(&m_objectsLock);
        m_layers.clear();
        m_currentLayer.reset(new Layer(0));
        m_layers.append(m_currentLayer);
    }
    setFileName(QString());
}

QString Document::getFileName() const
{
    QMutexLocker lock(&m_nameLock);
    return m_fileName;
}

void Document::setFileName(const QString &fileName)
{
    QMutexLocker lock(&m_nameLock);
    m_fileName = fileName;
}

QList<boost::shared_ptr<Layer>> Document::getLayers() const
{
    QMutexLocker lock(&m_objectsLock);
    return m_layers;
}

boost::shared_ptr<Layer> Document::getCurrentLayer() const
{
    QMutexLocker lock(&m_objectsLock);
    return m_currentLayer;
}

} // namespace Model
