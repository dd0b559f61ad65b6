// The line-of-sight family: steps whose surfaces move by the particle flux
// they receive (sputter deposition, ion-enhanced etching, the Bosch process).

#include "declare.h"
#include "steprun.h"
#include "stepregistry.h"

#include "Core/Operations/DistanceCounting/materialset.h"
#include "Core/Operations/LineOfSight/boschetching.h"
#include "Core/Operations/LineOfSight/ionenhancedetching.h"
#include "Core/Operations/LineOfSight/sputterdeposition.h"

namespace Core {
namespace Steps {

using namespace Core::Operations;
using namespace Declare;

namespace {

// Catalogue processes: sputtering is physical vapour deposition; DRIE etches its compatible materials.
const unsigned PvdProcess = 4, DrieProcess = 2;

const char *const Thickness = "Thickness";
const char *const SourceExponent = "Source Exponent";
const char *const Sticking = "Sticking Coefficient";
const char *const Depth = "Depth";
const char *const IonSpread = "Ion Spread";
const char *const IonFraction = "Ion Fraction";
const char *const NeutralSticking = "Neutral Sticking Coefficient";
const char *const Selectivity = "Selectivity";
const char *const Cycles = "Cycles";
const char *const EtchPerCycle = "Etch per Cycle";
const char *const PassivationPerCycle = "Passivation per Cycle";

Param sticking(const char *name, const char *label, const char *field, double value)
{
    return number(QLatin1String(name)).label(QLatin1String(label)).field(QLatin1String(field)).above(0).upTo(1)
        .decimals(3).step(0.01).byDefault(value)
        .hint(QStringLiteral("The probability that a particle reacts where it lands; otherwise it is re-emitted "
                             "diffusely."));
}

Param ionSpread(double value)
{
    return number(QLatin1String(IonSpread)).label(QStringLiteral("Ion spread")).field(QStringLiteral("IonSpread"))
        .unit(QStringLiteral("degrees")).range(0, 89.9).decimals(1).byDefault(value)
        .hint(QStringLiteral("The standard deviation of the ions' tilt from the vertical, along x and along y."));
}

SputterDeposition sputtering(const StepRun &run)
{
    return SputterDeposition(run.volume(), run.material(MaterialBase), run.number(Thickness), run.number(SourceExponent),
                             run.number(Sticking));
}

// A dialog asks before it knows the volume: the volume's checks wait for the run.
QString checkSputtering(const StepRun &run) { return run.context.volume ? sputtering(run).check() : QString(); }

int runSputtering(StepRun &run)
{
    sputtering(run).run();
    return StepSucceeded;
}

IonEnhancedEtching ionEtching(const StepRun &run)
{
    return IonEnhancedEtching(run.volume(), run.material(MaterialBase), run.number(Depth), run.number(IonSpread),
                              run.number(IonFraction), run.number(NeutralSticking), run.number(Selectivity));
}

QString checkIonEtching(const StepRun &run) { return run.context.volume ? ionEtching(run).check() : QString(); }

int runIonEtching(StepRun &run)
{
    ionEtching(run).run();
    return StepSucceeded;
}

BoschEtching bosch(const StepRun &run)
{
    return BoschEtching(run.volume(), MaterialSet::fromProcess(DrieProcess), run.whole(Cycles), run.number(EtchPerCycle),
                        run.number(PassivationPerCycle), run.number(IonSpread), run.number(NeutralSticking));
}

QString checkBosch(const StepRun &run)
{
    const QString values = BoschEtching::checkValues(run.number(EtchPerCycle), run.number(PassivationPerCycle));
    if (!values.isEmpty() || !run.context.volume)
        return values;
    return bosch(run).check();
}

int runBosch(StepRun &run)
{
    bosch(run).run();
    return StepSucceeded;
}

} // namespace

void addLineOfSightSteps(QList<StepDefinition> &steps)
{
    StepDefinition sputter;
    sputter.type = ProcessData::SputterDeposition;
    sputter.name = QStringLiteral("Sputter Deposition");
    sputter.aliases = QStringList{QStringLiteral("Sputtering")};
    sputter.comboOrder = 20;
    sputter.operationNumber = 38;
    sputter.processId = PvdProcess;
    sputter.summary = QStringLiteral("A film grown by the flux each surface receives from a cos^n source above, with "
                                     "re-emission of what does not stick: thin on trench bottoms and walls, "
                                     "overhangs at the top corners.");
    sputter.parameters = {
        material().materials(PvdProcess),
        length(QLatin1String(Thickness)).label(QStringLiteral("Thickness on an open field"))
            .field(QStringLiteral("Thickness")).byDefault(10.0),
        number(QLatin1String(SourceExponent)).label(QStringLiteral("Source exponent"))
            .field(QStringLiteral("SourceExponent")).range(0, 1000).byDefault(1.0)
            .hint(QStringLiteral("n of the source's cos^n angular distribution: 1 is diffuse, larger is more "
                                 "directional.")),
        sticking(Sticking, "Sticking coefficient", "StickingCoefficient", 1.0)};
    sputter.lattice = LatticeEffect::StaleIfSilicon;
    sputter.latticeMaterial = QLatin1String(MaterialBase);
    sputter.form = DialogForm{QStringLiteral("SputterDepositionForm"), QStringLiteral("Sputter Deposition Options"),
                              360, 220, false, QString()};
    sputter.check = checkSputtering;
    sputter.run = runSputtering;
    steps << sputter;

    StepDefinition ion;
    ion.type = ProcessData::IonEnhancedEtching;
    ion.name = QStringLiteral("Ion-Enhanced Etching");
    ion.aliases = QStringList{QStringLiteral("Ion Enhanced Etching")};
    ion.comboOrder = 21;
    ion.operationNumber = 39;
    ion.summary = QStringLiteral("Plasma etching driven by ions from above and neutrals that react where they "
                                 "land: narrow openings etch slower; other materials are a mask eroded by the "
                                 "selectivity.");
    ion.parameters = {
        material().label(QStringLiteral("Material to etch")),
        length(QLatin1String(Depth)).label(QStringLiteral("Depth on an open field")).field(QStringLiteral("Depth"))
            .byDefault(10.0),
        ionSpread(5.0),
        number(QLatin1String(IonFraction)).label(QStringLiteral("Ion fraction")).field(QStringLiteral("IonFraction"))
            .range(0, 1).decimals(2).step(0.05).byDefault(0.8)
            .hint(QStringLiteral("The share of the open-field etch rate the ions drive; the neutrals drive the "
                                 "rest.")),
        sticking(NeutralSticking, "Neutral sticking coefficient", "NeutralSticking", 0.1),
        number(QLatin1String(Selectivity)).label(QStringLiteral("Selectivity")).field(QStringLiteral("Selectivity"))
            .above(0).upTo(1e9).byDefault(20.0)
            .hint(QStringLiteral("How many times slower the other materials (the mask) erode."))};
    ion.lattice = LatticeEffect::Stale;
    ion.form = DialogForm{QStringLiteral("IonEnhancedEtchingForm"), QStringLiteral("Ion-Enhanced Etching Options"),
                          380, 300, false, QString()};
    ion.check = checkIonEtching;
    ion.run = runIonEtching;
    steps << ion;

    StepDefinition drie;
    drie.type = ProcessData::BoschDrie;
    drie.name = QStringLiteral("Bosch DRIE");
    drie.aliases = QStringList{QStringLiteral("DRIE"), QStringLiteral("Bosch Process")};
    drie.comboOrder = 22;
    drie.operationNumber = 40;
    drie.processId = DrieProcess;
    drie.summary = QStringLiteral("Deep reactive-ion etching of the DRIE process's materials (silicon) in cycles of "
                                  "passivation, ion opening and isotropic etching: near-vertical walls with one "
                                  "scallop per cycle.");
    drie.parameters = {
        whole(QLatin1String(Cycles)).label(QStringLiteral("Cycles")).field(QStringLiteral("Cycles"))
            .range(1, 100000).byDefault(10u),
        length(QLatin1String(EtchPerCycle)).label(QStringLiteral("Etch per cycle")).field(QStringLiteral("EtchPerCycle"))
            .above(0).byDefault(3.0)
            .hint(QStringLiteral("Silicon removed per cycle on an open field.")),
        length(QLatin1String(PassivationPerCycle)).label(QStringLiteral("Passivation per cycle"))
            .field(QStringLiteral("PassivationPerCycle")).byDefault(1.0).notAbove(QLatin1String(EtchPerCycle))
            .hint(QStringLiteral("Passivation deposited per cycle; the ions of a cycle clear as much as the cycle "
                                 "etches on an open field, times the ion flux a face receives. About a third of the "
                                 "etch per cycle keeps the walls vertical.")),
        ionSpread(3.0),
        sticking(NeutralSticking, "Neutral sticking coefficient", "NeutralSticking", 0.1)};
    drie.lattice = LatticeEffect::Stale;
    drie.form = DialogForm{QStringLiteral("BoschDrieForm"), QStringLiteral("Bosch DRIE Options"), 380, 280, false,
                           QString()};
    drie.check = checkBosch;
    drie.run = runBosch;
    steps << drie;
}

} // namespace Steps
} // namespace Core
