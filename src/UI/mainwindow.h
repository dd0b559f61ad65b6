#pragma once

#include <QMainWindow>

namespace Ui {

// The program's main window. For now a shell with the File menu's Exit; the
// menus, the 3-D view and the presenter hang off it as they are built.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;
};

} // namespace Ui
