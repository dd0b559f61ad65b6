#include "savedocumentoperation.h"

#include "Core/Operations/workspace.h"
#include "documentstorage.h"
#include "idocumentdialogs.h"

#include <QDir>
#include <QFileInfo>

namespace Core {
namespace Operations {

SaveDocumentOperation::SaveDocumentOperation(Workspace *workspace, const boost::shared_ptr<IDocumentDialogs> &dialogs)
    : SaveDocumentOperation(workspace, dialogs, QStringLiteral("Save document"), TypeNumber, false)
{
}

SaveDocumentOperation::SaveDocumentOperation(Workspace *workspace, const boost::shared_ptr<IDocumentDialogs> &dialogs,
                                             const QString &name, int typeNumber, bool alwaysAsk)
    : Operation(name, typeNumber), m_workspace(workspace), m_dialogs(dialogs), m_alwaysAsk(alwaysAsk)
{
}

SaveDocumentOperation::~SaveDocumentOperation() = default;

QString SaveDocumentOperation::askForLocation() const
{
    if (!m_dialogs)
        return QString();
    const QString chosen = m_dialogs->chooseSaveFileName(QStringLiteral("Choose location"), QDir::homePath(),
                                                         DocumentStorage::fileFilter());
    const QString completed = DocumentStorage::withExtension(chosen);
    // The dialog asked about replacing the name it returned, not about the completed one.
    if (completed != chosen && QFileInfo::exists(completed) && !m_dialogs->confirmReplace(completed))
        return QString();
    return completed;
}

void SaveDocumentOperation::proceed()
{
    if (m_ended)
        return;
    m_fileName = m_alwaysAsk ? QString() : m_workspace->document().getFileName();
    if (m_fileName.isEmpty())
        m_fileName = askForLocation();
    finish();
}

void SaveDocumentOperation::cancel()
{
    if (m_ended)
        return;
    m_ended = true;
    m_workspace->endOperation();
}

void SaveDocumentOperation::finish()
{
    if (m_ended)
        return;
    if (m_fileName.isEmpty() && !m_alwaysAsk) {
        cancel();
        return;
    }
    if (!m_fileName.isEmpty()) {
        DocumentStorage::save(m_fileName, *m_workspace, m_dialogs.get());
        if (m_observer)
            m_observer->notify();
    }
    m_ended = true;
    m_workspace->completeOperation();
}

} // namespace Operations
} // namespace Core
