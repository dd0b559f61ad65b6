#pragma once

#include "volumetestsupport.h"

namespace DistanceCountingTest {

using TestSupport::Layout;
using TestSupport::makeVolume;
using TestSupport::materialAt;
using TestSupport::materialsOf;
using TestSupport::PoolSize;

} // namespace DistanceCountingTest
