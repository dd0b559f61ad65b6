#pragma once

#include "abstractdistancecountingautomatonnofinalize.h"

namespace Core {
namespace Operations {

// Implants a band of cells at a depth below the top surface of each column,
// then widens the band by the annealing distance.
class IonImplantation : public AbstractDistanceCountingAutomatonNoFinalize
{
public:
    // implantable: the materials ions can enter (the catalogue's simple doping process).
    IonImplantation(Model::Automaton::TotalVolume &volume, uint32_t dopedMaterial, float depth, float verticalSpread,
                    float annealingDistance, const MaterialSet &implantable);

    int iterationCount() const;
    void simulate();

    // The column pass replaces the per-cell initialization.
    void initializeSlab(unsigned first, unsigned last, unsigned slab) override;
    void linkSlab(unsigned first, unsigned last, unsigned slab) override;
    void initializeCell(uint32_t cell, unsigned slab) override;
    void updateCell(uint32_t cell, unsigned first, unsigned last, std::vector<uint32_t> &newFront,
                    unsigned slab) override;

private:
    uint32_t m_material;
    float m_depth;
    float m_spread;
    float m_annealing;
    float m_annealingSq;
    StepVectors m_ownSteps;
    // Per slab: the cells implanted by the column pass, whose neighbours start the annealing front.
    std::vector<std::vector<uint32_t>> m_implanted;
};

} // namespace Operations
} // namespace Core
