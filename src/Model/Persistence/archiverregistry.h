#pragma once

#include "objectarchiver.h"

#include <boost/shared_ptr.hpp>

#include <QMap>

namespace Model {
namespace Persistence {

// The archiver of each object type one scene can write and read.
class ArchiverRegistry
{
public:
    // Holds the cell-volume archiver under type 1.
    ArchiverRegistry();

    // Empty when the type has no archiver.
    boost::shared_ptr<ObjectArchiver> archiver(unsigned objectType) const;
    void setArchiver(unsigned objectType, const boost::shared_ptr<ObjectArchiver> &archiver);

private:
    QMap<unsigned, boost::shared_ptr<ObjectArchiver>> m_archivers;
};

} // namespace Persistence
} // namespace Model
