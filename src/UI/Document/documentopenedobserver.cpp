#include "documentopenedobserver.h"

#include "Core/Operations/Document/documentsession.h"
#include "Core/Operations/Document/documentstorage.h"
#include "Core/Operations/workspace.h"
#include "documentdialogs.h"

#include <QWidget>

namespace Ui {
namespace Observers {

using Core::Operations::DocumentStorage;

DocumentOpenedObserver::DocumentOpenedObserver(const WindowCreator &createWindow) : m_createWindow(createWindow) {}

void DocumentOpenedObserver::notify()
{
    const QString fileName = Core::Operations::DocumentSession::instance().lastOpenedFileName();
    if (fileName.isEmpty() || !m_createWindow)
        return;
    const Window created = m_createWindow();
    if (!created.window || !created.workspace)
        return;
    // Shown first, so that conflict questions and error boxes stand over the window they concern.
    created.window->setWindowTitle(DocumentStorage::windowTitle(fileName));
    created.window->showMaximized();
    DocumentDialogs dialogs(created.window);
    DocumentStorage::load(fileName, *created.workspace, &dialogs);
    created.window->setWindowTitle(DocumentStorage::windowTitle(created.workspace->document().getFileName()));
}

} // namespace Observers
} // namespace Ui
