#include "materialreconciler.h"

#include "Core/Operations/consolemodel.h"
#include "Model/Materials/materialfactory.h"
#include "documentsession.h"

#include <QtDebug>

namespace Core {
namespace Operations {

using Model::Materials::Material;
using Model::Materials::MaterialFactory;

void MaterialReconciler::addAsNew(Material loaded, MaterialMap &map)
{
    const boost::shared_ptr<MaterialFactory> catalogue = MaterialFactory::instance();
    const unsigned newId = catalogue->newMaterialId();
    if (newId == 0) {
        // Every user id is taken: the cells keep the loaded id rather than
        // overwrite a material someone else relies on.
        qWarning() << "Core/Operations/Document/materialreconciler" << Q_FUNC_INFO << "no free material id for"
                   << loaded.getName();
        return;
    }
    map.insert(loaded.getId(), newId);
    loaded.setId(newId);
    catalogue->setMaterial(loaded);
}

bool MaterialReconciler::reconcileInto(const Material &loaded, MaterialMap &map, const ConflictSettler &settle)
{
    if (loaded.getId() == 0 || loaded.getName().isEmpty())
        return false;
    const boost::shared_ptr<MaterialFactory> catalogue = MaterialFactory::instance();
    const Material byId = catalogue->getMaterial(loaded.getId());
    const Material byName = catalogue->getMaterialByName(loaded.getName());
    const bool idFound = !byId.isEmpty();
    const bool nameFound = !byName.isEmpty();

    if (!idFound && !nameFound) {
        catalogue->setMaterial(loaded);
        map.insert(loaded.getId(), loaded.getId());
        return true;
    }
    if (!idFound) {
        map.insert(loaded.getId(), byName.getId());
        return true;
    }
    if (byId.getName() == loaded.getName()) {
        map.insert(loaded.getId(), loaded.getId());
        return true;
    }

    if (!settle || !settle(byId, loaded))
        addAsNew(loaded, map);
    return true;
}

bool MaterialReconciler::applyChoice(ConflictChoice choice, const Material &existing, const Material &loaded,
                                     unsigned alternateId, MaterialMap &map)
{
    const boost::shared_ptr<MaterialFactory> catalogue = MaterialFactory::instance();
    const unsigned loadedId = loaded.getId();
    switch (choice) {
    case ConflictChoice::ReplaceLoadedByExisting:
        map.insert(loadedId, existing.getId());
        break;
    case ConflictChoice::ReplaceExistingByLoaded:
        map.insert(loadedId, loadedId);
        catalogue->setMaterial(loaded);
        break;
    case ConflictChoice::ReplaceLoadedByAnother:
        if (alternateId == 0 || catalogue->getMaterial(alternateId).isEmpty())
            return false;
        map.insert(loadedId, alternateId);
        break;
    case ConflictChoice::AddLoadedAsNew:
        addAsNew(loaded, map);
        break;
    }
    return true;
}

void MaterialReconciler::reconcile(const Material &loaded, ConsoleModel *console)
{
    DocumentSession &session = DocumentSession::instance();
    // A document's conflicts go through the observer the factory installed,
    // which answers by settleConflict.
    const bool valid = reconcileInto(loaded, session.materialMap(),
                                     [&session](const Material &existing, const Material &conflicting) {
                                         MaterialConflict &conflict = session.pendingConflict();
                                         conflict.existing = existing;
                                         conflict.loaded = conflicting;
                                         conflict.settled = false;
                                         // Held for the call: the observer may be replaced while its dialog is open.
                                         const boost::shared_ptr<Util::IObserver> observer =
                                             session.materialConflictObserver();
                                         if (observer)
                                             observer->notify();
                                         return session.pendingConflict().settled;
                                     });
    if (!valid && console)
        console->write(
            QStringLiteral("WARNING: There was an error loading a material. This may alter the loaded cell volume."));
}

bool MaterialReconciler::settleConflict(ConflictChoice choice, unsigned alternateId)
{
    DocumentSession &session = DocumentSession::instance();
    MaterialConflict &conflict = session.pendingConflict();
    if (!applyChoice(choice, conflict.existing, conflict.loaded, alternateId, session.materialMap()))
        return false;
    conflict.settled = true;
    return true;
}

} // namespace Operations
} // namespace Core
