#include "documentsavedobserver.h"

#include "Core/Operations/Document/documentstorage.h"
#include "Core/Operations/workspace.h"

namespace Ui {
namespace Observers {

DocumentSavedObserver::DocumentSavedObserver(QWidget *window, Core::Operations::Workspace *workspace)
    : m_window(window), m_workspace(workspace)
{
}

void DocumentSavedObserver::notify()
{
    if (m_window && m_workspace)
        m_window->setWindowTitle(
            Core::Operations::DocumentStorage::windowTitle(m_workspace->document().getFileName()));
}

} // namespace Observers
} // namespace Ui
