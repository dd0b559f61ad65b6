#pragma once

#include "parametervalue.h"

#include "Core/Operations/processoperation.h"

namespace Core {
namespace Operations {

// "Isotropic Deposition" (factory 13) and, with the CVD materials, "CVD" (factory 33).
class IsotropicFilmDepositionOperation : public ProcessOperation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 13;
    static constexpr int CvdFactoryNumber = 33;

    // factoryNumber: 13 or 33; both run as operation 13 and differ in name and offered materials.
    explicit IsotropicFilmDepositionOperation(Workspace *workspace, int factoryNumber = FactoryNumber);

    // The catalogue process whose compatible materials the dialog offers: 18, or 3 for "CVD".
    unsigned materialProcessId() const { return m_materialProcessId; }

    void setFilmThickness(float thickness) { m_thickness.setNonNegative(thickness); }
    void setMaterialId(unsigned id) { m_material.set(id); }

protected:
    bool parametersComplete() const override { return m_thickness.isGiven() && m_material.isGiven(); }
    void runEngine(Model::Automaton::TotalVolume &volume) override;
    bool changesSilicon() const override { return m_material.value() == 1; }

private:
    unsigned m_materialProcessId;
    ParameterValue<float> m_thickness{10};
    ParameterValue<unsigned> m_material;
};

} // namespace Operations
} // namespace Core
