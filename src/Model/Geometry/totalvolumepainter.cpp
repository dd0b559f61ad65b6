#include "totalvolumepainter.h"

#include "Model/Automaton/totalvolume.h"

#include <QMutexLocker>

#include <GL/gl.h>

#include <algorithm>

namespace Model {
namespace Geometry {

TotalVolumePainter::TotalVolumePainter(Automaton::TotalVolume *volume) : m_volume(volume)
{
    m_range.x1 = volume->getSizeX();
    m_range.y1 = volume->getSizeY();
    m_range.z1 = volume->getSizeZ();
}

TotalVolumePainter::~TotalVolumePainter() = default;

DrawRange TotalVolumePainter::getDrawRange() const
{
    QMutexLocker lock(&m_mutex);
    return m_range;
}

void TotalVolumePainter::setDrawRange(const DrawRange &range)
{
    QMutexLocker lock(&m_mutex);
    m_range = range;
}

void TotalVolumePainter::regenerate()
{
    // Geometry generation lands with the surface generators; until then a
    // volume is drawn by its outline only.
}

void TotalVolumePainter::draw(bool renderFaces, bool renderEdges, const Util::Vector3D &viewDirection)
{
    if (m_hidden)
        return;
    const Util::Vector3D p = m_volume->getPosition();
    glPushMatrix();
    glTranslated(p.x, p.y, p.z);
    if (renderEdges || renderFaces)
        drawBox();
    drawMasks();
    glPopMatrix();
}

void TotalVolumePainter::drawForPicking()
{
    if (m_hidden)
        return;
    const Util::Vector3D p = m_volume->getPosition();
    glPushMatrix();
    glTranslated(p.x, p.y, p.z);
    drawBox();
    glPopMatrix();
}

void TotalVolumePainter::drawBox()
{
    const double sx = m_volume->getSizeX() * double(m_volume->getCellSizeX());
    const double sy = m_volume->getSizeY() * double(m_volume->getCellSizeY());
    const double sz = m_volume->getSizeZ() * double(m_volume->getCellSizeZ());
    const Util::Vector3D c = m_volume->getOutlineColor();
    glColor3d(c.x, c.y, c.z);
    glBegin(GL_LINES);
    const double xs[2] = {0.0, sx}, ys[2] = {0.0, sy}, zs[2] = {0.0, sz};
    for (int a = 0; a < 2; ++a)
        for (int b = 0; b < 2; ++b) {
            glVertex3d(0.0, ys[a], zs[b]);
            glVertex3d(sx, ys[a], zs[b]);
            glVertex3d(xs[a], 0.0, zs[b]);
            glVertex3d(xs[a], sy, zs[b]);
            glVertex3d(xs[a], ys[b], 0.0);
            glVertex3d(xs[a], ys[b], sz);
        }
    glEnd();
}

void TotalVolumePainter::drawMasks()
{
    const float cx = m_volume->getCellSizeX();
    const float cy = m_volume->getCellSizeY();
    const float cz = m_volume->getCellSizeZ();
    struct MaskLayer
    {
        std::vector<bool> bits;
        Automaton::TotalVolume::MaskSize size;
        double height;
    };
    const MaskLayer layers[2] = {
        {m_volume->getTopMask(), m_volume->getTopMaskSize(), (m_volume->getSizeZ() + 5.0) * cz},
        {m_volume->getBottomMask(), m_volume->getBottomMaskSize(), -5.0 * cz}};

    bool any = false;
    for (const MaskLayer &layer : layers)
        any = any || std::find(layer.bits.begin(), layer.bits.end(), true) != layer.bits.end();
    if (!any)
        return;

    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
    glColor4d(0.2, 0.8, 0.2, 0.3);
    glBegin(GL_QUADS);
    for (const MaskLayer &layer : layers) {
        // Extents may differ from the volume's; only the part over the volume is drawn.
        const unsigned rows = std::min(layer.size.first, m_volume->getSizeX());
        const unsigned columns = std::min(layer.size.second, m_volume->getSizeY());
        for (unsigned i = 0; i < rows; ++i)
            for (unsigned j = 0; j < columns; ++j) {
                if (!layer.bits[size_t(i) * layer.size.second + j])
                    continue;
                const double x0 = i * cx, y0 = j * cy, h = layer.height;
                glVertex3d(x0, y0, h);
                glVertex3d(x0 + cx, y0, h);
                glVertex3d(x0 + cx, y0 + cy, h);
                glVertex3d(x0, y0 + cy, h);
            }
    }
    glEnd();
    glPopAttrib();
}

} // namespace Geometry
} // namespace Model
