#include "savedocumentasoperation.h"

namespace Core {
namespace Operations {

SaveDocumentAsOperation::SaveDocumentAsOperation(Workspace *workspace,
                                                 const boost::shared_ptr<IDocumentDialogs> &dialogs)
    : SaveDocumentOperation(workspace, dialogs, QStringLiteral("Save Document As"), TypeNumber, true)
{
}

SaveDocumentAsOperation::~SaveDocumentAsOperation() = default;

} // namespace Operations
} // namespace Core
