#include "processinfo.h"

#include "Model/Materials/materialfactory.h"

namespace Model {
namespace Process {

QList<Materials::Material> ProcessInfo::getCompatibleMaterials() const
{
    const boost::shared_ptr<Materials::MaterialFactory> catalogue = Materials::MaterialFactory::instance();
    QList<Materials::Material> materials;
    for (unsigned id : m_compatibleMaterials) {
        const Materials::Material material = catalogue->getMaterial(id);
        if (!material.isEmpty())
            materials.append(material);
    }
    return materials;
}

} // namespace Process
} // namespace Model
