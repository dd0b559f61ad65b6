#pragma once

#include "material.h"

#include <boost/shared_ptr.hpp>

#include <QList>
#include <QMap>
#include <QMutex>
#include <QString>

class QXmlStreamReader;
class QXmlStreamWriter;

namespace Model {
namespace Materials {

// The process-wide materials catalogue. Every operation takes the catalogue
// mutex and returns copies, so worker threads may read while the UI edits.
//
// instance() alone never touches the disk: it starts with the built-in table.
// The program calls initialize() once at start-up (after HOME is settled and
// before the application object exists) to load "materials.xml" or write the
// built-in table.
class MaterialFactory
{
public:
    static boost::shared_ptr<MaterialFactory> instance();
    // Start-up: load the user's file; if that fails, keep a backup of it, fall
    // back to the built-in table and write that table.
    static boost::shared_ptr<MaterialFactory> initialize();

    static QString fileName() { return QStringLiteral("materials.xml"); }

    bool loadMaterials();
    bool saveMaterials();
    void setDefaultMaterials();

    Material getMaterial(unsigned id) const;
    // Exactly the stored name: documents and lists reconcile materials by it.
    Material getMaterialByName(const QString &name) const;
    // A material as a person or a script names it: the stored name, else
    // another spelling of it (nameAliases(): "Thermal SiO2" with the letter O
    // for the stored "Thermal Si02"), else the name in any case. The empty
    // material when nothing matches.
    Material findMaterial(const QString &name) const;
    // Other spellings of stored names, each to the stored name.
    static const QMap<QString, QString> &nameAliases();
    QList<Material> getMaterials() const;
    bool setMaterial(const Material &material);
    unsigned newMaterialId() const;

    // The "#AARRGGBB" form used in the file (channels truncated to 0..255).
    static QString colorToString(const Util::Vector4D &color);

    // One "Material" element, as the catalogue file, documents and process
    // lists all hold it. Reading gives id 0 or an empty name for an invalid
    // one (or for another element), left for the caller to reject.
    static Material readMaterial(const QXmlStreamReader &reader);
    static void writeMaterial(QXmlStreamWriter &writer, const Material &material);

private:
    MaterialFactory();
    MaterialFactory(const MaterialFactory &) = delete;
    MaterialFactory &operator=(const MaterialFactory &) = delete;

    static QMap<unsigned, Material> defaultMaterials();

    mutable QMutex m_mutex;
    QMap<unsigned, Material> m_materials;
};

} // namespace Materials
} // namespace Model
