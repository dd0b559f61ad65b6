#include "selection.h"

#include "Model/document.h"
#include "Model/object.h"
#include "pickrequests.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <vector>

namespace Core {
namespace Operations {

Selection::Selection(Model::Document *document, PickRequests *picks) : m_document(document), m_picks(picks) {}

void Selection::setSelectionMode(bool mode)
{
    if (mode == m_selectionMode)
        return;
    m_selectionMode = mode;
    if (!mode)
        clear();
    const QList<boost::shared_ptr<Util::IObserver>> observers = m_modeObservers;
    for (const boost::shared_ptr<Util::IObserver> &observer : observers)
        observer->notify();
}

void Selection::clear()
{
    for (const boost::shared_ptr<Model::Object> &object : m_selected)
        object->setSelected(false);
    m_selected.clear();
    publish();
}

void Selection::dropMissing()
{
    const QList<boost::shared_ptr<Model::Object>> present = m_document->getObjects();
    QList<boost::shared_ptr<Model::Object>> kept;
    for (const boost::shared_ptr<Model::Object> &object : m_selected) {
        if (present.contains(object))
            kept.append(object);
        else
            object->setSelected(false);
    }
    m_selected = kept;
    publish();
}

bool Selection::toggleByIds(const QList<int> &ids)
{
    bool any = false;
    for (int id : ids) {
        const boost::shared_ptr<Model::Object> object = m_document->findObject(id);
        if (!object)
            continue;
        any = true;
        if (object->isSelected()) {
            object->setSelected(false);
            m_selected.removeAll(object);
        } else {
            object->setSelected(true);
            m_selected.append(object);
        }
    }
    return any;
}

bool Selection::pick(int x, int y)
{
    if (!m_selectionMode)
        return false;

    const GLsizei capacity = 2048;
    std::vector<GLuint> buffer(capacity, 0);
    glSelectBuffer(capacity, buffer.data());
    GLint viewport[4];
    GLdouble projection[16], modelView[16];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPickMatrix(GLdouble(x), GLdouble(viewport[1] + viewport[3] - y), 4.0, 4.0, viewport);
    glMultMatrixd(projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixd(modelView);

    glRenderMode(GL_SELECT);
    glInitNames();
    m_document->drawAllForPicking();
    GLint hits = glRenderMode(GL_RENDER);

    // An overflowing buffer reports -1, yet its first record is complete
    // whenever it fits: a crowded scene still picks.
    if (hits < 0 && buffer[0] > 0 && buffer[0] + 3 <= GLuint(capacity))
        hits = 1;
    bool result = false;
    if (hits > 0) {
        QList<int> ids;
        const GLuint names = buffer[0];
        for (GLuint i = 0; i < names && 3 + i < GLuint(capacity); ++i)
            ids.append(int(buffer[3 + i]));
        result = toggleByIds(ids);
    }

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    publish();
    return result;
}

void Selection::publish() { m_picks->setSelected(m_selected); }

void Selection::addModeObserver(const boost::shared_ptr<Util::IObserver> &observer)
{
    if (observer)
        m_modeObservers.append(observer);
}

} // namespace Operations
} // namespace Core
