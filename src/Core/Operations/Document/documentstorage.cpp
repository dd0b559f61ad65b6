#include "documentstorage.h"

#include "Core/Operations/workspace.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Persistence/documentreader.h"
#include "Model/Persistence/documentwriter.h"
#include "Util/filenames.h"
#include "Util/xmltokenguard.h"
#include "documentsession.h"
#include "idocumentdialogs.h"
#include "materialreconciler.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <QtDebug>

namespace Core {
namespace Operations {

using Model::Persistence::DocumentReader;

namespace {

const char *const ReadErrorTitle = "Error reading from file";

void tell(IDocumentDialogs *dialogs, const QString &title, const QString &text)
{
    if (dialogs)
        dialogs->showInformation(title, text);
}

} // namespace

QString DocumentStorage::windowTitle(const QString &fileName)
{
    if (fileName.isEmpty())
        return QStringLiteral("Torvane");
    return QStringLiteral("Torvane  ") + fileName;
}

QString DocumentStorage::withExtension(const QString &fileName)
{
    return Util::withExtension(fileName, extension());
}

bool DocumentStorage::save(const QString &fileName, Workspace &workspace, IDocumentDialogs *dialogs)
{
    QSaveFile file(fileName);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Text);
    if (ok) {
        QXmlStreamWriter writer(&file);
        ok = Model::Persistence::DocumentWriter::write(writer, workspace.document(),
                                                       Model::Materials::MaterialFactory::instance()->getMaterials(),
                                                       workspace.persistence().archivers());
        ok = ok && file.commit();
    }
    if (!ok) {
        qWarning() << "Core/Operations/Document/documentstorage" << Q_FUNC_INFO << "cannot save" << fileName << ":"
                   << file.errorString();
        file.cancelWriting();
        tell(dialogs, QStringLiteral("Error writing to file"),
             QStringLiteral("Unable to save document to the specified file."));
        return false;
    }
    workspace.document().setFileName(fileName);
    return true;
}

DocumentStorage::LoadStatus DocumentStorage::load(const QString &fileName, Workspace &workspace,
                                                  IDocumentDialogs *dialogs, QString *message)
{
    DocumentSession &session = DocumentSession::instance();
    session.setLastOpenedFileName(fileName);
    session.setOpenStartLocation(fileName);
    auto fail = [&](LoadStatus status, const QString &text) {
        if (message)
            *message = text;
        tell(dialogs, QString::fromLatin1(ReadErrorTitle), text);
        return status;
    };

    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return fail(Unreadable, QStringLiteral("The document \"%1\" cannot be opened for reading: %2")
                                    .arg(fileName, file.errorString()));

    session.materialMap().clear();
    QXmlStreamReader reader;
    // The cell text grows with the volume and may be as long as a string can be.
    const Util::XmlTokenGuard guard(&file, reader, Util::XmlTokenGuard::DefaultMarkupLimit,
                                    Util::XmlTokenGuard::LongestText);
    ConsoleModel *console = &workspace.console();
    const DocumentReader::Result result = DocumentReader::read(
        reader, workspace.persistence().archivers(), &session.materialMap(),
        [console](const Model::Materials::Material &material) { MaterialReconciler::reconcile(material, console); });
    file.close();

    if (result.status == DocumentReader::Rejected)
        return fail(Refused, QStringLiteral("The document \"%1\" cannot be read. %2").arg(fileName, result.errorString));

    for (const boost::shared_ptr<Model::Object> &object : result.objects)
        workspace.document().addObject(object);
    if (result.status == DocumentReader::Damaged) {
        // Not bound to the file: a plain Save must not overwrite the damaged original unasked.
        workspace.requestRedraw();
        return fail(LoadedDamaged,
                    QStringLiteral("The document \"%1\" is damaged and incomplete (%2). The part that could be read "
                                   "is shown; use \"Save Document As\" to keep it.")
                        .arg(fileName, result.errorString));
    }
    workspace.document().setFileName(fileName);
    workspace.requestRedraw();
    if (message)
        message->clear();
    return Loaded;
}

} // namespace Operations
} // namespace Core
