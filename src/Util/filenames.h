#pragma once

#include <QFileInfo>
#include <QString>

namespace Util {

// A chosen file name with ".extension" added when it has no extension of its
// own, so that the file shows up under the file dialogs' filter.
inline QString withExtension(const QString &fileName, const QString &extension)
{
    if (fileName.isEmpty() || !QFileInfo(fileName).suffix().isEmpty())
        return fileName;
    if (fileName.endsWith(QLatin1Char('.')))
        return fileName + extension;
    return fileName + QLatin1Char('.') + extension;
}

} // namespace Util
