#include "glwidget.h"

#include "Core/Operations/ObjectEditing/placeobjectsoperation.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/View/cellprobe.h"
#include "UI/View/viewframing.h"
#include "Util/defaultcolors.h"
#include "mainwindowpresenter.h"
#include "stepprogressdialog.h"

#include <QMouseEvent>
#include <QShortcut>
#include <QWheelEvent>
#include <QtDebug>

#include <GL/glu.h>

#include <algorithm>
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

constexpr float TranslationStep = 5.0f;

} // namespace

GLWidget::GLWidget(QWidget *parent, MainWindowPresenter &presenter)
    : QGLWidget(wantedFormat(), parent), m_presenter(presenter)
{
    setObjectName(QStringLiteral("glWidget"));
    for (const QString &warning : formatWarnings(format()))
        qWarning() << warning;
    setFocusPolicy(Qt::StrongFocus);

    const struct
    {
        Qt::Key key;
        const char *slot;
    } keys[7] = {{Qt::Key_Q, SLOT(increaseTranslateX())}, {Qt::Key_W, SLOT(increaseTranslateY())},
                 {Qt::Key_E, SLOT(increaseTranslateZ())}, {Qt::Key_A, SLOT(decreaseTranslateX())},
                 {Qt::Key_S, SLOT(decreaseTranslateY())}, {Qt::Key_D, SLOT(decreaseTranslateZ())},
                 {Qt::Key_L, SLOT(swithActiveLamp())}};
    for (int i = 0; i < 7; ++i)
        m_shortcuts[i] = new QShortcut(QKeySequence(keys[i].key), this, keys[i].slot);
    m_lamps.setActive(1);
    m_mouse.setZoom(m_zoom);

    // Moves without a button are followed for the status bar; the probe waits
    // until the pointer rests, since it draws a frame to read the depth.
    setMouseTracking(true);
    m_hoverTimer.setSingleShot(true);
    m_hoverTimer.setInterval(120);
    connect(&m_hoverTimer, &QTimer::timeout, this, &GLWidget::probeCursor);
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
    for (int i = 1; i < LampSet::MaxLamps; ++i)
        glLightfv(GLenum(GL_LIGHT0 + i), GL_DIFFUSE, diffuse);
    loadLamps();
    glEnable(GL_LIGHT0);
    m_camera.setRotation(-60.0f, 0.0f, 30.0f);

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
    if ((m_framePending || m_refitOnResize) && isVisible() && width >= 16 && height >= 16) {
        m_framePending = true;
        QTimer::singleShot(0, this, [this]() {
            if (m_framePending)
                frameVolumes();
        });
    }
    glViewport(0, 0, width, height);
    m_depth = int(std::sqrt(2.0) * std::max(width, height));
    m_mouse.setZoom(m_zoom);
    m_mouse.setSize(this->width(), this->height());
    applyProjection();
    m_grid.setExtent(-300.0, -300.0, 300.0, 300.0);
}

void GLWidget::applyProjection()
{
    const double w = width(), h = height(), z = m_zoom;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-w / (2 * z), w / (2 * z), -h / (2 * z), h / (2 * z), -m_depth / (2 * z), m_depth / (2 * z));
    glMatrixMode(GL_MODELVIEW);
}

void GLWidget::applyModelView()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(m_camera.modelView().data());
}

void GLWidget::loadLamps()
{
    // Positions given under an identity model-view stay fixed to the viewer.
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    for (int i = 1; i <= LampSet::MaxLamps; ++i) {
        const LampSet::Lamp &lamp = m_lamps.lamp(i);
        const GLenum light = GLenum(GL_LIGHT0 + i - 1);
        glLightfv(light, GL_POSITION, lamp.position.data());
        if (i <= m_lamps.count() && lamp.enabled)
            glEnable(light);
        else
            glDisable(light);
    }
    glPopMatrix();
}

Util::Vector3D GLWidget::viewDirection() const
{
    // The projection is parallel, so the eye is infinitely far along the eye-space +z
    // axis. Taken back through the model-view that axis is the third row of the
    // rotation; pan and axis translations do not change it.
    const ViewCamera::Matrix &m = m_camera.rotationMatrix();
    double d[3] = {m[2], m[6], m[10]};
    const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    const double scale = length > 0 ? 1.0 / length : 1.0;
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

    applyProjection();
    loadLamps();
    applyModelView();
    if (m_renderGrid)
        drawGrid();
    Model::Document &document = m_presenter.workspace().document();
    document.drawAll(m_renderObjects, m_renderObjectEdges, viewDirection());
    drawTemporaryObjects();
    if (m_showAxis)
        drawAxis();
    if (m_showLamps && m_lamps.active() > 0)
        drawLamps();
    if (m_legend.update(document.getObjects()))
        m_legend.draw(this);
}

