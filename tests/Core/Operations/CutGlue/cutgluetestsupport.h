#pragma once

#include "volumetestsupport.h"

namespace CutGlueTest {

using TestSupport::FakeDialog;
using TestSupport::Layout;
using TestSupport::makeVolume;
using TestSupport::materialsOf;

inline uint32_t at(Model::Automaton::TotalVolume &v, unsigned x, unsigned y, unsigned z)
{
    return TestSupport::materialAt(v, x, y, z);
}

} // namespace CutGlueTest
