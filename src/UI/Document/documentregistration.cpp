#include "UI/Document/documentoperations.h"
#include "UI/Document/documentopenedobserver.h"
#include "UI/mainwindow.h"
#include "UI/operationfactory.h"

namespace Ui {

using Core::Operations::Workspace;

void registerDocumentOperations(OperationFactory::Table &table)
{
    table.insert(9, [](Workspace *workspace, QWidget *parent) { return DocumentOperations::createSave(workspace, parent); });
    table.insert(10,
                 [](Workspace *workspace, QWidget *parent) { return DocumentOperations::createSaveAs(workspace, parent); });
    table.insert(11, [](Workspace *workspace, QWidget *parent) {
        // Every opened document gets a main window of its own; nothing of the asking window is captured.
        return DocumentOperations::createOpen(workspace, parent, []() {
            MainWindow *window = new MainWindow;
            return Observers::DocumentOpenedObserver::Window{window, &window->presenter().workspace()};
        });
    });
}

} // namespace Ui