void GLWidget::drawGrid()
{
    const Util::Vector4D c = Util::DefaultColors::color(Util::DefaultColors::GridColor);
    const double z = m_grid.height();
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_CURRENT_BIT);
    glDepthMask(GL_FALSE);
    glDisable(GL_LIGHTING);
    glColor4d(c.x, c.y, c.z, c.w);
    glBegin(GL_LINES);
    for (const ViewGrid::Line &line : m_grid.lines()) {
        glVertex3d(line.x0, line.y0, z);
        glVertex3d(line.x1, line.y1, z);
    }
    glEnd();
    glPopAttrib();
}

void GLWidget::drawAxis()
{
    const std::array<float, 3> axis = m_camera.axisPosition();
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glLineWidth(2.0f);
    glPushMatrix();
    // The cross stays at the camera pivot: undo the axis position.
    glTranslatef(-axis[0], -axis[1], -axis[2]);
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

void GLWidget::drawLamps()
{
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    for (int i = 1; i <= m_lamps.count(); ++i) {
        const std::array<float, 4> &p = m_lamps.lamp(i).position;
        const double x = p[0], y = p[1], z = std::min<double>(p[2], m_depth);
        const double g = z / 50.0 + 20.0;
        if (i == m_lamps.active())
            glColor3f(1.0f, 1.0f, 0.0f);
        else
            glColor3f(1.0f, 1.0f, 1.0f);
        glBegin(GL_LINE_LOOP);
        for (int k = 0; k < 16; ++k) {
            const double a = 2.0 * M_PI * k / 16;
            glVertex3d(x + (g / 2 - 2) * std::cos(a), y + (g / 2 - 2) * std::sin(a), z);
        }
        glEnd();
        glBegin(GL_LINES);
        for (int k = 0; k < 16; ++k) {
            const double a = 2.0 * M_PI * k / 16, c = std::cos(a), s = std::sin(a);
            glVertex3d(x + g / 2 * c, y + g / 2 * s, z);
            glVertex3d(x + g * c, y + g * s, z);
        }
        glEnd();
        if (std::fabs(x) > g || std::fabs(y) > g) {
            const double f = std::sqrt(x * x + y * y);
            glEnable(GL_LINE_STIPPLE);
            glLineStipple(8, 0xAAAA);
            glBegin(GL_LINES);
            glVertex3d(0, 0, 0);
            glVertex3d((f - g) * x / f, (f - g) * y / f, z);
            glEnd();
            glDisable(GL_LINE_STIPPLE);
        }
    }
    glPopMatrix();
    glPopAttrib();
}

void GLWidget::drawTemporaryObjects()
{
    // Objects being moved or copied show as boxes in the temporary colour at
    // their displaced place; copies are not in the document until placed.
    const boost::shared_ptr<Core::Operations::PlaceObjectsOperation> placing =
        boost::dynamic_pointer_cast<Core::Operations::PlaceObjectsOperation>(m_presenter.workspace().currentOperation());
    if (!placing)
        return;
    const Util::Vector4D c = Util::DefaultColors::color(Util::DefaultColors::ObjectTemporaryColor);
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glLineWidth(2.0f);
    glColor4d(c.x, c.y, c.z, 1.0);
    for (const boost::shared_ptr<Model::Object> &object : placing->getObjects()) {
        const boost::shared_ptr<Model::Automaton::TotalVolume> volume =
            boost::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object);
        if (!volume || !volume->isTemporary())
            continue;
        const Util::Vector3D p = volume->getPosition() + volume->getDisplacement();
        const double xs[2] = {p.x, p.x + volume->getSizeX() * double(volume->getCellSizeX())};
        const double ys[2] = {p.y, p.y + volume->getSizeY() * double(volume->getCellSizeY())};
        const double zs[2] = {p.z, p.z + volume->getSizeZ() * double(volume->getCellSizeZ())};
        glBegin(GL_LINES);
        for (int a = 0; a < 2; ++a)
            for (int b = 0; b < 2; ++b) {
                glVertex3d(xs[0], ys[a], zs[b]), glVertex3d(xs[1], ys[a], zs[b]);
                glVertex3d(xs[a], ys[0], zs[b]), glVertex3d(xs[a], ys[1], zs[b]);
                glVertex3d(xs[a], ys[b], zs[0]), glVertex3d(xs[a], ys[b], zs[1]);
            }
        glEnd();
    }
    glPopAttrib();
}

