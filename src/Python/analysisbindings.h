#pragma once

// Python's headers first: they use "slots" as a name, which Qt's headers define as a macro.
#include <pybind11/pybind11.h>

#include "volume.h"

namespace Python {

// Cross-sections, measurements and the VTK and STL exports as methods of
// torvane.Volume: the analysis functions the batch run's options call.
void bindAnalysis(pybind11::class_<Volume, VolumePtr> &volumeClass);

} // namespace Python
