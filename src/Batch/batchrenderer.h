#pragma once

#include <QObject>
#include <QString>

namespace Model {
class Document;
}

namespace Ui {
class MainWindow;
}

namespace Batch {

// Draws the scene of a batch run into a picture with the program's own 3-D
// view, in a window that only exists while pictures are taken. Needs a
// display (an X server; xvfb-run is enough). Lives on the GUI thread.
class BatchRenderer : public QObject
{
    Q_OBJECT
public:
    explicit BatchRenderer(Model::Document &scene, QObject *parent = nullptr);
    ~BatchRenderer() override;

    // Width and height of the pictures, in pixels.
    static constexpr int PictureWidth = 1024;
    static constexpr int PictureHeight = 768;

public Q_SLOTS:
    // Regenerates the surfaces of the scene's volumes, looks at all of them
    // from the front, above and to the left, and saves the picture when
    // fileName is not empty. False with error set when the picture cannot be
    // taken or written.
    bool render(const QString &fileName, QString *error);

private:
    bool ensureWindow(QString *error);

    Model::Document &m_scene;
    Ui::MainWindow *m_window = nullptr;
};

} // namespace Batch
