#pragma once

#include <QString>
#include <QStringList>

namespace Core {
namespace Operations {

// Asks the person where to export and which field; the user interface
// implements it with a dialog, tests with a fake.
class IExportChoices
{
public:
    virtual ~IExportChoices() = default;
    // False when the person declines; otherwise fileName and fieldName hold the choice.
    virtual bool chooseExport(const QStringList &fieldNames, QString *fileName, QString *fieldName) = 0;
};

} // namespace Operations
} // namespace Core
