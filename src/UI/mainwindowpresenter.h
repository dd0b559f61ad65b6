#pragma once

#include "Core/Operations/workspace.h"
#include "UI/Console/commandconsole.h"

#include <boost/shared_ptr.hpp>

#include <QObject>
#include <QString>

namespace Ui {

class MainWindow;

namespace Observers {
class UndoRedoObserver;
}

// Between the main window and the model: turns menu actions into operations,
// owns the workspace and the console window, relays undo/redo changes.
class MainWindowPresenter : public QObject
{
    Q_OBJECT
public:
    explicit MainWindowPresenter(MainWindow *mainWindow);
    ~MainWindowPresenter() override;

    MainWindow *mainWindow() const { return m_mainWindow; }
    Core::Operations::Workspace &workspace() { return m_workspace; }
    Console::CommandConsole &console() { return m_console; }

    // Shows (raised to the front) or hides the console window.
    void showConsole(bool show);
    // Whether File > New would lose anything: objects, or steps to undo or redo.
    bool hasWorkToLose();
    void setSelectionMode(bool mode);
    void newDocument();
    void openBatchRun(const QString &fileName);
    void manageMaterials();
    void manageCompatibleMaterials();

public Q_SLOTS:
    void undoStackChanged();
    void redoStackChanged();
    void operationActivated(const QString &operationId);
    void enterPressed();
    void cancelPressed();

private:
    MainWindow *m_mainWindow;
    Core::Operations::Workspace m_workspace;
    Console::CommandConsole m_console;
    boost::shared_ptr<Observers::UndoRedoObserver> m_undoObserver;
    boost::shared_ptr<Observers::UndoRedoObserver> m_redoObserver;
};

} // namespace Ui
