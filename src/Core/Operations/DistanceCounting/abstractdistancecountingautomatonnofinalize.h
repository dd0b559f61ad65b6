#pragma once

#include "abstractdistancecountingautomatonbase.h"

namespace Core {
namespace Operations {

// The members whose result is complete after the last iteration: no finalize pass.
class AbstractDistanceCountingAutomatonNoFinalize : public AbstractDistanceCountingAutomatonBase
{
public:
    using AbstractDistanceCountingAutomatonBase::AbstractDistanceCountingAutomatonBase;

    void run(int iterations) override;
    void finalizeCell(uint32_t cell, unsigned slab) override;
};

} // namespace Operations
} // namespace Core
