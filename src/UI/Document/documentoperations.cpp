#include "documentoperations.h"

#include "Core/Operations/Document/documentsession.h"
#include "Core/Operations/Document/opendocumentoperation.h"
#include "Core/Operations/Document/savedocumentasoperation.h"
#include "documentdialogs.h"
#include "documentsavedobserver.h"
#include "materialconflictobserver.h"

namespace Ui {

using namespace Core::Operations;

namespace {

template <class SaveOperation>
boost::shared_ptr<Operation> createSaving(Workspace *workspace, QWidget *window)
{
    boost::shared_ptr<SaveOperation> operation(
        new SaveOperation(workspace, boost::shared_ptr<IDocumentDialogs>(new DocumentDialogs(window))));
    operation->setObserver(boost::shared_ptr<Util::IObserver>(new Observers::DocumentSavedObserver(window, workspace)));
    return operation;
}

} // namespace

boost::shared_ptr<Operation> DocumentOperations::createSave(Workspace *workspace, QWidget *window)
{
    return createSaving<SaveDocumentOperation>(workspace, window);
}

boost::shared_ptr<Operation> DocumentOperations::createSaveAs(Workspace *workspace, QWidget *window)
{
    return createSaving<SaveDocumentAsOperation>(workspace, window);
}

boost::shared_ptr<Operation>
DocumentOperations::createOpen(Workspace *workspace, QWidget *window,
                               const Observers::DocumentOpenedObserver::WindowCreator &createWindow)
{
    DocumentSession &session = DocumentSession::instance();
    session.setDocumentOpenedObserver(
        boost::shared_ptr<Util::IObserver>(new Observers::DocumentOpenedObserver(createWindow)));
    session.setMaterialConflictObserver(
        boost::shared_ptr<Util::IObserver>(new Observers::MaterialConflictObserver(window)));
    return boost::shared_ptr<Operation>(
        new OpenDocumentOperation(workspace, boost::shared_ptr<IDocumentDialogs>(new DocumentDialogs(window))));
}

} // namespace Ui
