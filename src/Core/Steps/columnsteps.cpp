// The column family: steps that work along each cell column (planarization,
// pouring a material, reactive-ion etching).

#include "declare.h"
#include "steprun.h"
#include "stepregistry.h"

#include "Core/Operations/ColumnProcesses/planarization.h"
#include "Core/Operations/ColumnProcesses/simplereactiveionetching.h"
#include "Core/Operations/ColumnProcesses/spincoating.h"

namespace Core {
namespace Steps {

using namespace Core::Operations;
using namespace Declare;

namespace {

const unsigned PlanarizationProcess = 7, SpinCoatingProcess = 8;

Param height(const char *name, const char *label, const char *field)
{
    return whole(QLatin1String(name)).label(QLatin1String(label)).field(QLatin1String(field)).unit(QStringLiteral("cells"))
        .range(0, 999999999).byDefault(0u).upToVolumeHeight();
}

int runPlanarization(StepRun &run)
{
    Planarization(run.volume(), run.whole("Maximum Height"), run.whole("Minimum Height")).run();
    return StepSucceeded;
}

int runSpinCoating(StepRun &run)
{
    SpinCoating(run.volume(), run.material(MaterialBase), run.whole("Maximum Height")).run();
    return StepSucceeded;
}

int runReactiveIonEtching(StepRun &run)
{
    SimpleReactiveIonEtching(run.volume(), run.material(MaterialBase), run.whole("Etch Depth"),
                             unsigned(run.integer("EtchDirectionValue")))
        .run();
    return StepSucceeded;
}

} // namespace

void addColumnSteps(QList<StepDefinition> &steps)
{
    StepDefinition planarization;
    planarization.type = ProcessData::Planarization;
    planarization.name = QStringLiteral("Planarization");
    planarization.comboOrder = 12;
    planarization.operationNumber = 22;
    planarization.processId = PlanarizationProcess;
    planarization.summary = QStringLiteral("Empties every cell below the minimum and above the maximum height.");
    planarization.parameters = {
        height("Minimum Height", "Minimum Height", "MinimumHeight")
            .hint(QStringLiteral("All cells below this height will be removed."))
            .notAbove(QStringLiteral("Maximum Height")),
        height("Maximum Height", "Maximum Height", "MaximumHeight")
            .hint(QStringLiteral("All cells above this height will be removed.")).startsAtMaximum()};
    planarization.lattice = LatticeEffect::Stale;
    planarization.form =
        DialogForm{QStringLiteral("PlanarizationOptionsBaseDialog"), QStringLiteral("Planarization Options"), 400, 190};
    planarization.run = runPlanarization;
    steps << planarization;

    StepDefinition pouring;
    pouring.type = ProcessData::SpinCoating;
    pouring.name = QStringLiteral("Spin Coating");
    pouring.menuText = QStringLiteral("Pour Material");
    pouring.comboOrder = 13;
    pouring.operationNumber = 23;
    pouring.processId = SpinCoatingProcess;
    pouring.summary = QStringLiteral("Fills every empty cell up to a height with one material.");
    pouring.parameters = {material(), height("Maximum Height", "Deposition Height", "Height")};
    pouring.lattice = LatticeEffect::StaleIfSilicon;
    pouring.latticeMaterial = QLatin1String(MaterialBase);
    pouring.form =
        DialogForm{QStringLiteral("SpinCoatingOptionsBaseDialog"), QStringLiteral("Pour Material Options"), 207, 190};
    pouring.run = runSpinCoating;
    steps << pouring;

    StepDefinition rie;
    rie.type = ProcessData::SimpleRie;
    rie.name = QStringLiteral("Simple RIE");
    rie.comboText = QStringLiteral("RIE");
    rie.comboOrder = 16;
    rie.operationNumber = 30;
    rie.summary = QStringLiteral("Removes one material layer by layer straight down, up, or both, from where it is "
                                 "exposed.");
    rie.parameters = {
        whole(QStringLiteral("Etch Depth")).label(QStringLiteral("Etch Depth")).field(QStringLiteral("EtchDepth"))
            .alias(QStringLiteral("Depth")).unit(QStringLiteral("units")).range(1, 999999999).byDefault(1u),
        material().label(QStringLiteral("Select Material")),
        flags(QStringLiteral("EtchDirectionValue")).hidden().companion(QStringLiteral("Etch Direction"))
            .label(QStringLiteral("Etch direction")).byDefault(int(SimpleReactiveIonEtching::FromTop))
            .choice(SimpleReactiveIonEtching::FromBelow, QStringLiteral("Etch from below"), QStringLiteral("EtchFromBelow"),
                    QStringLiteral("bottom"), QStringLiteral("Bottom"))
            .choice(SimpleReactiveIonEtching::FromTop, QStringLiteral("Etch from top"), QStringLiteral("EtchFromTop"),
                    QStringLiteral("top"), QStringLiteral("Top"))
            .choice(SimpleReactiveIonEtching::FromTop | SimpleReactiveIonEtching::FromBelow, QString(), QString(),
                    QStringLiteral("both"), QStringLiteral("Bottom and Top"))};
    rie.lattice = LatticeEffect::StaleIfSilicon;
    rie.latticeMaterial = QLatin1String(MaterialBase);
    rie.form = DialogForm{QStringLiteral("SimpleRIEForm"), QStringLiteral("Simple RIE Options"), 400, 280, true};
    rie.run = runReactiveIonEtching;
    steps << rie;
}

} // namespace Steps
} // namespace Core
