#pragma once

#include "Core/Operations/operation.h"
#include "Util/iobserver.h"

#include <boost/shared_ptr.hpp>

#include <QString>

namespace Core {
namespace Operations {

class IDocumentDialogs;
class Workspace;

// Saves the scene to its document file, asking for a location when it has none.
class SaveDocumentOperation : public Operation
{
    Q_OBJECT
public:
    static constexpr int TypeNumber = 9;

    SaveDocumentOperation(Workspace *workspace, const boost::shared_ptr<IDocumentDialogs> &dialogs);
    ~SaveDocumentOperation() override;

    // The document-saved observer, told after every save.
    void setObserver(const boost::shared_ptr<Util::IObserver> &observer) { m_observer = observer; }
    QString getFileName() const { return m_fileName; }

public Q_SLOTS:
    void proceed() override;
    void cancel() override;
    void finish() override;

protected:
    SaveDocumentOperation(Workspace *workspace, const boost::shared_ptr<IDocumentDialogs> &dialogs,
                          const QString &name, int typeNumber, bool alwaysAsk);

private:
    QString askForLocation() const;

    Workspace *m_workspace;
    boost::shared_ptr<IDocumentDialogs> m_dialogs;
    boost::shared_ptr<Util::IObserver> m_observer;
    QString m_fileName;
    bool m_alwaysAsk;
    bool m_ended = false;
};

} // namespace Operations
} // namespace Core
