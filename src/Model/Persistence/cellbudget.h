#pragma once

#include <QtGlobal>

#include <cstdint>

namespace Model {
namespace Persistence {

// How many cells reading one document may still allocate. Every cell needs at
// least two characters of "State" text ("0 "), so a document can never hold
// more cells than half of what is left of it to read; cells already allocated
// but not filled from text count against that. A small allowance lets short
// hand-made documents leave cells empty. The cells allocated for a whole
// document thus stay within the cells its text really holds, half of its
// length and the allowance, whatever the volumes claim.
class CellBudget
{
public:
    static constexpr uint64_t Allowance = uint64_t(1) << 16;

    // documentLength: the document's length in characters; negative when it
    // is not known, which leaves the budget unbounded.
    explicit CellBudget(qint64 documentLength) : m_length(documentLength) {}

    bool bounded() const { return m_length >= 0; }
    qint64 documentLength() const { return m_length; }

    // The cells that may still be allocated when `consumed` characters of the
    // document have been read.
    uint64_t spare(qint64 consumed) const;

    void allocate(uint64_t cells) { m_allocated += cells; }
    // Cells given a value from the text.
    void fill(uint64_t cells) { m_filled += cells; }

private:
    qint64 m_length;
    uint64_t m_allocated = 0;
    uint64_t m_filled = 0;
};

} // namespace Persistence
} // namespace Model
