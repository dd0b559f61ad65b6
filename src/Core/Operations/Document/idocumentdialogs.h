#pragma once

#include <QString>

namespace Core {
namespace Operations {

// What the document operations need from the person at the screen: a file
// name to save to or open, a yes/no before replacing a file, and a message.
// The program shows file dialogs and message boxes; tests answer directly.
class IDocumentDialogs
{
public:
    virtual ~IDocumentDialogs() = default;
    // Empty when the person cancels.
    virtual QString chooseSaveFileName(const QString &title, const QString &directory, const QString &filter) = 0;
    virtual QString chooseOpenFileName(const QString &title, const QString &directory, const QString &filter) = 0;
    // Asked only when the program completed the chosen name itself (added the
    // extension) and a file of the completed name already exists.
    virtual bool confirmReplace(const QString &fileName) = 0;
    // An information box with an OK button.
    virtual void showInformation(const QString &title, const QString &text) = 0;
};

} // namespace Operations
} // namespace Core
