#pragma once

#include "objectarchiver.h"

#include <cstdint>

namespace Model {
namespace Persistence {

// Writes a cell volume as an "Object" element (type, sizes, cell sizes, the
// "State" text of every cell's material id, "Position") and reads it back.
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

    // Up to this many cells a volume is built whatever the file's length, so a
    // short hand-made document may leave most cells empty. Beyond it, a volume
    // whose complete "State" (at least two bytes a cell) could not fit in the
    // file is refused instead of allocated.
    static constexpr uint64_t SmallVolumeCells = uint64_t(1) << 16;

private:
    bool m_regenerateSurface = true;
};

} // namespace Persistence
} // namespace Model
