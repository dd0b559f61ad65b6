#include "documentsession.h"

#include <QDir>

namespace Core {
namespace Operations {

DocumentSession &DocumentSession::instance()
{
    static DocumentSession session;
    return session;
}

QString DocumentSession::openStartLocation() const
{
    return m_startLocation.isEmpty() ? QDir::homePath() : m_startLocation;
}

void DocumentSession::reset()
{
    m_lastOpened.clear();
    m_startLocation.clear();
    m_openedObserver.reset();
    m_conflictObserver.reset();
    m_materialMap.clear();
    m_conflict = MaterialConflict();
}

} // namespace Operations
} // namespace Core
