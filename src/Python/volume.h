#pragma once

#include "Model/Automaton/totalvolume.h"

#include <boost/shared_ptr.hpp>

#include <QMap>

#include <memory>
#include <mutex>

namespace Python {

// A cell volume as Python holds it, with the run state the runner keeps per
// volume. Functions of a volume bound as its methods (runs, cells, documents,
// and any later analysis) take one of these.
struct Volume
{
    explicit Volume(const boost::shared_ptr<Model::Automaton::TotalVolume> &volume) : cells(volume) {}

    // Read and replaced only with the GIL held; code that releases it works on its own copy.
    boost::shared_ptr<Model::Automaton::TotalVolume> cells;
    QMap<int, bool> latticeStale;
    // One run at a time per volume; taken with the GIL released. Recursive, so
    // that a progress callback may run steps on, copy or set the volume it reports on.
    std::recursive_mutex runLock;
};
typedef std::shared_ptr<Volume> VolumePtr;

} // namespace Python