void GLWidget::renderForReading()
{
    makeCurrent();
    if (format().doubleBuffer())
        glDrawBuffer(GL_BACK);
    paintGL();
    glFinish();
    if (format().doubleBuffer())
        glReadBuffer(GL_BACK);
}

QPoint GLWidget::framebufferPixel(const QPoint &position, const GLint viewport[4]) const
{
    // Widget coordinates to framebuffer pixels (they differ on high-density screens), y still downwards.
    const double sx = width() > 0 ? double(viewport[2]) / width() : 1.0;
    const double sy = height() > 0 ? double(viewport[3]) / height() : 1.0;
    return QPoint(int(position.x() * sx), int(position.y() * sy));
}

QImage GLWidget::grabImage()
{
    // The front buffer is undefined where the window is covered or off
    // screen; render the frame again and read it before it is shown.
    renderForReading();
    return grabFrameBuffer(false);
}

bool GLWidget::scenePointAt(const QPoint &position, Util::Vector3D *point)
{
    // The depth of a frame drawn afresh, read before it is shown.
    renderForReading();
    applyProjection();
    applyModelView();
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const QPoint pixel = framebufferPixel(position, viewport);
    const int px = pixel.x(), py = viewport[3] - 1 - pixel.y();
    if (px < 0 || py < 0 || px >= viewport[2] || py >= viewport[3])
        return false;
    GLfloat depth = 1.0f;
    glReadPixels(px, py, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    if (!(depth < 1.0f))
        return false;
    GLdouble model[16], projection[16], x, y, z;
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    if (!gluUnProject(px + 0.5, py + 0.5, depth, model, projection, viewport, &x, &y, &z))
        return false;
    *point = Util::Vector3D(x, y, z);
    return true;
}

bool GLWidget::pickAt(const QPoint &position)
{
    Core::Operations::Selection &selection = m_presenter.workspace().selection();
    if (!selection.isSelectionMode())
        return false;
    makeCurrent();
    applyProjection();
    applyModelView();
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const QPoint pixel = framebufferPixel(position, viewport);
    const bool hit = selection.pick(pixel.x(), pixel.y());
    if (hit)
        update();
    return hit;
}

void GLWidget::mousePressEvent(QMouseEvent *event)
{
    m_refitOnResize = false;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    m_buttonHeld = true;
    m_pressPosition = event->pos();
    if (event->button() == Qt::LeftButton) {
        m_drag = shift ? LampDrag : RotateDrag;
        m_clickPending = !shift;
        m_mouse.setMode(shift ? MouseHandler::LampPlacement : MouseHandler::Trackball);
    } else if (event->button() == Qt::RightButton) {
        m_drag = shift ? AxisDrag : PanDrag;
        m_clickPending = false;
        m_mouse.setMode(MouseHandler::Translation);
    } else {
        m_drag = NoDrag;
        m_clickPending = false;
    }
    m_mouse.setFirtPosition(event->x(), event->y());
    if (m_drag == LampDrag) {
        const MouseHandler::Point &p = m_mouse.current();
        m_lamps.placeActive(float(p[0]), float(p[1]), float(p[2]));
        emitLamp();
        update();
    }
    event->accept();
}

void GLWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_buttonHeld) {
        m_hoverPosition = event->pos();
        m_hoverTimer.start();
        return;
    }
    if (m_drag == NoDrag)
        return;
    // A move to where the button went down is no drag yet (some systems
    // report one with every press).
    if (m_clickPending && event->pos() == m_pressPosition)
        return;
    m_clickPending = false;
    m_mouse.setPosition(event->x(), event->y());
    switch (m_drag) {
    case RotateDrag: {
        std::array<float, 3> axis;
        float angle = 0.0f;
        m_mouse.trackballRotation(axis, angle);
        if (angle != 0.0f)
            m_camera.rotateInEyeSpace(angle, axis);
        Q_EMIT rotationChanged(rotation());
        break;
    }
    case LampDrag: {
        const MouseHandler::Point &p = m_mouse.current();
        m_lamps.placeActive(float(p[0]), float(p[1]), float(p[2]));
        emitLamp();
        break;
    }
    case PanDrag: {
        m_camera.pan(float(m_mouse.deltaX()), float(m_mouse.deltaY()), m_zoom);
        const std::array<float, 2> s = m_camera.screenPosition();
        Q_EMIT viewPositionChanged({s[0], s[1]});
        break;
    }
    case AxisDrag:
        m_camera.translateAlongScreen(float(m_mouse.deltaX()), float(m_mouse.deltaY()), m_zoom);
        emitAxis();
        break;
    case NoDrag: break;
    }
    update();
    event->accept();
}

