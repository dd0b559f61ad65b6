#include "abstractdistancecountingautomatonnofinalize.h"

namespace Core {
namespace Operations {

void AbstractDistanceCountingAutomatonNoFinalize::run(int iterations) { runPasses(iterations, false); }

void AbstractDistanceCountingAutomatonNoFinalize::finalizeCell(uint32_t, unsigned) {}

} // namespace Operations
} // namespace Core
