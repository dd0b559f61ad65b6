#pragma once

#include "parametervalue.h"

#include "Core/Operations/processoperation.h"

namespace Core {
namespace Operations {

// "Simple Si Oxidation" (factory 26): oxide of a given thickness, or of the
// Deal–Grove thickness after a time at a temperature and pressure. Keeps no undo entry.
class SimpleSiOxidationOperation : public ProcessOperation
{
    Q_OBJECT
public:
    static constexpr int FactoryNumber = 26;
    static const unsigned OxidizableProcessId = 12;

    explicit SimpleSiOxidationOperation(Workspace *workspace);

    // Microns.
    // A refused value (negative, zero where it must be positive, not a number)
    // cancels the step rather than letting a default stand in for it.
    void setOxidationThickness(double microns) { refuseUnless(m_thickness.setNonNegative(microns)); }
    // Hours, kelvin, atm.
    void setOxidationTime(double hours) { refuseUnless(m_time.setNonNegative(hours)); }
    void setOxidationTemperature(double kelvin) { refuseUnless(m_temperature.setPositive(kelvin)); }
    void setOxidationPressure(double atm) { refuseUnless(m_pressure.setPositive(atm)); }
    // Cell units per micron.
    void setMicronConversion(double cellsPerMicron) { refuseUnless(m_conversion.setPositive(cellsPerMicron)); }

    // The thickness the step grows on bare silicon, in microns: the given one, else Deal–Grove.
    double thicknessMicrons() const;

protected:
    bool parametersComplete() const override { return !m_refused && (m_thickness.isGiven() || m_time.isGiven()); }
    void runEngine(Model::Automaton::TotalVolume &volume) override;
    bool changesSilicon() const override { return true; }
    bool isUndoable() const override { return false; }

private:
    void refuseUnless(bool accepted) { m_refused = m_refused || !accepted; }

    bool m_refused = false;
    ParameterValue<double> m_thickness{10};
    ParameterValue<double> m_time{2};
    // A time without temperature or pressure uses the dialog's defaults.
    ParameterValue<double> m_temperature{1273};
    ParameterValue<double> m_pressure{1};
    ParameterValue<double> m_conversion{1};
};

} // namespace Operations
} // namespace Core
