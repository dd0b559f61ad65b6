#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace Core {
namespace Operations {

// A small set of material ids with a constant-time membership test: the
// automata ask it for every neighbour they look at.
class MaterialSet
{
public:
    MaterialSet() = default;
    MaterialSet(std::initializer_list<uint32_t> ids);
    explicit MaterialSet(const std::vector<uint32_t> &ids);

    // The compatible materials of a process of the process catalogue.
    static MaterialSet fromProcess(unsigned processId);

    void insert(uint32_t id);
    bool contains(uint32_t id) const
    {
        if (id < m_table.size())
            return m_table[id] != 0;
        return containsLarge(id);
    }
    // The ids in increasing order, each once.
    const std::vector<uint32_t> &ids() const { return m_ids; }
    bool isEmpty() const { return m_ids.empty(); }

private:
    bool containsLarge(uint32_t id) const;

    // Ids below this get a table entry; user ids start at 2000, so the table stays small.
    static const uint32_t TableLimit = 1u << 16;
    std::vector<uint32_t> m_ids;
    std::vector<uint8_t> m_table;
};

} // namespace Operations
} // namespace Core
