#include "materialreconciler.h"

#include "Core/Operations/consolemodel.h"
#include "Model/Materials/materialfactory.h"
#include "documentsession.h"

#include <QtDebug>

namespace Core {
namespace Operations {

using Model::Materials::Material;
using Model::Materials::MaterialFactory;

void MaterialReconciler::addAsNew(Material loaded)
{
    const boost::shared_ptr<MaterialFactory> catalogue = MaterialFactory::instance();
    DocumentSession &session = DocumentSession::instance();
    const unsigned newId = catalogue->newMaterialId();
    if (newId == 0) {
        // Every user id is taken: the cells keep the loaded id rather than
        // overwrite a material someone else relies on.
        qWarning() << "Core/Operations/Document/materialreconciler" << Q_FUNC_INFO << "no free material id for"
                   << loaded.getName();
        return;
    }
    session.materialMap().insert(loaded.getId(), newId);
    loaded.setId(newId);
    catalogue->setMaterial(loaded);
}

void MaterialReconciler::reconcile(const Material &loaded, ConsoleModel *console)
{
    if (loaded.getId() == 0 || loaded.getName().isEmpty()) {
        if (console)
            console->write(QStringLiteral(
                "WARNING: There was an error loading a material. This may alter the loaded cell volume."));
        return;
    }
    const boost::shared_ptr<MaterialFactory> catalogue = MaterialFactory::instance();
    DocumentSession &session = DocumentSession::instance();
    const Material byId = catalogue->getMaterial(loaded.getId());
    const Material byName = catalogue->getMaterialByName(loaded.getName());
    const bool idFound = !byId.isEmpty();
    const bool nameFound = !byName.isEmpty();

    if (!idFound && !nameFound) {
        catalogue->setMaterial(loaded);
        session.materialMap().insert(loaded.getId(), loaded.getId());
        return;
    }
    if (!idFound) {
        session.materialMap().insert(loaded.getId(), byName.getId());
        return;
    }
    if (byId.getName() == loaded.getName()) {
        session.materialMap().insert(loaded.getId(), loaded.getId());
        return;
    }

    MaterialConflict &conflict = session.pendingConflict();
    conflict.existing = byId;
    conflict.loaded = loaded;
    conflict.settled = false;
    // Held for the call: the observer may be replaced while its dialog is open.
    const boost::shared_ptr<Util::IObserver> observer = session.materialConflictObserver();
    if (observer)
        observer->notify();
    if (!session.pendingConflict().settled)
        addAsNew(loaded);
}

bool MaterialReconciler::settleConflict(ConflictChoice choice, unsigned alternateId)
{
    const boost::shared_ptr<MaterialFactory> catalogue = MaterialFactory::instance();
    DocumentSession &session = DocumentSession::instance();
    MaterialConflict &conflict = session.pendingConflict();
    const unsigned loadedId = conflict.loaded.getId();
    switch (choice) {
    case ConflictChoice::ReplaceLoadedByExisting:
        session.materialMap().insert(loadedId, conflict.existing.getId());
        break;
    case ConflictChoice::ReplaceExistingByLoaded:
        session.materialMap().insert(loadedId, loadedId);
        catalogue->setMaterial(conflict.loaded);
        break;
    case ConflictChoice::ReplaceLoadedByAnother:
        if (alternateId == 0 || catalogue->getMaterial(alternateId).isEmpty())
            return false;
        session.materialMap().insert(loadedId, alternateId);
        break;
    case ConflictChoice::AddLoadedAsNew:
        addAsNew(conflict.loaded);
        break;
    }
    conflict.settled = true;
    return true;
}

} // namespace Operations
} // namespace Core
