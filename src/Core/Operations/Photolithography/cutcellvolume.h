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

// Hides or shows whole vertical columns through a mask by changing the
// cells' cut count; the cells keep their material. A column is cut where the
// mask is transparent (0), including everywhere outside the image.
class CutCellVolume
{
public:
    // Mask bits x * height + y; width and height 0 cut every column.
    // The volume must outlive the object.
    CutCellVolume(Model::Automaton::TotalVolume &volume, const std::vector<bool> &mask, unsigned width,
                  unsigned height);

    // Raises the cut count of every cell of the cut columns (saturating at 255).
    void applyCut();
    // Lowers it again (never below 0), leaving other cuts of the same cells in place.
    void undoCut();
    // Sets every cell's cut count to 0.
    void removeCuts();

    unsigned slabCount() const;

private:
    enum class Change { Increment, Decrement, Reset };
    void change(Change what);

    Model::Automaton::TotalVolume &m_volume;
    std::vector<uint8_t> m_columns;
};

} // namespace Operations
} // namespace Core
