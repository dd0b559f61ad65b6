// Atomistic wet etching of crystalline silicon on the lattice laid over the volume.

#include "declare.h"
#include "steprun.h"
#include "stepregistry.h"

#include "Core/Operations/WetEtching/atomicstructuresimplesiwetetch.h"
#include "Core/Operations/WetEtching/atomisticwetetchengine.h"
#include "Core/Operations/WetEtching/continouswetetching.h"
#include "Core/Operations/WetEtching/etchantrates.h"
#include "Core/Operations/WetEtching/kineticwetetching.h"
#include "Model/Automaton/totalvolume.h"

namespace Core {
namespace Steps {

using namespace Core::Operations;
using namespace Declare;

namespace {

const unsigned WetEtchingProcess = 1;

// The lattice is built again when the cells changed since it was, or there is none;
// depth: how far the etch may reach, in units.
bool haveLattice(StepRun &run, double depth, int &code)
{
    Model::Automaton::TotalVolume &volume = run.volume();
    const bool stale = !run.context.latticeStale || run.context.latticeStale->value(volume.getId(), true);
    if (!stale && volume.getLattice())
        return true;
    QString error;
    if (volume.createLattice(&error, AtomisticWetEtchEngine::latticeReach(depth)))
        return true;
    // The cells are untouched; the next etch tries to build the lattice again.
    code = run.reject(QStringLiteral("The silicon lattice could not be built: %1").arg(error));
    return false;
}

template <class Etcher>
int etch(StepRun &run)
{
    int code = StepSucceeded;
    if (!haveLattice(run, run.number("Depth"), code))
        return code;
    Etcher etcher(run.volume(), run.number("Depth"));
    if (!etcher.run())
        return run.reject(QStringLiteral("The cell volume has no silicon lattice to etch."));
    return StepSucceeded;
}

QString checkEtchant(const StepRun &run)
{
    return EtchantRates::check(run.integer("Etchant"), run.number("Concentration"), run.number("Temperature"));
}

int runEtchant(StepRun &run)
{
    const EtchantRates::PlaneRates planes = EtchantRates::rates(
        EtchantRates::Etchant(run.integer("Etchant")), run.number("Concentration"), run.number("Temperature"));
    const double unitLength = run.volume().getUnitLength();
    const double minutes = run.number("Time");
    const double depth = KineticWetEtching::reachDepth(planes, unitLength, minutes);
    int code = StepSucceeded;
    if (!haveLattice(run, depth, code))
        return code;
    KineticWetEtching etcher(run.volume(), KineticWetEtching::classRates(planes, unitLength), minutes, depth);
    if (!etcher.run())
        return run.reject(QStringLiteral("The cell volume has no silicon lattice to etch."));
    return StepSucceeded;
}

} // namespace

void addWetEtchingSteps(QList<StepDefinition> &steps)
{
    StepDefinition bondCounting;
    bondCounting.type = ProcessData::SiWetEtching;
    bondCounting.name = QStringLiteral("Si wet etching");
    bondCounting.menuText = QStringLiteral("Si Wet Etching");
    bondCounting.aliases = QStringList{QStringLiteral("BCA Wet Etch")};
    bondCounting.comboOrder = 18;
    bondCounting.operationNumber = 28;
    bondCounting.processId = WetEtchingProcess;
    bondCounting.summary = QStringLiteral("Anisotropic wet etching of silicon atom by atom: (100) planes recede one "
                                          "atomic layer a step, (111) planes stand.");
    // One step is a (100) layer-to-layer distance in the plane, sqrt(2)/4.
    bondCounting.parameters = {length(QStringLiteral("Depth")).label(QStringLiteral("Etch Depth"))
                                   .alias(QStringLiteral("Etch Depth")).field(QStringLiteral("EtchDepth")).decimals(4).step(0.353552).byDefault(10.0)};
    bondCounting.lattice = LatticeEffect::Current;
    bondCounting.form = DialogForm{QStringLiteral("BCAEtchingForm"), QStringLiteral("Wet Etching Options"), 0, 0, false,
                                   QStringLiteral("Set the depth of the etching. This is how far down the (100) plane "
                                                  "on the surface will be etched.")};
    bondCounting.run = etch<AtomicStructureSimpleSiWetEtch>;
    steps << bondCounting;

    StepDefinition continuous = bondCounting;
    continuous.type = -1;
    continuous.name = QStringLiteral("Continuous Wet Etch");
    continuous.menuText = QStringLiteral("Si Wet Etching (CCA)");
    continuous.aliases = QStringList();
    continuous.operationNumber = 29;
    continuous.summary = QStringLiteral("The time-stepped variant of the atomistic wet etch: surface atoms wear away "
                                        "at rates by their bonds.");
    continuous.run = etch<ContinousWetEtching>;
    steps << continuous;

    StepDefinition etchant;
    etchant.type = ProcessData::AnisotropicWetEtch;
    etchant.name = QStringLiteral("Anisotropic Wet Etch");
    etchant.comboOrder = 25;
    etchant.operationNumber = 43;
    etchant.processId = WetEtchingProcess;
    etchant.summary = QStringLiteral("Wet etching of silicon in an alkaline etchant for a time, atom by atom: the "
                                     "(100), (110) and (111) planes recede at the etchant's published rates.");
    etchant.parameters = {
        choice(QStringLiteral("Etchant")).label(QStringLiteral("Etchant")).field(QStringLiteral("Etchant"))
            .byDefault(int(EtchantRates::Koh))
            .choice(EtchantRates::Koh, QStringLiteral("KOH"), QStringLiteral("Koh"), QStringLiteral("KOH")),
        number(QStringLiteral("Concentration")).label(QStringLiteral("Concentration")).unit(QStringLiteral("wt %"))
            .range(EtchantRates::KohMinPercent, EtchantRates::KohMaxPercent).byDefault(30.0)
            .field(QStringLiteral("Concentration"))
            .hint(QStringLiteral("Weight percent of the etchant in water; KOH: 10 to 40 wt %.")),
        number(QStringLiteral("Temperature")).label(QStringLiteral("Temperature")).unit(QString::fromUtf8("\u00b0C"))
            .range(EtchantRates::KohMinCelsius, EtchantRates::KohMaxCelsius).byDefault(80.0)
            .field(QStringLiteral("Temperature"))
            .hint(QString::fromUtf8("KOH: 20 to 100 \u00b0C.")),
        number(QStringLiteral("Time")).label(QStringLiteral("Time")).unit(QStringLiteral("min")).range(0, 1e6)
            .byDefault(1.0).field(QStringLiteral("Time"))};
    etchant.lattice = LatticeEffect::Current;
    etchant.form = DialogForm{QStringLiteral("AnisotropicWetEtchForm"), QStringLiteral("Anisotropic Wet Etch Options"),
                              0, 0, false,
                              QStringLiteral("Silicon is etched for the time given; lengths follow the volume's unit "
                                             "length.")};
    etchant.check = checkEtchant;
    etchant.run = runEtchant;
    steps << etchant;
}

} // namespace Steps
} // namespace Core
