#pragma once

#include "material.h"

#include <boost/shared_ptr.hpp>

#include <QList>
#include <QMap>
#include <QMutex>
#include <QString>

namespace Model {
namespace Materials {

// The process-wide materials catalogue. Every operation takes the catalogue
// mutex and returns copies, so worker threads may read while the UI edits.
class MaterialFactory
{
public:
    static boost::shared_ptr<MaterialFactory> instance();

    bool loadMaterials();
    bool saveMaterials();
    void setDefaultMaterials();

    Material getMaterial(unsigned id) const;
    Material getMaterialByName(const QString &name) const;
    QList<Material> getMaterials() const;
    bool setMaterial(const Material &material);
    unsigned newMaterialId() const;
};

} // namespace Materials
} // namespace Model