void GLWidget::mouseReleaseEvent(QMouseEvent *event)
{
    m_buttonHeld = false;
    const bool click = m_clickPending && event->button() == Qt::LeftButton;
    m_clickPending = false;
    m_drag = NoDrag;
    if (click) {
        pickAt(event->pos());
        Q_EMIT clicked(event->pos());
    }
    event->accept();
}

void GLWidget::leaveEvent(QEvent *event)
{
    m_hoverTimer.stop();
    Q_EMIT cellUnderCursor(QString());
    QGLWidget::leaveEvent(event);
}

void GLWidget::probeCursor()
{
    // A running step holds the cells' lock; the GUI thread must not wait for it.
    if (StepProgressDialog::isRunning() || m_buttonHeld || !isVisible())
        return;
    Util::Vector3D point;
    CellUnderPoint cell;
    const Util::Vector3D viewer = viewDirection();
    const Util::Vector3D towards(-viewer.x, -viewer.y, -viewer.z);
    const bool found = scenePointAt(m_hoverPosition, &point) &&
                       cellUnderPoint(m_presenter.workspace().document(), point, towards, &cell);
    Q_EMIT cellUnderCursor(found ? cellText(cell) : QString());
}

bool GLWidget::frameVolumes()
{
    Core::Operations::Workspace &workspace = m_presenter.workspace();
    QList<boost::shared_ptr<Model::Object>> objects;
    for (const boost::shared_ptr<Model::Object> &object : workspace.selection().getSelected())
        if (boost::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object))
            objects << object;
    if (objects.isEmpty())
        objects = workspace.document().getObjects();
    SceneBox box;
    for (const boost::shared_ptr<Model::Object> &object : objects) {
        const boost::shared_ptr<Model::Automaton::TotalVolume> volume =
            boost::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object);
        if (!volume)
            continue;
        const Util::Vector3D p = volume->getPosition();
        box.add({{p.x, p.y, p.z}}, {{p.x + volume->getSizeX() * double(volume->getCellSizeX()),
                                     p.y + volume->getSizeY() * double(volume->getCellSizeY()),
                                     p.z + volume->getSizeZ() * double(volume->getCellSizeZ())}});
    }
    if (box.empty)
        return false;
    // A window not yet laid out has no size to fit to.
    if (!isVisible() || width() < 16 || height() < 16) {
        m_framePending = true;
        return true;
    }
    m_framePending = false;
    const int depth = int(std::sqrt(2.0) * std::max(width(), height()));
    ViewFraming framing;
    if (!frameBox(box, m_camera.rotationMatrix(), width(), height(), depth, FrameMargin, &framing))
        return false;
    setScreenPosition(0.0f, 0.0f);
    setAxisPosition(framing.axisPosition[0], framing.axisPosition[1], framing.axisPosition[2]);
    setZoom(framing.zoom);
    return true;
}

void GLWidget::frameNewVolumes()
{
    bool added = false;
    QSet<int> present;
    for (const boost::shared_ptr<Model::Object> &object : m_presenter.workspace().document().getObjects()) {
        if (!boost::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object))
            continue;
        present.insert(object->getId());
        added = added || !m_framedVolumes.contains(object->getId());
    }
    // A volume that left and comes back (undo of a delete) is not new; it stays known.
    m_framedVolumes += present;
    if (added)
        m_refitOnResize = frameVolumes();
}

void GLWidget::showEvent(QShowEvent *event)
{
    QGLWidget::showEvent(event);
    // A window opened on a document shows its volumes framed.
    frameNewVolumes();
    if (m_framePending)
        QTimer::singleShot(0, this, [this]() {
            if (m_framePending)
                frameVolumes();
        });
}

