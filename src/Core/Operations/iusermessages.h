#pragma once

#include <QString>

namespace Core {
namespace Operations {

// How an operation tells the person at the screen about a failure that needs
// more than a console line (a message box in the program, a log in tests and batch runs).
class IUserMessages
{
public:
    virtual ~IUserMessages() = default;
    virtual void showError(const QString &title, const QString &text) = 0;
};

} // namespace Operations
} // namespace Core
