#pragma once

#include "Model/Materials/material.h"

#include <QMap>

#include <functional>

namespace Core {
namespace Operations {

class ConsoleModel;

// The four answers to a material conflict.
enum class ConflictChoice {
    ReplaceLoadedByExisting, // cells keep the id; the catalogue's material stands
    ReplaceExistingByLoaded, // cells keep the id; the loaded material replaces the catalogue's
    ReplaceLoadedByAnother,  // cells take the id of another catalogue material
    AddLoadedAsNew           // the loaded material is added under a new id, cells follow it
};

// Brings each material a document carries into the catalogue and records in
// the session's translation map which catalogue id its cells must carry.
class MaterialReconciler
{
public:
    typedef QMap<unsigned, unsigned> MaterialMap;
    // Settles a conflict (usually by asking the person and calling
    // applyChoice); false when it stays unsettled.
    typedef std::function<bool(const Model::Materials::Material &existing, const Model::Materials::Material &loaded)>
        ConflictSettler;

    // The five cases with the caller's own translation map: a process list
    // keeps one per load. An unanswered conflict adds the loaded material
    // under a fresh id. Invalid materials are skipped; false for them.
    static bool reconcileInto(const Model::Materials::Material &loaded, MaterialMap &map,
                              const ConflictSettler &settle);
    // Carries out one answer; false when it cannot be (another material that
    // is not in the catalogue).
    static bool applyChoice(ConflictChoice choice, const Model::Materials::Material &existing,
                            const Model::Materials::Material &loaded, unsigned alternateId, MaterialMap &map);

    // One "Material" element of a document, in document order. console, when
    // given, receives the warning about an invalid material.
    static void reconcile(const Model::Materials::Material &loaded, ConsoleModel *console);

    // The person's answer to the pending conflict. False, and the conflict
    // left unsettled, when the answer cannot be carried out (another material
    // that is not in the catalogue).
    static bool settleConflict(ConflictChoice choice, unsigned alternateId = 0);

private:
    static void addAsNew(Model::Materials::Material loaded, MaterialMap &map);
};

} // namespace Operations
} // namespace Core
