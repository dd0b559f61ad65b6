#pragma once

#include "UI/View/colorscalelegend.h"
#include "UI/View/lampset.h"
#include "UI/View/mousehandler.h"
#include "UI/View/viewcamera.h"
#include "UI/View/viewgrid.h"
#include "Util/vector3d.h"

#include <QGLWidget>
#include <QImage>
#include <QPoint>
#include <QSet>
#include <QString>
#include <QTimer>

#include <vector>

class QShortcut;

namespace Ui {

class MainWindowPresenter;

// The 3-D view: an orthographic fixed-function OpenGL view of the scene with
// a turning camera, lamps fixed to the viewer, a ground grid and picking.
class GLWidget : public QGLWidget
{
    Q_OBJECT
public:
    GLWidget(QWidget *parent, MainWindowPresenter &presenter);
    ~GLWidget() override;

    // The format features that were asked for and not obtained, as warnings.
    static QStringList formatWarnings(const QGLFormat &format);

    const ViewCamera &camera() const { return m_camera; }
    const LampSet &lamps() const { return m_lamps; }
    const ViewGrid &grid() const { return m_grid; }
    const MouseHandler &mouse() const { return m_mouse; }
    const ColorScaleLegend &legend() const { return m_legend; }
    int depth() const { return m_depth; }

    void setRotation(float x, float y, float z);
    std::vector<float> rotation() const;
    void setScreenPosition(float x, float y);
    void setAxisPosition(float x, float y, float z);
    float zoom() const { return m_zoom; }
    // Refuses zooms that are not positive and finite.
    void setZoom(float zoom);

    // Lamps, as the view and lighting dialog writes them back (lamps 1-based).
    void setLampCount(int count);
    void setLampAngles(int lamp, float theta, float phi);
    void setLampRadius(int lamp, float radius);
    void setLampEnabled(int lamp, bool enabled);
    void setActiveLamp(int lamp);

    bool isLighting() const { return m_lighting; }
    bool isRenderObjects() const { return m_renderObjects; }
    bool isRenderObjectEdges() const { return m_renderObjectEdges; }
    bool isShowAxis() const { return m_showAxis; }
    bool isShowLamps() const { return m_showLamps; }
    bool isRenderGrid() const { return m_renderGrid; }
    bool isSnapToGrid() const { return m_snapToGrid; }
    double gridSpacing() const { return m_grid.spacing(); }
    void setGridSpacing(double spacing);

    // The scene as it is now, rendered afresh and read back.
    QImage grabImage();
    // Picks at a widget position; true when the selection changed.
    bool pickAt(const QPoint &position);
    // The scene point drawn at a widget position (the nearest surface there);
    // false where only background shows.
    bool scenePointAt(const QPoint &position, Util::Vector3D *point);
    // Unit vector from the scene towards the viewer.
    Util::Vector3D viewDirection() const;

    // Pans and zooms (never turns) so the selected cell volumes, or every one
    // when none is selected, fill the view with a margin and turn about their
    // centre. False when there is no volume; a view not yet laid out frames
    // once it is.
    bool frameVolumes();
    // Frames the scene when it holds a volume the view has not shown before
    // (a created substrate, an opened document); called after every change.
    void frameNewVolumes();
    // The part of the view a framed scene fills.
    static constexpr double FrameMargin = 0.85;

public Q_SLOTS:
    void setView(const QString &viewAngle);
    void lightingToggled(bool on);
    void renderObjectsToggled(bool on);
    void renderObjectEdgesToggled(bool on);
    void renderGridToggled(bool on);
    void snapToGridToggled(bool on);
    void on_actionShow_Lights_toggled(bool on);
    void on_actionShow_Axis_toggled(bool on);
    void increaseTranslateX();
    void increaseTranslateY();
    void increaseTranslateZ();
    void decreaseTranslateX();
    void decreaseTranslateY();
    void decreaseTranslateZ();
    void swithActiveLamp();

Q_SIGNALS:
    void rotationChanged(std::vector<float> angles);
    void axisPositionChanged(std::vector<float> position);
    void viewPositionChanged(std::vector<float> position);
    void zoomChanged(float percent);
    void lampPositionChanged(std::vector<float> lamp);
    // A left click that did not turn the view, at its widget position.
    void clicked(const QPoint &position);
    // What lies under the resting mouse pointer ("Cell (x, y, z): material ..."), or
    // an empty text when it rests on no cell or leaves the view.
    void cellUnderCursor(const QString &text);

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    enum Drag { NoDrag, RotateDrag, LampDrag, PanDrag, AxisDrag };

    void applyProjection();
    void applyModelView();
    // Draws a frame into the back buffer and leaves it there to be read.
    void renderForReading();
    QPoint framebufferPixel(const QPoint &position, const GLint viewport[4]) const;
    void loadLamps();
    void drawAxis();
    void drawGrid();
    void drawLamps();
    void drawTemporaryObjects();
    void translateAxis(int axis, float step);
    void emitLamp();
    void emitAxis();
    void probeCursor();

    ViewCamera m_camera;
    LampSet m_lamps;
    float m_zoom = 1.0f;
    int m_depth = 1;
    bool m_showAxis = true;
    bool m_showLamps = false;
    bool m_lighting = true;
    bool m_renderObjects = true;
    bool m_renderObjectEdges = false;
    bool m_renderGrid = false;
    bool m_snapToGrid = false;
    ViewGrid m_grid;
    MainWindowPresenter &m_presenter;
    MouseHandler m_mouse;
    ColorScaleLegend m_legend;
    bool m_buttonHeld = false;
    bool m_clickPending = false;
    Drag m_drag = NoDrag;
    QPoint m_pressPosition;
    QShortcut *m_shortcuts[7] = {};
    QSet<int> m_framedVolumes;     // volumes the view has framed or shown already
    bool m_framePending = false;   // frame as soon as the view has a size
    // A volume framed by the view itself stays framed as the window is sized
    // (a window maximized after it shows), until the person moves the camera.
    bool m_refitOnResize = false;
    QTimer m_hoverTimer;           // the pointer rests: look what lies under it
    QPoint m_hoverPosition;
};

} // namespace Ui
