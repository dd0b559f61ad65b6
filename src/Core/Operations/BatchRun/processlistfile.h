#pragma once

#include "Core/Steps/processdata.h"

#include <QMap>
#include <QString>

namespace Model {
namespace Materials {
class Material;
}
} // namespace Model

namespace Core {
namespace Operations {

enum class ConflictChoice;

// Asked when a list carries a material whose id the catalogue uses for another
// name. The program shows the material conflict dialog.
class IListConflictResolver
{
public:
    virtual ~IListConflictResolver() = default;
    // False when the person cancels: the loaded material is then added under a fresh id.
    virtual bool resolve(const Model::Materials::Material &existing, const Model::Materials::Material &loaded,
                         ConflictChoice &choice, unsigned &alternateId) = 0;
};

// Reads and writes process-list files (".plst").
class ProcessListFile
{
public:
    static QString filter() { return QStringLiteral("Process List (*.plst)"); }
    static QString dialogTitle() { return QStringLiteral("Process List File"); }
    static QString extension() { return QStringLiteral("plst"); }
    // The chosen name with ".plst" added when it has no extension of its own.
    static QString withExtension(const QString &fileName);

    // False, with the reason in error, when the file cannot be written; the
    // previous file is then left as it was.
    static bool save(const Core::Steps::ProcessList &list, const QString &fileName, QString *error = nullptr);

    struct LoadResult
    {
        Core::Steps::ProcessList list;
        int version = 0;
        bool upgraded = false; // an old list had parameters renamed: tell the person
        QString error;
    };
    // False, with result.error set, when the file cannot be opened, has no
    // "Process-List" or is not well-formed XML. resolver may be null (a
    // conflicting material is then added under a fresh id).
    static bool load(const QString &fileName, LoadResult &result, IListConflictResolver *resolver = nullptr);

    // The texts of the "Updated List" warning.
    static QString upgradeTitle() { return QStringLiteral("Updated List"); }
    static QString upgradeText();

    // Value conversions of the file, public for the tests and the dialog.
    static QString valueText(const QVariant &value);
    static QVariant valueFromText(const QString &kind, const QString &text);

    // Renames the parameters of lists written before the format had a version.
    // True when at least one name changed.
    static bool upgradeOldNames(Core::Steps::ProcessList &list);
    // Every "_Id" parameter translated through map and its name and colour
    // taken from the catalogue.
    static void refreshMaterials(Core::Steps::ProcessList &list, const QMap<unsigned, unsigned> &map);
};

} // namespace Operations
} // namespace Core
