#pragma once

#include "Util/vector3d.h"

#include <QGLWidget>
#include <QString>

#include <vector>

namespace Ui {

class MainWindowPresenter;

// The 3-D view: an orthographic fixed-function OpenGL view of the scene.
class GLWidget : public QGLWidget
{
    Q_OBJECT
public:
    GLWidget(QWidget *parent, MainWindowPresenter &presenter);
    ~GLWidget() override;

    // The format features that were asked for and not obtained, as warnings.
    static QStringList formatWarnings(const QGLFormat &format);

    void setRotation(float x, float y, float z);
    std::vector<float> rotation() const { return {m_rotation[0], m_rotation[1], m_rotation[2]}; }
    float zoom() const { return m_zoom; }
    void setZoom(float zoom);
    bool isLighting() const { return m_lighting; }
    bool isRenderObjects() const { return m_renderObjects; }
    bool isRenderObjectEdges() const { return m_renderObjectEdges; }
    bool isShowAxis() const { return m_showAxis; }
    bool isShowLamps() const { return m_showLamps; }
    bool isRenderGrid() const { return m_renderGrid; }
    bool isSnapToGrid() const { return m_snapToGrid; }
    double gridSpacing() const { return m_gridSpacing; }
    void setGridSpacing(double spacing);

public Q_SLOTS:
    void setView(const QString &viewAngle);
    void lightingToggled(bool on);
    void renderObjectsToggled(bool on);
    void renderObjectEdgesToggled(bool on);
    void renderGridToggled(bool on);
    void snapToGridToggled(bool on);
    void on_actionShow_Lights_toggled(bool on);
    void on_actionShow_Axis_toggled(bool on);

Q_SIGNALS:
    void rotationChanged(std::vector<float> angles);
    void axisPositionChanged(std::vector<float> position);
    void viewPositionChanged(std::vector<float> position);
    void zoomChanged(float percent);
    void lampPositionChanged(std::vector<float> lamp);

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;

private:
    void applyProjection();
    void applyModelView();
    void drawAxis();
    void drawGrid();
    Util::Vector3D viewerPosition() const;

    MainWindowPresenter &m_presenter;
    float m_rotation[3] = {-60.0f, 0.0f, 30.0f};
    float m_axisPosition[3] = {0.0f, 0.0f, 0.0f};
    float m_screenPosition[2] = {0.0f, 0.0f};
    float m_zoom = 1.0f;
    int m_depth = 1;
    bool m_showAxis = true;
    bool m_showLamps = false;
    bool m_lighting = true;
    bool m_renderObjects = true;
    bool m_renderObjectEdges = false;
    bool m_renderGrid = false;
    bool m_snapToGrid = false;
    double m_gridSpacing = 10.0;
};

} // namespace Ui
