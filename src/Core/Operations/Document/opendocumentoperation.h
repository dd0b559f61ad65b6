#pragma once

#include "Core/Operations/operation.h"

#include <boost/shared_ptr.hpp>

namespace Core {
namespace Operations {

class IDocumentDialogs;
class Workspace;

// Asks for a document and hands it to the document-opened observer, which
// shows it in a new main window; the scene it was started from stays as it is.
class OpenDocumentOperation : public Operation
{
    Q_OBJECT
public:
    static constexpr int TypeNumber = 11;

    OpenDocumentOperation(Workspace *workspace, const boost::shared_ptr<IDocumentDialogs> &dialogs);
    ~OpenDocumentOperation() override;

public Q_SLOTS:
    void proceed() override;
    void cancel() override;
    void finish() override;

private:
    Workspace *m_workspace;
    boost::shared_ptr<IDocumentDialogs> m_dialogs;
    bool m_ended = false;
};

} // namespace Operations
} // namespace Core
