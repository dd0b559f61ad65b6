#pragma once

#include <cstdint>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Core {
namespace Operations {

// Develops a resist film through a top and a bottom mask: in every column
// whose mask bit lets the resist go, the whole vertical run of resist that
// touches empty space on the exposed side is removed, along z only.
// Resist 12 ("Photoresist -") is negative: what the mask covers goes, the rest stays.
class Photolithography
{
public:
    static const uint32_t NegativeResist = 12;

    // Masks as bits x * height + y with their width (along x) and height (along y);
    // width and height 0 for no mask. The volume must outlive the automaton.
    Photolithography(Model::Automaton::TotalVolume &volume, uint32_t material, const std::vector<bool> &bottomMask,
                     unsigned bottomWidth, unsigned bottomHeight, const std::vector<bool> &topMask,
                     unsigned topWidth, unsigned topHeight);

    // Locks the volume for the whole run.
    void run();

    unsigned slabCount() const;
    // Per column x * sizeY + y: 1 where the resist stays, 0 where it is developed away.
    const std::vector<uint8_t> &topColumns() const { return m_top; }
    const std::vector<uint8_t> &bottomColumns() const { return m_bottom; }

private:
    std::vector<uint8_t> columns(const std::vector<bool> &bits, unsigned width, unsigned height) const;

    Model::Automaton::TotalVolume &m_volume;
    uint32_t m_material;
    std::vector<uint8_t> m_bottom;
    std::vector<uint8_t> m_top;
};

} // namespace Operations
} // namespace Core
