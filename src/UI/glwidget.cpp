#include "glwidget.h"

#include "Util/defaultcolors.h"
#include "mainwindowpresenter.h"

#include <QtDebug>

#include <GL/glu.h>

#include <cmath>

namespace Ui {

namespace {

QGLFormat wantedFormat()
{
    QGLFormat format;
    format.setDoubleBuffer(true);
    format.setDepth(true);
    format.setRgba(true);
    format.setAlpha(true);
    format.setDirectRendering(true);
    format.setAccum(false);
    format.setStencil(false);
    format.setStereo(false);
    format.setOverlay(false);
    format.setSampleBuffers(false);
    return format;
}

} // namespace

GLWidget::GLWidget(QWidget *parent, MainWindowPresenter &presenter)
    : QGLWidget(wantedFormat(), parent), m_presenter(presenter)
{
    setObjectName(QStringLiteral("glWidget"));
    for (const QString &warning : formatWarnings(format()))
        qWarning() << warning;
    setFocusPolicy(Qt::StrongFocus);
}

GLWidget::~GLWidget() = default;

QStringList GLWidget::formatWarnings(const QGLFormat &format)
{
    QStringList warnings;
    if (!format.doubleBuffer())
        warnings << QStringLiteral("Could not get double buffer; results will be suboptimal");
    if (!format.alpha())
        warnings << QStringLiteral("Could not get alpha channel; results will be suboptimal");
    if (!format.depth())
        warnings << QStringLiteral("Could not get depth buffer; results will be suboptimal");
    if (!format.rgba())
        warnings << QStringLiteral("Could not get rgba mode; results will be suboptimal");
    if (!format.directRendering())
        warnings << QStringLiteral("Could not get direct rendering; results will be suboptimal");
    return warnings;
}

void GLWidget::initializeGL()
{
    glShadeModel(GL_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);

    const GLfloat ambient0[] = {0.5f, 0.5f, 0.5f, 1.0f};
    const GLfloat diffuse[] = {0.5f, 0.5f, 0.5f, 1.0f};
    const GLfloat specular0[] = {1.0f, 1.0f, 1.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient0);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightfv(GL_LIGHT0, GL_SPECULAR, specular0);
    for (int i = 1; i < 8; ++i)
        glLightfv(GL_LIGHT0 + i, GL_DIFFUSE, diffuse);

    // The first lamp: r = 300, elevation pi/4, azimuth pi/3, fixed to the viewer.
    const double r = 300.0, phi = M_PI / 4.0, theta = M_PI / 3.0;
    const GLfloat lamp[] = {GLfloat(r * std::cos(theta) * std::cos(phi)), GLfloat(r * std::sin(theta) * std::cos(phi)),
                            GLfloat(r * std::sin(phi)), 1.0f};
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glLightfv(GL_LIGHT0, GL_POSITION, lamp);
    glEnable(GL_LIGHT0);

    const GLfloat materialSpecular[] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat emission[] = {0.0f, 0.0f, 0.0f, 1.0f};
    glMaterialfv(GL_FRONT, GL_SPECULAR, materialSpecular);
    glMaterialfv(GL_FRONT, GL_EMISSION, emission);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 128.0f);
    glEnable(GL_COLOR_MATERIAL);
    const GLfloat globalAmbient[] = {0.2f, 0.2f, 0.2f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, globalAmbient);
}

void GLWidget::resizeGL(int width, int height)
{
    glViewport(0, 0, width, height);
    m_depth = int(std::sqrt(2.0) * std::max(width, height));
    applyProjection();
}

void GLWidget::applyProjection()
{
    const double w = width(), h = height(), z = m_zoom > 0.0f ? m_zoom : 1.0;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-w / (2 * z), w / (2 * z), -h / (2 * z), h / (2 * z), -m_depth / (2 * z), m_depth / (2 * z));
    glMatrixMode(GL_MODELVIEW);
}

void GLWidget::applyModelView()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(m_rotation[0], 1, 0, 0);
    glRotatef(m_rotation[1], 0, 1, 0);
    glRotatef(m_rotation[2], 0, 0, 1);
    glTranslatef(m_axisPosition[0], m_axisPosition[1], m_axisPosition[2]);
    // World pan: the screen pan expressed in world axes through the rotation.
    GLfloat m[16];
    glPushMatrix();
    glLoadIdentity();
    glRotatef(m_rotation[0], 1, 0, 0);
    glRotatef(m_rotation[1], 0, 1, 0);
    glRotatef(m_rotation[2], 0, 0, 1);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    glPopMatrix();
    const float sx = m_screenPosition[0], sy = m_screenPosition[1];
    glTranslatef(m[0] * sx + m[1] * sy, m[4] * sx + m[5] * sy, m[8] * sx + m[9] * sy);
}

