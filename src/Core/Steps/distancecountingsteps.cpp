// The distance-counting family: films grown or removed by distance from a
// surface, doping to a depth, implantation and oxidation.

#include "declare.h"
#include "steprun.h"
#include "stepregistry.h"

#include "Core/Operations/DistanceCounting/anisotropicfilmdeposition.h"
#include "Core/Operations/DistanceCounting/anisotropicfilmetching.h"
#include "Core/Operations/DistanceCounting/electrodeposition.h"
#include "Core/Operations/DistanceCounting/ionimplantation.h"
#include "Core/Operations/DistanceCounting/isotropicfilmdeposition.h"
#include "Core/Operations/DistanceCounting/isotropicfilmetching.h"
#include "Core/Operations/DistanceCounting/materialset.h"
#include "Core/Operations/DistanceCounting/simpledoping.h"
#include "Core/Operations/DistanceCounting/simplephysicalvapordeposition.h"
#include "Core/Operations/DistanceCounting/simplesioxidation.h"

#include <cmath>

namespace Core {
namespace Steps {

using namespace Core::Operations;
using namespace Declare;

namespace {

// Catalogue processes whose compatible materials a step offers or works on.
const unsigned CvdProcess = 3, PvdProcess = 4, IsotropicEtchingProcess = 10, ElectroplatingProcess = 11,
               OxidizableProcess = 12, DopingProcess = 13, ImplantationProcess = 15, AnisotropicDepositionProcess = 16,
               AnisotropicEtchingProcess = 17, IsotropicDepositionProcess = 18;

const char *const Thickness = "Thickness";
const char *const FilmThickness = "Film Thickness";
const char *const Ratio = "Horizontal to Vertical Ratio";
const char *const EtchDepth = "Etch Depth";

Param ratio(int decimals)
{
    return number(QLatin1String(Ratio)).label(QStringLiteral("Horizontal ratio")).field(QStringLiteral("HorizontalRatio"))
        .range(0, 1e9).decimals(decimals).byDefault(0.5);
}

// Some steps keep "Thickness", others "Film Thickness": each answers to the other too.
Param filmThickness(const char *name)
{
    const char *other = QLatin1String(name) == QLatin1String(Thickness) ? FilmThickness : Thickness;
    return length(QLatin1String(name)).label(QStringLiteral("Film thickness")).field(QStringLiteral("FilmThickness"))
        .alias(QLatin1String(other)).byDefault(10.0);
}

DialogForm depositionForm()
{
    return DialogForm{QStringLiteral("IsotropicDepositionForm"), QStringLiteral("Isotropic Film Deposition"), 279, 150};
}

int depositIsotropic(StepRun &run, const char *thicknessName)
{
    IsotropicFilmDeposition(run.volume(), run.material(MaterialBase), float(run.number(thicknessName))).simulate();
    return StepSucceeded;
}

int runCvd(StepRun &run) { return depositIsotropic(run, Thickness); }
int runIsotropicDeposition(StepRun &run) { return depositIsotropic(run, FilmThickness); }

int runIsotropicEtching(StepRun &run)
{
    IsotropicFilmEtching(run.volume(), run.material(MaterialBase), float(run.number("Depth"))).simulate();
    return StepSucceeded;
}

int runElectroplating(StepRun &run)
{
    Electrodeposition(run.volume(), run.material("Deposited Material"), run.material("Conducting Material"),
                      float(run.number(FilmThickness)))
        .simulate();
    return StepSucceeded;
}

int runDoping(StepRun &run)
{
    SimpleDoping(run.volume(), run.material("Doped Material"), float(run.number("Doping Depth")),
                 MaterialSet::fromProcess(DopingProcess))
        .simulate();
    return StepSucceeded;
}

int runPvd(StepRun &run)
{
    SimplePhysicalVaporDeposition(run.volume(), run.material(MaterialBase), float(run.number(Thickness)),
                                  float(run.number(Ratio)), run.integer("DepositOn"))
        .simulate();
    return StepSucceeded;
}

int runIonImplantation(StepRun &run)
{
    IonImplantation(run.volume(), run.material("Doped Material"), float(run.number("Implantation Depth")),
                    float(run.number("Vertical Spread")), float(run.number("Annealing Distance")),
                    MaterialSet::fromProcess(DopingProcess))
        .simulate();
    return StepSucceeded;
}

// A list without an ambient or an orientation reads as dry oxygen on a (100) wafer, the lattice's own.
DealGrove oxidationKinetics(const StepRun &run)
{
    const DealGrove::Ambient ambient = run.given("Ambient") ? DealGrove::Ambient(run.integer("Ambient")) : DealGrove::Dry;
    const DealGrove::Orientation orientation =
        run.given("Orientation") ? DealGrove::Orientation(run.integer("Orientation")) : DealGrove::Plane100;
    return DealGrove(ambient, orientation);
}

QString checkOxidation(const StepRun &run)
{
    if (!run.flag("OxidationTimeSet"))
        return QString();
    const double microns = oxidationKinetics(run).thickness(
        run.number("Oxidation Time"), run.number("Oxidation Temperature"), run.number("Oxidation Pressure"));
    if (!(std::isfinite(microns) && microns >= 0))
        return QStringLiteral("The oxidation time, temperature and pressure give no usable oxide thickness.");
    return QString();
}

int runOxidation(StepRun &run)
{
    SimpleSiOxidation oxidation(run.volume(), MaterialSet::fromProcess(OxidizableProcess), run.number("Micron Conversion"),
                                oxidationKinetics(run));
    if (run.flag("OxidationTimeSet"))
        oxidation.oxidizeFor(run.number("Oxidation Time"), run.number("Oxidation Temperature"),
                             run.number("Oxidation Pressure"));
    else
        oxidation.oxidize(run.number("Oxidation Thickness"));
    return StepSucceeded;
}

int runAnisotropicDeposition(StepRun &run)
{
    AnisotropicFilmDeposition(run.volume(), run.material(MaterialBase), float(run.number(FilmThickness)),
                              float(run.number(Ratio)))
        .simulate();
    return StepSucceeded;
}

int runAnisotropicEtching(StepRun &run)
{
    AnisotropicFilmEtching(run.volume(), run.material(MaterialBase), float(run.number(EtchDepth)), float(run.number(Ratio)))
        .simulate();
    return StepSucceeded;
}

} // namespace

void addDistanceCountingSteps(QList<StepDefinition> &steps)
{
    StepDefinition cvd;
    cvd.type = ProcessData::Cvd;
    cvd.name = QStringLiteral("CVD");
    cvd.comboOrder = 3;
    cvd.operationNumber = 33;
    cvd.processId = CvdProcess;
    cvd.summary = QStringLiteral("Chemical vapour deposition: a film of even thickness on every exposed surface.");
    cvd.parameters = {material().materials(CvdProcess), filmThickness(Thickness)};
    cvd.lattice = LatticeEffect::StaleIfSilicon;
    cvd.latticeMaterial = QLatin1String(MaterialBase);
    cvd.form = depositionForm();
    cvd.run = runCvd;
    steps << cvd;

    StepDefinition isotropic = cvd;
    isotropic.type = ProcessData::IsotropicDeposition;
    isotropic.name = QStringLiteral("Isotropic Deposition");
    isotropic.comboOrder = 8;
    isotropic.operationNumber = 13;
    isotropic.processId = IsotropicDepositionProcess;
    isotropic.summary = QStringLiteral("A film of even thickness on every exposed surface.");
    isotropic.parameters = {material().materials(IsotropicDepositionProcess), filmThickness(FilmThickness)};
    isotropic.run = runIsotropicDeposition;
    steps << isotropic;

    StepDefinition etching;
    etching.type = ProcessData::IsotropicEtching;
    etching.name = QStringLiteral("Isotropic etching");
    etching.menuText = QStringLiteral("Isotropic Etching");
    etching.comboOrder = 7;
    etching.operationNumber = 14;
    etching.processId = IsotropicEtchingProcess;
    etching.summary = QStringLiteral("Removes one material to an even depth from every surface it shows.");
    etching.parameters = {material().materials(IsotropicEtchingProcess),
                          length(QStringLiteral("Depth")).label(QLatin1String(EtchDepth)).field(QStringLiteral("EtchDepth"))
                              .alias(QLatin1String(EtchDepth)).byDefault(10.0)};
    etching.lattice = LatticeEffect::StaleIfSilicon;
    etching.latticeMaterial = QLatin1String(MaterialBase);
    etching.form = DialogForm{QStringLiteral("IsotropicEtchingForm"), QStringLiteral("Isotropic Film Etching"), 279, 150};
    etching.run = runIsotropicEtching;
    steps << etching;

    StepDefinition plating;
    plating.type = ProcessData::Electroplating;
    plating.name = QStringLiteral("Electroplating");
    plating.comboOrder = 5;
    plating.operationNumber = 15;
    plating.processId = ElectroplatingProcess;
    plating.summary = QStringLiteral("Grows a film only around the cells of a conducting material.");
    plating.parameters = {filmThickness(FilmThickness), material(QStringLiteral("Deposited Material")),
                          material(QStringLiteral("Conducting Material")).label(QStringLiteral("Conducting Material"))
                              .field(QStringLiteral("ConductingMaterial"))};
    plating.lattice = LatticeEffect::StaleIfSilicon;
    plating.latticeMaterial = QStringLiteral("Deposited Material");
    plating.form = DialogForm{QStringLiteral("ElectrodepositionForm"), QStringLiteral("Electroplating Options"), 330, 186};
    plating.run = runElectroplating;
    steps << plating;

    const QString dopedHint = QStringLiteral("This is the doped material. Not to be confused with the materials that "
                                             "will be doped. All materials in the list will be doped, plus Si.");
    StepDefinition doping;
    doping.type = ProcessData::Doping;
    doping.name = QStringLiteral("Doping");
    doping.comboOrder = 4;
    doping.operationNumber = 17;
    doping.processId = DopingProcess;
    doping.summary = QStringLiteral("Turns the dopable materials within a depth of the surface into the doped material.");
    doping.parameters = {material(QStringLiteral("Doped Material")).label(QStringLiteral("Doped Material"))
                             .field(QStringLiteral("DopedMaterial")).materials(DopingProcess).idShown().hint(dopedHint),
                         length(QStringLiteral("Doping Depth"), QMetaType::Float).label(QStringLiteral("Doping Depth"))
                             .field(QStringLiteral("DopingDepth")).decimals(4).byDefault(10.0)};
    doping.lattice = LatticeEffect::Stale;
    doping.form = DialogForm{QStringLiteral("DopingOptionsBaseDialog"), QStringLiteral("Doping Options"), 400, 239};
    doping.run = runDoping;
    steps << doping;

    StepDefinition pvd;
    pvd.type = ProcessData::Pvd;
    pvd.name = QStringLiteral("PVD");
    pvd.comboOrder = 15;
    pvd.operationNumber = 31;
    pvd.processId = PvdProcess;
    pvd.summary = QStringLiteral("Physical vapour deposition: grows only from surfaces facing up, down or both.");
    pvd.parameters = {material().materials(PvdProcess), filmThickness(Thickness), ratio(2),
                      choice(QStringLiteral("DepositOn")).hidden().companion(QStringLiteral("Deposit On"))
                          .field(QStringLiteral("DepositOn")).label(QStringLiteral("Deposit on")).byDefault(1)
                          .choice(1, QStringLiteral("Deposit on top"), QStringLiteral("Top"), QStringLiteral("top"),
                                  QStringLiteral("Deposit on top"))
                          .choice(2, QStringLiteral("Deposit on bottom"), QStringLiteral("Bottom"), QStringLiteral("bottom"),
                                  QStringLiteral("Deposit on bottom"))
                          .choice(3, QStringLiteral("Deposit on both sides"), QStringLiteral("Both"),
                                  QStringLiteral("both sides"), QStringLiteral("Deposit on both sides"))};
    pvd.lattice = LatticeEffect::StaleIfSilicon;
    pvd.latticeMaterial = QLatin1String(MaterialBase);
    pvd.form = DialogForm{QStringLiteral("PVDOptionsBaseDialog"), QStringLiteral("Dialog"), 299, 390};
    pvd.run = runPvd;
    steps << pvd;

    StepDefinition implantation;
    implantation.type = ProcessData::IonImplantation;
    implantation.name = QStringLiteral("Ion Implantation");
    implantation.comboOrder = 6;
    implantation.operationNumber = 3;
    implantation.processId = ImplantationProcess;
    implantation.summary = QStringLiteral("Dopes a band at a depth below the surface, widened by annealing.");
    implantation.parameters = {
        material(QStringLiteral("Doped Material")).label(QStringLiteral("Doped Material")).field(QStringLiteral("DopedMaterial"))
            .materials(ImplantationProcess).idShown(),
        length(QStringLiteral("Implantation Depth"), QMetaType::Float).label(QStringLiteral("Implantation Depth"))
            .field(QStringLiteral("ImplantationDepth")).byDefault(50.0),
        length(QStringLiteral("Vertical Spread"), QMetaType::Float).label(QStringLiteral("Vertical Spread"))
            .field(QStringLiteral("VerticalSpread")).byDefault(20.0),
        length(QStringLiteral("Annealing Distance"), QMetaType::Float).label(QStringLiteral("Annealing Distance"))
            .field(QStringLiteral("AnnealingDistance")).byDefault(10.0)};
    implantation.lattice = LatticeEffect::Stale;
    implantation.form = DialogForm{QStringLiteral("IonImplantationOptionsBaseDialog"),
                                   QStringLiteral("Ion Implantation Options"), 268, 297};
    implantation.run = runIonImplantation;
    steps << implantation;

    const QString byTime = QStringLiteral("OxidationTimeSet");
    StepDefinition oxidation;
    oxidation.type = ProcessData::SiOxidation;
    oxidation.name = QStringLiteral("Si Oxidation");
    oxidation.comboText = QStringLiteral("Thermal Oxidation");
    oxidation.aliases = QStringList{QStringLiteral("Simple Si Oxidation")};
    oxidation.comboOrder = 19;
    oxidation.operationNumber = 26;
    oxidation.processId = OxidizableProcess;
    oxidation.summary = QStringLiteral("Grows oxide on silicon: to a thickness, or by Deal-Grove after a time at a "
                                       "temperature and pressure, in dry oxygen or steam, on a (100), (110) or (111) "
                                       "wafer.");
    oxidation.parameters = {
        flag(byTime).hidden().companion(QStringLiteral("OxidationThicknessSet")).byDefault(false)
            .label(QStringLiteral("Oxidation set by time"))
            .choice(0, QStringLiteral("Oxide thickness"), QStringLiteral("OxideThickness"), QStringLiteral("by thickness"))
            .choice(1, QStringLiteral("Oxidation Time"), QStringLiteral("OxidationTime"), QStringLiteral("by time")),
        number(QStringLiteral("Oxidation Thickness")).label(QStringLiteral("Thickness")).unit(QStringLiteral("microns"))
            .range(0, 100000).byDefault(10.0).field(QStringLiteral("OxideThickness")).when(byTime, false),
        number(QStringLiteral("Oxidation Time")).label(QStringLiteral("Time")).unit(QStringLiteral("hours"))
            .range(0, 1000).byDefault(2.0).field(QStringLiteral("Time")).when(byTime, true),
        number(QStringLiteral("Oxidation Temperature")).label(QStringLiteral("Temperature")).unit(QStringLiteral("K"))
            .above(0).upTo(2000).byDefault(1273.0).field(QStringLiteral("Temperature")).when(byTime, true),
        number(QStringLiteral("Oxidation Pressure")).label(QStringLiteral("Pressure")).unit(QStringLiteral("atm"))
            .above(0).upTo(1).step(0.1).byDefault(1.0).field(QStringLiteral("Pressure")).when(byTime, true),
        number(QStringLiteral("Micron Conversion")).label(QStringLiteral("Cell units per micron"))
            .unit(QStringLiteral("cells per micron")).unitOnlyInLabel().above(0).upTo(1e9).byDefault(100.0)
            .field(QStringLiteral("MicronConversion"))
            .hint(QStringLiteral("Conversion between cell units and microns. Si cells are approximately 1.0 x 1.0 x "
                                 "0.35 units.")),
        // Left out, as in lists written before they existed: dry, (100).
        choice(QStringLiteral("Ambient")).label(QStringLiteral("Ambient")).field(QStringLiteral("Ambient")).optional()
            .byDefault(int(DealGrove::Dry))
            .choice(DealGrove::Dry, QString::fromUtf8("Dry O\u2082"), QStringLiteral("Dry"), QStringLiteral("dry O2"))
            .choice(DealGrove::Wet, QString::fromUtf8("Wet H\u2082O"), QStringLiteral("Wet"), QStringLiteral("wet H2O"))
            .hint(QStringLiteral("The oxidant: dry oxygen, or steam (wet). Each has its own Deal-Grove constants.")),
        choice(QStringLiteral("Orientation")).label(QStringLiteral("Wafer orientation")).field(QStringLiteral("Orientation"))
            .optional().byDefault(int(DealGrove::Plane100))
            .choice(DealGrove::Plane100, QStringLiteral("(100)"), QStringLiteral("Orientation100"), QStringLiteral("Si(100)"))
            .choice(DealGrove::Plane110, QStringLiteral("(110)"), QStringLiteral("Orientation110"), QStringLiteral("Si(110)"))
            .choice(DealGrove::Plane111, QStringLiteral("(111)"), QStringLiteral("Orientation111"), QStringLiteral("Si(111)"))
            .hint(QStringLiteral("The wafer's surface plane: the linear rate constant depends on it."))};
    oxidation.lattice = LatticeEffect::Stale;
    oxidation.everyFailureIsMissing = true;
    oxidation.form =
        DialogForm{QStringLiteral("SimpleOxidationOptionsBaseDialog"), QStringLiteral("Si Oxidation Options"), 400, 470};
    oxidation.check = checkOxidation;
    oxidation.run = runOxidation;
    steps << oxidation;

    StepDefinition anisotropicDeposition;
    anisotropicDeposition.type = ProcessData::AnisotropicDeposition;
    anisotropicDeposition.name = QStringLiteral("Anisotropic Deposition");
    anisotropicDeposition.comboOrder = 0;
    anisotropicDeposition.operationNumber = 27;
    anisotropicDeposition.processId = AnisotropicDepositionProcess;
    anisotropicDeposition.summary =
        QStringLiteral("A film whose lateral growth is the vertical one times a horizontal to vertical ratio.");
    anisotropicDeposition.parameters = {material().materials(AnisotropicDepositionProcess), filmThickness(FilmThickness),
                                        ratio(3)};
    anisotropicDeposition.lattice = LatticeEffect::StaleIfSilicon;
    anisotropicDeposition.latticeMaterial = QLatin1String(MaterialBase);
    anisotropicDeposition.form =
        DialogForm{QStringLiteral("AnisotropicDepositionBaseDialog"), QStringLiteral("PVD Options"), 320, 300};
    anisotropicDeposition.run = runAnisotropicDeposition;
    steps << anisotropicDeposition;

    StepDefinition anisotropicEtching;
    anisotropicEtching.type = ProcessData::AnisotropicEtching;
    anisotropicEtching.name = QStringLiteral("Anisotropic Etching");
    anisotropicEtching.comboOrder = 1;
    anisotropicEtching.operationNumber = 32;
    anisotropicEtching.processId = AnisotropicEtchingProcess;
    anisotropicEtching.summary =
        QStringLiteral("Removes one material; lateral etching is the vertical one times a horizontal to vertical ratio.");
    anisotropicEtching.parameters = {material().materials(AnisotropicEtchingProcess), ratio(3),
                                     length(QLatin1String(EtchDepth)).label(QLatin1String(EtchDepth))
                                         .field(QStringLiteral("EtchDepth")).alias(QStringLiteral("Depth"))
                                         .byDefault(10.0)};
    anisotropicEtching.lattice = LatticeEffect::StaleIfSilicon;
    anisotropicEtching.latticeMaterial = QLatin1String(MaterialBase);
    anisotropicEtching.form =
        DialogForm{QStringLiteral("AnisotropicEtchingBaseDialog"), QStringLiteral("Dialog"), 300, 300};
    anisotropicEtching.run = runAnisotropicEtching;
    steps << anisotropicEtching;
}

} // namespace Steps
} // namespace Core
