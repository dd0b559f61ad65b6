#pragma once

#include "objectarchiver.h"

#include <cstdint>

namespace Model {
namespace Persistence {

// Writes a cell volume as an "Object" element (type, sizes, cell sizes, the
// "State" text of every cell's material id, "Position", the "Dopant" fields
// when there are any; see dopantarchive.h) and reads it back.
class TotalVolumeArchiver : public ObjectArchiver
{
public:
    TotalVolumeArchiver();
    ~TotalVolumeArchiver() override;

    void write(const boost::shared_ptr<Object> &object) override;
    boost::shared_ptr<Object> read() override;

    // A loaded volume's surface is rebuilt for drawing unless this is switched
    // off (tools that only inspect the cells).
    void setRegenerateSurface(bool regenerate) { m_regenerateSurface = regenerate; }

private:
    bool m_regenerateSurface = true;
};

} // namespace Persistence
} // namespace Model
