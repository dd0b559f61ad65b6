#pragma once

#include "abstractdistancecountingautomatonbase.h"

namespace Core {
namespace Operations {

// The thickness of thermal oxide lying in front of cells, measured through the
// oxide by distance counting: at oxidizable cells the oxide between them and
// the empty space (the path of the oxidant), or at empty cells the oxide
// between them and the oxidizable material. Changes no material; the
// automaton values of the oxide cells hold the distances afterwards.
class OxideDepth : public AbstractDistanceCountingAutomatonBase
{
public:
    enum Side {
        AtSilicon, // oxidizable cells with an oxide face neighbour and no empty one
        AtSurface  // empty cells with an oxide face neighbour, silicon lying within 45° of beneath
    };
    struct Entry
    {
        uint32_t cell;
        float depth;        // volume length units; from the cell's face
        uint8_t direction;  // neighbour order (-z, +z, -y, +y, -x, +x) of the oxide it was measured through
    };

    OxideDepth(Model::Automaton::TotalVolume &volume, const MaterialSet &oxidizable, Side side);

    // Every cell of the side that oxide reaching the other side lies in front
    // of, in increasing cell order.
    std::vector<Entry> measure();

    // True when the volume holds any oxide at all: without it nothing needs measuring.
    static bool volumeHoldsOxide(Model::Automaton::TotalVolume &volume);

    void initializeCell(uint32_t cell, unsigned slab) override;
    bool skipsUniformCells() const override { return true; }
    void updateCell(uint32_t cell, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                    unsigned slab) override;
    void finalizeCell(uint32_t cell, unsigned slab) override;
    void linkSlab(unsigned first, unsigned last, unsigned slab) override;

private:
    // Whether a cell is where the measured oxide ends (the sources) or where it is read.
    bool isSource(uint32_t material) const;
    bool isTarget(uint32_t cell, unsigned slab) const;

    MaterialSet m_oxidizable;
    Side m_side;
    StepVectors m_absoluteSteps;
    std::vector<std::vector<uint32_t>> m_sources;
    std::vector<std::vector<Entry>> m_entries;
};

} // namespace Operations
} // namespace Core
