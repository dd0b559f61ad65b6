#include "batchrenderer.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/document.h"
#include "UI/glwidget.h"
#include "UI/mainwindow.h"
#include "UI/mainwindowpresenter.h"

#include <QImage>
#include <QImageWriter>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWindow>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <limits>

namespace Batch {

BatchRenderer::BatchRenderer(Model::Document &scene, QObject *parent) : QObject(parent), m_scene(scene) {}

BatchRenderer::~BatchRenderer() { delete m_window; }

bool BatchRenderer::ensureWindow(QString *error)
{
    if (m_window)
        return true;
    m_window = new Ui::MainWindow(nullptr);
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_window->presenter().console().hide();
    m_window->show();
    m_window->resize(PictureWidth + (m_window->width() - m_window->view()->width()),
                     PictureHeight + (m_window->height() - m_window->view()->height()));
    // The view draws only into an exposed window; wait for the window system, ten seconds at most.
    QElapsedTimer waited;
    waited.start();
    while (!(m_window->windowHandle() && m_window->windowHandle()->isExposed()) && waited.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(5);
    }
    if (!m_window->windowHandle() || !m_window->windowHandle()->isExposed()) {
        if (error)
            *error = QStringLiteral("the window for the picture could not be shown");
        return false;
    }
    return true;
}

bool BatchRenderer::render(const QString &fileName, QString *error)
{
    if (!ensureWindow(error))
        return false;

    // The window's own scene shows the batch scene's objects.
    Model::Document &shown = m_window->presenter().workspace().document();
    shown.clear();
    double low[3] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
                     std::numeric_limits<double>::max()};
    double high[3] = {-low[0], -low[1], -low[2]};
    bool any = false;
    for (const boost::shared_ptr<Model::Object> &object : m_scene.getObjects()) {
        shown.addObject(object);
        const boost::shared_ptr<Model::Automaton::TotalVolume> volume =
            boost::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object);
        if (!volume)
            continue;
        volume->getPainter().regenerate();
        const Util::Vector3D p = volume->getPosition();
        const double corner[3] = {p.x, p.y, p.z};
        const double extent[3] = {volume->getSizeX() * double(volume->getCellSizeX()),
                                  volume->getSizeY() * double(volume->getCellSizeY()),
                                  volume->getSizeZ() * double(volume->getCellSizeZ())};
        for (int i = 0; i < 3; ++i) {
            low[i] = std::min(low[i], corner[i]);
            high[i] = std::max(high[i], corner[i] + extent[i]);
        }
        any = true;
    }

    Ui::GLWidget *view = m_window->view();
    if (any) {
        const double diagonal =
            std::sqrt((high[0] - low[0]) * (high[0] - low[0]) + (high[1] - low[1]) * (high[1] - low[1]) +
                      (high[2] - low[2]) * (high[2] - low[2]));
        view->setAxisPosition(float(-(low[0] + high[0]) / 2), float(-(low[1] + high[1]) / 2),
                              float(-(low[2] + high[2]) / 2));
        view->setRotation(-60.0f, 0.0f, -30.0f);
        if (diagonal > 0.0)
            view->setZoom(float(0.9 * std::min(view->width(), view->height()) / diagonal));
    }
    const QImage image = view->grabImage();
    if (fileName.isEmpty())
        return true;
    QImageWriter writer(fileName);
    if (image.isNull() || !writer.write(image)) {
        if (error)
            *error = image.isNull() ? QStringLiteral("the view gave no picture") : writer.errorString();
        return false;
    }
    return true;
}

} // namespace Batch
