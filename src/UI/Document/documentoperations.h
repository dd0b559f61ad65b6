#pragma once

#include "documentopenedobserver.h"

#include <boost/shared_ptr.hpp>

class QWidget;

namespace Core {
namespace Operations {
class Operation;
class Workspace;
} // namespace Operations
} // namespace Core

namespace Ui {

// Builds the three document operations with their dialogs and observers, for
// the operation factory. window: the main window of the workspace.
class DocumentOperations
{
public:
    static boost::shared_ptr<Core::Operations::Operation> createSave(Core::Operations::Workspace *workspace,
                                                                     QWidget *window);
    static boost::shared_ptr<Core::Operations::Operation> createSaveAs(Core::Operations::Workspace *workspace,
                                                                       QWidget *window);
    // Also installs, for the whole program, the document-opened observer
    // (new windows come from createWindow) and the material-conflict observer.
    static boost::shared_ptr<Core::Operations::Operation>
    createOpen(Core::Operations::Workspace *workspace, QWidget *window,
               const Observers::DocumentOpenedObserver::WindowCreator &createWindow);
};

} // namespace Ui
