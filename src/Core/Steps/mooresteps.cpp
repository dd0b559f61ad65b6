// The Moore-neighbourhood family: films grown or removed a whole cell layer at a time.

#include "declare.h"
#include "steprun.h"
#include "stepregistry.h"

#include "Core/Operations/Moore/mooreneighborhooddeposition.h"
#include "Core/Operations/Moore/mooreneighborhoodetching.h"

namespace Core {
namespace Steps {

using namespace Core::Operations;
using namespace Declare;

namespace {

// label is also the name the other families keep the value under, so it answers to it too.
Param layers(const char *name, const char *label)
{
    // Stored as whole cells; read as a number so a fraction counts by its whole part.
    return number(QLatin1String(name), QMetaType::UInt).label(QLatin1String(label)).field(QStringLiteral("Value"))
        .alias(QLatin1String(label)).unit(QStringLiteral("cells")).range(1, 999999999).decimals(0).byDefault(1u);
}

int runDeposition(StepRun &run)
{
    MooreNeighborhoodDeposition(run.volume(), run.material(MaterialBase)).run(wholeLayers(run.number("Thickness")));
    return StepSucceeded;
}

int runEtching(StepRun &run)
{
    MooreNeighborhoodEtching(run.volume(), run.material(MaterialBase)).run(wholeLayers(run.number("Depth")));
    return StepSucceeded;
}

} // namespace

void addMooreSteps(QList<StepDefinition> &steps)
{
    StepDefinition deposition;
    deposition.type = ProcessData::MooreDeposition;
    deposition.name = QStringLiteral("Moore deposition");
    deposition.menuText = QStringLiteral("Moore Deposition");
    deposition.comboOrder = 9;
    deposition.operationNumber = 18;
    deposition.summary = QStringLiteral("A film a whole number of cell layers thick, grown over all 26 neighbours.");
    deposition.parameters = {material().label(QStringLiteral("Select Film")).field(QStringLiteral("Film")),
                             layers("Thickness", "Film Thickness")};
    deposition.lattice = LatticeEffect::StaleIfSilicon;
    deposition.latticeMaterial = QLatin1String(MaterialBase);
    deposition.form = DialogForm{QStringLiteral("MooreOptionsBaseDialog"), QStringLiteral("Operation Options"), 369, 223};
    deposition.run = runDeposition;
    steps << deposition;

    StepDefinition etching = deposition;
    etching.type = ProcessData::MooreEtching;
    etching.name = QStringLiteral("Moore etching");
    etching.menuText = QStringLiteral("Moore Etching");
    etching.comboOrder = 10;
    etching.operationNumber = 19;
    etching.summary = QStringLiteral("Removes one material a whole number of cell layers deep, over all 26 neighbours.");
    etching.parameters = {material().label(QStringLiteral("Select Film")).field(QStringLiteral("Film")),
                          layers("Depth", "Etch Depth")};
    etching.run = runEtching;
    steps << etching;
}

} // namespace Steps
} // namespace Core
