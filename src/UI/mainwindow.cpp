#include "mainwindow.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace Ui {

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainWindowForm"));
    setWindowTitle(QStringLiteral("Torvane"));
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("menuFile"));
    QAction *exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("actionExit"));
    connect(exit, &QAction::triggered, this, &QMainWindow::close);
}

MainWindow::~MainWindow() = default;

} // namespace Ui
