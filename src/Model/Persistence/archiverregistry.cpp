#include "archiverregistry.h"

#include "Model/object.h"
#include "totalvolumearchiver.h"

namespace Model {
namespace Persistence {

ArchiverRegistry::ArchiverRegistry()
{
    m_archivers.insert(unsigned(Object::TotalVolumeType), boost::shared_ptr<ObjectArchiver>(new TotalVolumeArchiver));
}

boost::shared_ptr<ObjectArchiver> ArchiverRegistry::archiver(unsigned objectType) const
{
    return m_archivers.value(objectType);
}

void ArchiverRegistry::setArchiver(unsigned objectType, const boost::shared_ptr<ObjectArchiver> &archiver)
{
    if (archiver)
        m_archivers.insert(objectType, archiver);
    else
        m_archivers.remove(objectType);
}

} // namespace Persistence
} // namespace Model
