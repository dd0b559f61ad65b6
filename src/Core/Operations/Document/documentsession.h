#pragma once

#include "Model/Materials/material.h"
#include "Util/iobserver.h"

#include <boost/shared_ptr.hpp>

#include <QMap>
#include <QString>

namespace Core {
namespace Operations {

// A loaded material whose id the catalogue already uses for another name,
// waiting for the person's decision.
struct MaterialConflict
{
    Model::Materials::Material existing;
    Model::Materials::Material loaded;
    bool settled = false;
};

// What opening documents keeps for the whole run, shared by every main window:
// the last opened file, where the open dialog starts, the observers the
// operation factory installed, and, while a document is read, its id
// translation map and the pending material conflict. GUI thread only.
class DocumentSession
{
public:
    typedef QMap<unsigned, unsigned> MaterialMap;

    static DocumentSession &instance();

    QString lastOpenedFileName() const { return m_lastOpened; }
    void setLastOpenedFileName(const QString &fileName) { m_lastOpened = fileName; }
    // The user's home directory until a document has been opened.
    QString openStartLocation() const;
    void setOpenStartLocation(const QString &location) { m_startLocation = location; }

    // One of each; a newer one replaces the older.
    boost::shared_ptr<Util::IObserver> documentOpenedObserver() const { return m_openedObserver; }
    void setDocumentOpenedObserver(const boost::shared_ptr<Util::IObserver> &observer) { m_openedObserver = observer; }
    boost::shared_ptr<Util::IObserver> materialConflictObserver() const { return m_conflictObserver; }
    void setMaterialConflictObserver(const boost::shared_ptr<Util::IObserver> &observer)
    {
        m_conflictObserver = observer;
    }

    MaterialMap &materialMap() { return m_materialMap; }
    MaterialConflict &pendingConflict() { return m_conflict; }

    // Back to the state at start-up.
    void reset();

private:
    DocumentSession() = default;

    QString m_lastOpened;
    QString m_startLocation;
    boost::shared_ptr<Util::IObserver> m_openedObserver;
    boost::shared_ptr<Util::IObserver> m_conflictObserver;
    MaterialMap m_materialMap;
    MaterialConflict m_conflict;
};

} // namespace Operations
} // namespace Core
