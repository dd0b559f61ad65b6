#include "Model/Process/processfactory.h"
#include "UI/mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // The catalogues are read (or written from the built-in tables) before
    // the application object exists.
    Model::Process::initializeCatalogues();
    QApplication app(argc, argv);
    Ui::MainWindow window;
    window.showMaximized();
    return app.exec();
}