Util::Vector3D GLWidget::viewerPosition() const
{
    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    // The eye-space points (0,0,0) and (0,0,1) taken back to the scene.
    double m[16];
    // Invert the rigid model-view: transpose the rotation, undo the translation.
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m[c * 4 + r] = model[r * 4 + c];
    const double t[3] = {model[12], model[13], model[14]};
    double p0[3], p1[3];
    for (int i = 0; i < 3; ++i) {
        p0[i] = -(m[i] * t[0] + m[4 + i] * t[1] + m[8 + i] * t[2]);
        p1[i] = p0[i] + m[8 + i];
    }
    double d[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
    const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    const double scale = std::max(viewport[2], viewport[3]) * m_zoom * 0.5 / (length > 0 ? length : 1.0);
    return Util::Vector3D(d[0] * scale, d[1] * scale, d[2] * scale);
}

void GLWidget::paintGL()
{
    const Util::Vector4D background = Util::DefaultColors::color(Util::DefaultColors::BackgroundColor);
    glClearColor(GLclampf(background.x), GLclampf(background.y), GLclampf(background.z), GLclampf(background.w));
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    if (m_lighting)
        glEnable(GL_LIGHTING);
    else
        glDisable(GL_LIGHTING);

    applyModelView();
    if (m_renderGrid)
        drawGrid();
    const Util::Vector3D viewer = viewerPosition();
    m_presenter.workspace().document().drawAll(m_renderObjects, m_renderObjectEdges, viewer);
    if (m_showAxis)
        drawAxis();
}

void GLWidget::drawGrid()
{
    const double s = m_gridSpacing > 0 ? m_gridSpacing : 10.0;
    const double x0 = std::floor(-300.0 / s) * s, x1 = std::ceil(300.0 / s) * s;
    const double y0 = std::floor(-300.0 / s) * s, y1 = std::ceil(300.0 / s) * s;
    const Util::Vector4D c = Util::DefaultColors::color(Util::DefaultColors::GridColor);
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT);
    glDepthMask(GL_FALSE);
    glDisable(GL_LIGHTING);
    glColor4d(c.x, c.y, c.z, c.w);
    glBegin(GL_LINES);
    for (double x = x0; x <= x1 + 1e-9; x += s) {
        glVertex3d(x, y0, 0.0);
        glVertex3d(x, y1, 0.0);
    }
    for (double y = y0; y <= y1 + 1e-9; y += s) {
        glVertex3d(x0, y, 0.0);
        glVertex3d(x1, y, 0.0);
    }
    glEnd();
    glPopAttrib();
}

void GLWidget::drawAxis()
{
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glLineWidth(2.0f);
    glPushMatrix();
    // The cross stays at the camera pivot: undo the axis position.
    glTranslatef(-m_axisPosition[0], -m_axisPosition[1], -m_axisPosition[2]);
    glBegin(GL_LINES);
    glColor3f(1, 0, 0);
    glVertex3f(0, 0, 0), glVertex3f(50, 0, 0);
    glVertex3f(50, 0, 0), glVertex3f(45, 0, 5);
    glVertex3f(50, 0, 0), glVertex3f(45, 0, -5);
    glColor3f(0, 1, 0);
    glVertex3f(0, 0, 0), glVertex3f(0, 50, 0);
    glVertex3f(0, 50, 0), glVertex3f(0, 45, 5);
    glVertex3f(0, 50, 0), glVertex3f(0, 45, -5);
    glColor3f(0, 0, 1);
    glVertex3f(0, 0, 0), glVertex3f(0, 0, 50);
    glVertex3f(0, 0, 50), glVertex3f(0, 5, 45);
    glVertex3f(0, 0, 50), glVertex3f(0, -5, 45);
    glEnd();
    glPopMatrix();
    glPopAttrib();
}

void GLWidget::setRotation(float x, float y, float z)
{
    m_rotation[0] = x;
    m_rotation[1] = y;
    m_rotation[2] = z;
    Q_EMIT rotationChanged(rotation());
    updateGL();
}

void GLWidget::setZoom(float zoom)
{
    if (!(zoom > 0.0f))
        return;
    m_zoom = zoom;
    makeCurrent();
    applyProjection();
    Q_EMIT zoomChanged(m_zoom * 100.0f);
    updateGL();
}

void GLWidget::setGridSpacing(double spacing)
{
    if (spacing > 0.0)
        m_gridSpacing = spacing;
    updateGL();
}

void GLWidget::setView(const QString &viewAngle)
{
    struct Preset
    {
        const char *name;
        float x, z;
    };
    static const Preset presets[] = {{"front", -90, 0}, {"back", -90, 180}, {"left", -90, 90},
                                     {"right", -90, -90}, {"top", 0, 0},    {"bottom", 180, 0}};
    for (const Preset &p : presets)
        if (viewAngle == QLatin1String(p.name)) {
            setRotation(p.x, 0.0f, p.z);
            return;
        }
}

void GLWidget::lightingToggled(bool on)
{
    m_lighting = on;
    updateGL();
}

void GLWidget::renderObjectsToggled(bool on)
{
    m_renderObjects = on;
    updateGL();
}

void GLWidget::renderObjectEdgesToggled(bool on)
{
    m_renderObjectEdges = on;
    updateGL();
}

void GLWidget::renderGridToggled(bool on)
{
    m_renderGrid = on;
    updateGL();
}

void GLWidget::snapToGridToggled(bool on)
{
    m_snapToGrid = on;
    updateGL();
}

void GLWidget::on_actionShow_Lights_toggled(bool on)
{
    m_showLamps = on;
    updateGL();
}

void GLWidget::on_actionShow_Axis_toggled(bool on)
{
    m_showAxis = on;
    updateGL();
}

} // namespace Ui
