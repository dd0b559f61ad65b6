#include "colorscalelegend.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/Geometry/fieldpainter.h"
#include "Util/defaultcolors.h"

#include <QFont>
#include <QGLWidget>

#include <GL/gl.h>

#include <algorithm>

namespace Ui {

using Model::Geometry::FieldPainter;
using Model::Geometry::VisualizationOptions;

bool ColorScaleLegend::update(const QList<boost::shared_ptr<Model::Object>> &objects)
{
    m_visible = false;
    for (const boost::shared_ptr<Model::Object> &object : objects) {
        const boost::shared_ptr<Model::Automaton::TotalVolume> volume =
            boost::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object);
        if (!volume)
            continue;
        const Model::Geometry::TotalVolumePainter &painter = volume->getPainter();
        const VisualizationOptions options = painter.getOptions();
        if (painter.isHidden() || options.viewIndex != VisualizationOptions::ParticleCountField)
            continue;
        const double lo = painter.fieldMinimum(), hi = painter.fieldMaximum();
        if (!m_visible) {
            m_visible = true;
            m_min = lo;
            m_max = hi;
            m_scale = options.colorScale;
        } else {
            m_min = std::min(m_min, lo);
            m_max = std::max(m_max, hi);
        }
    }
    return m_visible;
}

void ColorScaleLegend::stepColor(int i, float rgba[4]) const
{
    const double value = m_min + i * (m_max - m_min) / Steps;
    FieldPainter::scaleEntry(m_scale, FieldPainter::entryIndex(value, m_min, m_max), rgba);
}

void ColorScaleLegend::draw(QGLWidget *widget) const
{
    if (!m_visible || !widget)
        return;
    const int w = widget->width(), h = widget->height();
    const Util::Vector4D ink = Util::DefaultColors::color(Util::DefaultColors::OutlineColor);

    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_POLYGON_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);

    const QString low = label(m_min), high = label(m_max);
    const QFont font(QStringLiteral("Courier New"), 12);
    glColor4d(ink.x, ink.y, ink.z, ink.w);
    const int y = int(0.95 * h);
    widget->renderText(int(0.05 * w) - 5 * low.size(), y, low, font);
    widget->renderText(int(0.95 * w) - 5 * high.size(), y, high, font);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-w / 2.0, w / 2.0, -h / 2.0, h / 2.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    const double left = -0.45 * w, right = 0.45 * w, bottom = -0.45 * h, top = bottom + 20.0;
    const double step = (right - left) / Steps;
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glBegin(GL_QUADS);
    float c0[4], c1[4];
    for (int i = 0; i < Steps; ++i) {
        stepColor(i, c0);
        stepColor(i + 1, c1);
        const double x0 = left + i * step, x1 = x0 + step;
        glColor4fv(c0);
        glVertex2d(x0, bottom);
        glColor4fv(c1);
        glVertex2d(x1, bottom);
        glVertex2d(x1, top);
        glColor4fv(c0);
        glVertex2d(x0, top);
    }
    glEnd();
    glColor4d(ink.x, ink.y, ink.z, ink.w);
    glLineWidth(1.0f);
    glBegin(GL_LINE_LOOP);
    glVertex2d(left, bottom);
    glVertex2d(right, bottom);
    glVertex2d(right, top);
    glVertex2d(left, top);
    glEnd();

    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

} // namespace Ui
