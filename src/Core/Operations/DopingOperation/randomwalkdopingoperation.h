#pragma once

#include "Core/Operations/DistanceCounting/parametervalue.h"
#include "Core/Operations/processoperation.h"

#include <cstdint>

namespace Core {
namespace Operations {

// "Random Walk Doping" (factory 36): diffuses dopant particles into the
// doping-compatible cells of a volume and turns cells above the threshold
// into the doped material. Values are in SI units.
class RandomWalkDopingOperation : public ProcessOperation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 36;

    explicit RandomWalkDopingOperation(Workspace *workspace);

    void setCellSize(double metres) { m_cellSize.set(metres); }
    void setDiffusionCoefficient(double squareMetresPerSecond) { m_diffusion.set(squareMetresPerSecond); }
    void setMaterial(uint32_t id) { m_material.set(id); }
    void setSurfaceConcentration(double perCubicMetre) { m_surface.set(perCubicMetre); }
    void setDopingThreshold(double perCubicMetre) { m_threshold = perCubicMetre; }
    void setDopingTime(double seconds) { m_time.set(seconds); }
    void setTimeStepDuration(double seconds) { m_timeStep.set(seconds); }

    // Seeds the generator with a fixed value instead of the time (tests).
    void setSeed(uint32_t seed) { m_seed.set(seed); }

public Q_SLOTS:
    void finish() override;

protected:
    bool parametersComplete() const override;
    void runEngine(Model::Automaton::TotalVolume &volume) override;
    bool changesSilicon() const override { return true; }

private:
    ParameterValue<double> m_cellSize;
    ParameterValue<double> m_diffusion;
    ParameterValue<uint32_t> m_material;
    ParameterValue<double> m_surface;
    double m_threshold = 0.0;
    ParameterValue<double> m_time;
    ParameterValue<double> m_timeStep;
    ParameterValue<uint32_t> m_seed;
};

} // namespace Operations
} // namespace Core
