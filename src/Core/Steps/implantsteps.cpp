// Implantation by ion, energy and dose, and the anneal that drives the dopant in.

#include "declare.h"
#include "steprun.h"
#include "stepregistry.h"

#include "Core/Operations/Implant/dopantanneal.h"
#include "Core/Operations/Implant/dopantimplant.h"

namespace Core {
namespace Steps {

using namespace Core::Operations;
using namespace Declare;

namespace {

const char *const Species = "Species";
const char *const Energy = "Energy";
const char *const Dose = "Dose";
const char *const Tilt = "Tilt";
const char *const Temperature = "Temperature";
const char *const Time = "Time";

QString checkImplant(const StepRun &run)
{
    const int ion = implantSpecies(run.text(Species));
    const QString values = DopantImplant::checkValues(ion, run.number(Energy), run.number(Dose), run.number(Tilt));
    if (ion < 0)
        return QStringLiteral("\"%1\" is no species the implant knows: give %2.")
            .arg(run.text(Species), implantSpeciesNames().join(QStringLiteral(", ")));
    if (!values.isEmpty() || !run.context.volume)
        return values;
    return DopantImplant(run.volume(), ion, run.number(Energy), run.number(Dose), run.number(Tilt)).check();
}

int runImplant(StepRun &run)
{
    DopantImplant(run.volume(), implantSpecies(run.text(Species)), run.number(Energy), run.number(Dose),
                  run.number(Tilt))
        .run();
    return StepSucceeded;
}

QString checkAnneal(const StepRun &run) { return DopantAnneal::checkValues(run.number(Temperature), run.number(Time)); }

int runAnneal(StepRun &run)
{
    DopantAnneal(run.volume(), run.number(Temperature), run.number(Time)).run();
    // A stop leaves the fields part-way; the executor sees the token and puts them back.
    return StepSucceeded;
}

} // namespace

void addImplantSteps(QList<StepDefinition> &steps)
{
    StepDefinition implant;
    implant.type = ProcessData::DopantImplant;
    implant.name = QStringLiteral("Dopant Implant");
    implant.aliases = QStringList{QStringLiteral("Implant by Dose")};
    implant.comboOrder = 23;
    implant.operationNumber = 41;
    implant.processId = DopantImplant::TargetProcessId;
    implant.summary = QStringLiteral("Implants an ion by energy and dose: a Gaussian depth profile from published "
                                     "range statistics in silicon, through mask layers by their density, spread "
                                     "laterally by the lateral straggle; kept as a concentration field.");
    implant.parameters = {
        text(QLatin1String(Species)).label(QStringLiteral("Species")).field(QStringLiteral("Species"))
            .texts(implantSpeciesNames()).byDefault(QStringLiteral("B"))
            .hint(QStringLiteral("The ion. BF2 implants boron.")),
        number(QLatin1String(Energy)).label(QStringLiteral("Energy")).unit(QStringLiteral("keV")).above(0).upTo(200)
            .decimals(1).byDefault(30.0).field(QStringLiteral("Energy"))
            .hint(QStringLiteral("Within the range table: 10 to 200 keV (BF2: 44.5 to 200 keV).")),
        number(QLatin1String(Dose)).label(QStringLiteral("Dose")).unit(QString::fromUtf8("cm⁻²")).above(0).upTo(1e40)
            .decimals(0).byDefault(1e14).field(QStringLiteral("Dose")),
        number(QLatin1String(Tilt)).label(QStringLiteral("Tilt")).unit(QStringLiteral("degrees")).range(0, 60)
            .decimals(1).byDefault(7.0).field(QStringLiteral("Tilt"))
            .hint(QStringLiteral("The beam's angle from the wafer normal; it shortens the projected range by "
                                 "cos(tilt)."))};
    implant.lattice = LatticeEffect::None;
    implant.changesDopants = true;
    implant.form = DialogForm{QStringLiteral("DopantImplantForm"), QStringLiteral("Dopant Implant Options"), 360, 220,
                              false, QString()};
    implant.check = checkImplant;
    implant.run = runImplant;
    steps << implant;

    StepDefinition anneal;
    anneal.type = ProcessData::DopantAnneal;
    anneal.name = QStringLiteral("Dopant Anneal");
    anneal.aliases = QStringList{QStringLiteral("Drive-In"), QStringLiteral("Drive In Anneal")};
    anneal.comboOrder = 24;
    anneal.operationNumber = 42;
    anneal.summary = QStringLiteral("Diffuses every dopant's concentration within the silicon cells for a time at a "
                                    "temperature (Fick's law, Fair's intrinsic diffusivities); the dose is kept.");
    anneal.parameters = {
        number(QLatin1String(Temperature)).label(QStringLiteral("Temperature")).unit(QString::fromUtf8("°C"))
            .range(DopantAnneal::LowestTemperature, DopantAnneal::HighestTemperature).decimals(1).byDefault(1000.0)
            .field(QStringLiteral("Temperature")),
        number(QLatin1String(Time)).label(QStringLiteral("Time")).unit(QStringLiteral("min")).range(0, 1e6)
            .decimals(2).byDefault(30.0).field(QStringLiteral("Time"))};
    anneal.lattice = LatticeEffect::None;
    anneal.changesDopants = true;
    anneal.form = DialogForm{QStringLiteral("DopantAnnealForm"), QStringLiteral("Dopant Anneal Options"), 340, 160,
                             false, QString()};
    anneal.check = checkAnneal;
    anneal.run = runAnneal;
    steps << anneal;
}

} // namespace Steps
} // namespace Core
