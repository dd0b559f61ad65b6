#include "cellbudget.h"

#include <algorithm>
#include <limits>

namespace Model {
namespace Persistence {

uint64_t CellBudget::spare(qint64 consumed) const
{
    if (!bounded())
        return std::numeric_limits<uint64_t>::max();
    const uint64_t left = uint64_t(std::max<qint64>(0, m_length - std::max<qint64>(0, consumed)));
    const uint64_t limit = m_filled + left / 2 + Allowance;
    return limit > m_allocated ? limit - m_allocated : 0;
}

} // namespace Persistence
} // namespace Model
