#pragma once

#include "Model/Materials/material.h"

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
    // One "Material" element of a document, in document order. console, when
    // given, receives the warning about an invalid material.
    static void reconcile(const Model::Materials::Material &loaded, ConsoleModel *console);

    // The person's answer to the pending conflict. False, and the conflict
    // left unsettled, when the answer cannot be carried out (another material
    // that is not in the catalogue).
    static bool settleConflict(ConflictChoice choice, unsigned alternateId = 0);

private:
    static void addAsNew(Model::Materials::Material loaded);
};

} // namespace Operations
} // namespace Core
