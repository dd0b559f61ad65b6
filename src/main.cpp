#include "Model/Process/processfactory.h"
#include "UI/mainwindow.h"
#include "Util/version.h"

#include <QApplication>
#include <QColor>
#include <QIcon>
#include <QPixmap>

#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    // Answered before any window or catalogue exists, so it works without a display.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("torvane %s\n", Util::projectVersion().toLocal8Bit().constData());
            return 0;
        }
    // The catalogues are read (or written from the built-in tables) before
    // the application object exists.
    Model::Process::initializeCatalogues();
    QApplication app(argc, argv);

    QPixmap icon(32, 32);
    if (!icon.load(QStringLiteral("icon.ico")))
        icon.fill(QColor(207, 8, 12, 255));
    app.setWindowIcon(QIcon(icon));

    // The window deletes itself when closed.
    Ui::MainWindow *window = new Ui::MainWindow(nullptr);
    window->showMaximized();
    return app.exec();
}
