// Random-walk doping: dopant particles diffuse from the surface cell by cell.

#include "declare.h"
#include "steprun.h"
#include "stepregistry.h"

#include "Core/Operations/DopingOperation/randomwalkdoping.h"

namespace Core {
namespace Steps {

using namespace Core::Operations;
using namespace Declare;

namespace {

// Values in SI units, as the walk takes them; the dialog shows cm, µm and minutes.
Param si(const char *name, const char *label, const char *unit, double value)
{
    return number(QLatin1String(name)).label(QLatin1String(label)).unit(QString::fromUtf8(unit)).byDefault(value);
}

QString checkWalk(const StepRun &run)
{
    // The walk's own check: positive step and cell size, a stay probability within [0, 1] ...
    return RandomWalkDoping::checkParameters(run.number("Diffusion Coefficient"), run.number("Time Step Duration"),
                                             run.number("Cell Size"), run.number("Surface Concentration"),
                                             run.number("Doping Threshold"));
}

int runWalk(StepRun &run)
{
    const uint32_t seed = run.given("Seed") ? run.whole("Seed") : RandomWalkDoping::timeSeed();
    RandomWalkDoping doping(run.volume(), run.material(MaterialBase), run.number("Diffusion Coefficient"),
                            run.number("Time Step Duration"), run.number("Cell Size"),
                            run.number("Surface Concentration"), run.number("Doping Threshold"), seed);
    doping.setSurface(RandomWalkDoping::Surface(run.valueOrDefault("Surface").toInt()));
    if (!doping.dope(run.number("Doping Time")))
        return run.reject(doping.error());
    return StepSucceeded;
}

} // namespace

void addDopingSteps(QList<StepDefinition> &steps)
{
    StepDefinition walk;
    walk.type = ProcessData::RandomWalkDoping;
    walk.name = QStringLiteral("Doping (Random Walk CA)");
    walk.menuText = QStringLiteral("Random Walk Doping");
    walk.comboOrder = 14;
    walk.operationNumber = 36;
    walk.processId = RandomWalkDoping::DopableProcessId;
    walk.summary = QStringLiteral("Dopant particles walk from the surface into the dopable cells (or, sealed, only "
                                  "spread inside them); cells above the threshold concentration become the doped "
                                  "material.");
    // Defaults: the dialog's 2.6e-14 cm²/s, 0.1 µm, 320.5 s, 1e-15 cm⁻³, 60 minutes and 10 % of the surface value.
    walk.parameters = {
        si("Diffusion Coefficient", "Diffusion Coefficient", "m²/s", 2.6e-18)
            .field(QStringLiteral("DiffusionCoefficient")),
        si("Cell Size", "Cell Size", "m", 1e-7).above(0).field(QStringLiteral("CellSize")),
        si("Time Step Duration", "Time Step Duration", "s", 320.5128205128206).above(0)
            .field(QStringLiteral("TimeStepDuration")),
        si("Surface Concentration", "Dopant concentration", "m⁻³", 1e-9)
            .field(QStringLiteral("DopantConcentration")),
        material().label(QStringLiteral("Doping Material")).field(QStringLiteral("DopedMaterial"))
            .materials(RandomWalkDoping::DopableProcessId).idShown()
            .hint(QStringLiteral("This is the doped material. Not to be confused with the materials that will be "
                                 "doped. All materials in the list will be doped, plus Si.")),
        si("Doping Time", "Doping Time", "s", 3600.0).field(QStringLiteral("DopingTime")),
        si("Doping Threshold", "Threshold", "m⁻³", 1e-10).field(QStringLiteral("ThresholdRatio"))
            .hint(QStringLiteral("This informs the software of the minimum concentration in the cell to change the "
                                 "cell state to the doping material.")),
        choice(QStringLiteral("Surface")).label(QStringLiteral("Surface")).field(QStringLiteral("Surface"))
            .byDefault(int(RandomWalkDoping::Source)).optional()
            .choice(RandomWalkDoping::Source, QStringLiteral("Source at the surface concentration"),
                    QStringLiteral("SurfaceSource"), QStringLiteral("source"), QStringLiteral("Source"))
            .choice(RandomWalkDoping::Sealed, QStringLiteral("Sealed (no flux through the surface)"),
                    QStringLiteral("SurfaceSealed"), QStringLiteral("sealed"), QStringLiteral("Sealed"))
            .hint(QStringLiteral("Source: cells at the open surface are held at the surface concentration. Sealed: "
                                 "no particle enters or leaves through the surface, so the walk only spreads the "
                                 "particles already in the volume.")),
        whole(QStringLiteral("Seed")).label(QStringLiteral("Seed")).range(0, 4294967295.0).optional()};
    walk.lattice = LatticeEffect::Stale;
    walk.changesParticleCounts = true;
    walk.form = DialogForm{QStringLiteral("RandomWalkDopingBaseDialog"), QStringLiteral("Random Walk Doping Options"),
                           400, 550};
    walk.check = checkWalk;
    walk.run = runWalk;
    steps << walk;
}

} // namespace Steps
} // namespace Core
