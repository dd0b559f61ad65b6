#include "opendocumentoperation.h"

#include "Core/Operations/workspace.h"
#include "documentsession.h"
#include "documentstorage.h"
#include "idocumentdialogs.h"

namespace Core {
namespace Operations {

OpenDocumentOperation::OpenDocumentOperation(Workspace *workspace, const boost::shared_ptr<IDocumentDialogs> &dialogs)
    : Operation(QStringLiteral("Open document"), TypeNumber), m_workspace(workspace), m_dialogs(dialogs)
{
}

OpenDocumentOperation::~OpenDocumentOperation() = default;

void OpenDocumentOperation::proceed()
{
    if (m_ended)
        return;
    DocumentSession &session = DocumentSession::instance();
    const QString chosen = m_dialogs ? m_dialogs->chooseOpenFileName(QStringLiteral("Choose file"),
                                                                     session.openStartLocation(),
                                                                     DocumentStorage::fileFilter())
                                     : QString();
    session.setLastOpenedFileName(chosen);
    if (chosen.isEmpty()) {
        cancel();
        return;
    }
    session.setOpenStartLocation(chosen);
    finish();
}

void OpenDocumentOperation::cancel()
{
    if (m_ended)
        return;
    m_ended = true;
    m_workspace->endOperation();
}

void OpenDocumentOperation::finish()
{
    if (m_ended)
        return;
    m_ended = true;
    // Held for the call: opening may install a newer observer.
    const boost::shared_ptr<Util::IObserver> observer = DocumentSession::instance().documentOpenedObserver();
    if (observer)
        observer->notify();
    m_workspace->completeOperation();
}

} // namespace Operations
} // namespace Core
