#pragma once

#include <QString>

namespace Core {
namespace Operations {

class RunModelExtraction;

// What model extraction needs from the person at the screen: the user
// interface implements it with the Extract Model dialog and message boxes,
// tests with a fake.
class IModelExtractionUser
{
public:
    virtual ~IModelExtractionUser() = default;
    // Shows the three steps and returns when the person closes them; the
    // steps call back into the operation.
    virtual void runSteps(RunModelExtraction &operation) = 0;
    // Empty when the person cancels.
    virtual QString chooseNetlistFile() = 0;
    virtual void showInformation(const QString &title, const QString &text) = 0;
    virtual void showWarning(const QString &title, const QString &text) = 0;
};

} // namespace Operations
} // namespace Core