void GLWidget::wheelEvent(QWheelEvent *event)
{
    m_refitOnResize = false;
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        event->ignore();
        return;
    }
    if (event->modifiers() & Qt::ShiftModifier) {
        const int active = m_lamps.active();
        if (LampSet::isValid(active)) {
            m_lamps.setRadius(active, MouseHandler::radiusAfterWheel(m_lamps.lamp(active).radius, delta));
            emitLamp();
            update();
        }
    } else {
        setZoom(MouseHandler::zoomAfterWheel(m_zoom, delta));
    }
    event->accept();
}

std::vector<float> GLWidget::rotation() const
{
    const std::array<float, 3> r = m_camera.rotation();
    return {r[0], r[1], r[2]};
}

void GLWidget::setRotation(float x, float y, float z)
{
    m_camera.setRotation(x, y, z);
    Q_EMIT rotationChanged(rotation());
    update();
}

void GLWidget::setScreenPosition(float x, float y)
{
    m_camera.setScreenPosition(x, y);
    Q_EMIT viewPositionChanged({x, y});
    update();
}

void GLWidget::setAxisPosition(float x, float y, float z)
{
    m_camera.setAxisPosition(x, y, z);
    emitAxis();
    update();
}

void GLWidget::setZoom(float zoom)
{
    if (!(zoom > 0.0f) || !std::isfinite(zoom))
        return;
    m_zoom = zoom;
    m_mouse.setZoom(zoom);
    Q_EMIT zoomChanged(m_zoom * 100.0f);
    update();
}

void GLWidget::setLampCount(int count)
{
    m_lamps.setCount(count);
    emitLamp();
    update();
}

void GLWidget::setLampAngles(int lamp, float theta, float phi)
{
    m_lamps.setAngles(lamp, theta, phi);
    emitLamp();
    update();
}

void GLWidget::setLampRadius(int lamp, float radius)
{
    m_lamps.setRadius(lamp, radius);
    emitLamp();
    update();
}

void GLWidget::setLampEnabled(int lamp, bool enabled)
{
    m_lamps.setEnabled(lamp, enabled);
    update();
}

void GLWidget::setActiveLamp(int lamp)
{
    m_lamps.setActive(lamp);
    emitLamp();
    update();
}

void GLWidget::emitLamp()
{
    const std::array<float, 4> s = m_lamps.activeSummary();
    Q_EMIT lampPositionChanged({s[0], s[1], s[2], s[3]});
}

void GLWidget::emitAxis()
{
    const std::array<float, 3> a = m_camera.axisPosition();
    Q_EMIT axisPositionChanged({a[0], a[1], a[2]});
}

void GLWidget::setGridSpacing(double spacing)
{
    m_grid.setSpacing(spacing);
    update();
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

void GLWidget::translateAxis(int axis, float step)
{
    m_refitOnResize = false;
    m_camera.translateAxis(axis, step);
    update();
    emitAxis();
}

void GLWidget::increaseTranslateX() { translateAxis(0, TranslationStep); }
void GLWidget::increaseTranslateY() { translateAxis(1, TranslationStep); }
void GLWidget::increaseTranslateZ() { translateAxis(2, TranslationStep); }
void GLWidget::decreaseTranslateX() { translateAxis(0, -TranslationStep); }
void GLWidget::decreaseTranslateY() { translateAxis(1, -TranslationStep); }
void GLWidget::decreaseTranslateZ() { translateAxis(2, -TranslationStep); }

void GLWidget::swithActiveLamp()
{
    m_lamps.cycleActive();
    emitLamp();
    update();
}

void GLWidget::lightingToggled(bool on)
{
    m_lighting = on;
    update();
}

void GLWidget::renderObjectsToggled(bool on)
{
    m_renderObjects = on;
    update();
}

void GLWidget::renderObjectEdgesToggled(bool on)
{
    m_renderObjectEdges = on;
    update();
}

void GLWidget::renderGridToggled(bool on)
{
    m_renderGrid = on;
    update();
}

void GLWidget::snapToGridToggled(bool on)
{
    m_snapToGrid = on;
    update();
}

void GLWidget::on_actionShow_Lights_toggled(bool on)
{
    m_showLamps = on;
    update();
}

void GLWidget::on_actionShow_Axis_toggled(bool on)
{
    m_showAxis = on;
    update();
}

} // namespace Ui
