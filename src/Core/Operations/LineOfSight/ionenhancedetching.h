#pragma once

#include "lineofsightprocess.h"

namespace Core {
namespace Operations {

// Ion-enhanced etching: the etch rate of a face is the open field's rate
// times f I + (1 - f) N, where I is the ion flux it receives (ions from a
// narrow Gaussian about the vertical, reacting where they land), N the
// neutral flux (a diffuse source; neutrals react with the etched material
// with the sticking probability and are re-emitted diffusely by everything
// else), both relative to an open flat field, and f the ion fraction. Other
// materials are a mask and erode at that rate divided by the selectivity.
// Narrow openings get less neutral flux (and, for wide ion spreads, fewer
// ions): they etch slower, the aspect-ratio-dependent etching of real plasmas.
class IonEnhancedEtching : public LineOfSightProcess
{
public:
    IonEnhancedEtching(Model::Automaton::TotalVolume &volume, uint32_t material, double depth, double ionSpread,
                       double ionFraction, double neutralSticking, double selectivity);

    void run() override;
    double plannedParticles() const override;
    double plannedFlights() const override;
    unsigned subSteps() const;

protected:
    QString checkProcess() const override;

private:
    bool usesIons() const { return m_ionFraction > 0; }
    bool usesNeutrals() const { return m_ionFraction < 1; }

    uint32_t m_material;
    double m_depth;
    double m_ionSpread;
    double m_ionFraction;
    double m_neutralSticking;
    double m_selectivity;
};

} // namespace Operations
} // namespace Core
