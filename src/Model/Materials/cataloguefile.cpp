#include "cataloguefile.h"

#include "Util/xmltokenguard.h"

#include <QXmlStreamReader>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamWriter>

namespace Model {
namespace Materials {

QString CatalogueFile::folderName() { return QStringLiteral("Torvane"); }

QString CatalogueFile::readPath(const QString &fileName)
{
    QDir dir(QDir::homePath());
    dir.cd(folderName()); // stays at home when the folder does not exist
    return dir.filePath(fileName);
}

QString CatalogueFile::writePath(const QString &fileName)
{
    return QDir(QDir::homePath()).filePath(folderName() + QLatin1Char('/') + fileName);
}

bool CatalogueFile::write(const QString &fileName, const std::function<void(QXmlStreamWriter &)> &body)
{
    QDir home(QDir::homePath());
    if (!home.mkpath(folderName())) {
        qWarning() << "Model/Materials/cataloguefile" << Q_FUNC_INFO << "cannot create folder"
                   << home.filePath(folderName());
        return false;
    }
    const QString path = writePath(fileName);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qWarning() << "Model/Materials/cataloguefile" << Q_FUNC_INFO << "cannot write" << path << ":"
                   << file.errorString();
        return false;
    }
    QXmlStreamWriter writer(&file);
    writer.setAutoFormatting(true);
    writer.writeStartDocument();
    body(writer);
    writer.writeEndDocument();
    if (writer.hasError() || !file.commit()) {
        qWarning() << "Model/Materials/cataloguefile" << Q_FUNC_INFO << "writing" << path
                   << "failed, previous file kept:" << file.errorString();
        return false;
    }
    return true;
}

QString CatalogueFile::freeBackupPath(const QString &path)
{
    QString candidate = path + QStringLiteral(".bak");
    for (int n = 1; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++n)
        candidate = path + QStringLiteral(".bak.") + QString::number(n);
    return candidate;
}

bool CatalogueFile::keepBeforeReplacing(const QString &fileName)
{
    // Only the file in the "Torvane" folder is ever overwritten; a file read
    // from the home directory itself stays where it is.
    const QString path = writePath(fileName);
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    const QString backup = freeBackupPath(path);
    if (!QFile::rename(path, backup)) {
        qWarning() << "Model/Materials/cataloguefile" << Q_FUNC_INFO << "cannot keep" << path << "as" << backup
                   << "; the file is left unchanged";
        return false;
    }
    qDebug() << "Model/Materials/cataloguefile" << Q_FUNC_INFO << path << "could not be loaded; kept as" << backup;
    return true;
}

bool CatalogueFile::read(const QString &fileName, const QString &rootName, const char *source, const char *function,
                         const std::function<void(QXmlStreamReader &)> &readItem)
{
    QFile file(readPath(fileName));
    if (!file.exists() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;

    QXmlStreamReader reader;
    const Util::XmlTokenGuard guard(&file, reader);
    while (!reader.atEnd() && !reader.isStartElement())
        reader.readNext();
    if (!reader.isStartElement() || reader.name() != rootName) {
        if (reader.hasError())
            qDebug() << source << function << reader.errorString();
        return false;
    }
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement())
            readItem(reader);
    }
    if (reader.hasError()) {
        qDebug() << source << function << reader.errorString() << "in" << file.fileName() << "at line"
                 << reader.lineNumber();
        return false;
    }
    return true;
}

} // namespace Materials
} // namespace Model
