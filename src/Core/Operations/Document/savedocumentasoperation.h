#pragma once

#include "savedocumentoperation.h"

namespace Core {
namespace Operations {

// Saves the scene under a name the person always chooses anew; finishes
// without writing when no name is chosen.
class SaveDocumentAsOperation : public SaveDocumentOperation
{
    Q_OBJECT
public:
    static constexpr int TypeNumber = 10;

    SaveDocumentAsOperation(Workspace *workspace, const boost::shared_ptr<IDocumentDialogs> &dialogs);
    ~SaveDocumentAsOperation() override;
};

} // namespace Operations
} // namespace Core
