#include "Core/Operations/stepoperations.h"
#include "Core/Operations/workspace.h"
#include "Core/Steps/executor.h"
#include "Core/Steps/stepbuilder.h"
#include "Core/Steps/stepregistry.h"
#include "Core/Steps/steprun.h"
#include "Model/Geometry/fieldpainter.h"

#include "volumetestsupport.h"

#include <gtest/gtest.h>

#include <QSet>

#include <cmath>
#include <limits>

using namespace Core::Steps;
using Model::Automaton::TotalVolume;
using TestSupport::materialsOf;

namespace {

const StepRegistry &registry() { return StepRegistry::instance(); }

QString where(const StepDefinition &step, const StepParameter &param) { return step.name + QStringLiteral(": ") + param.name; }

// A step holding only this one value.
ProcessData holding(const StepDefinition &step, const StepParameter &param, const QVariant &value)
{
    return makeStep(step, QVariantMap{{param.name, value}});
}

} // namespace

TEST(StepRegistry, EveryStepHasOneTypeNumberAndNameAndEveryNameResolvesToIt)
{
    QSet<int> types, operations;
    QSet<QString> names;
    for (const StepDefinition *step : registry().steps()) {
        SCOPED_TRACE(step->name.toStdString());
        ASSERT_TRUE(step->run);
        EXPECT_FALSE(step->summary.isEmpty());
        if (step->inLists()) {
            EXPECT_FALSE(types.contains(step->type));
            types.insert(step->type);
            EXPECT_EQ(registry().ofType(step->type), step);
            EXPECT_EQ(ProcessData::displayName(step->type), step->name);
        }
        if (step->operationNumber != 0) {
            EXPECT_FALSE(operations.contains(step->operationNumber));
            operations.insert(step->operationNumber);
            EXPECT_EQ(registry().ofOperation(step->operationNumber), step);
        }
        for (const QString &name : step->names()) {
            EXPECT_FALSE(names.contains(StepRegistry::normalized(name))) << name.toStdString();
            names.insert(StepRegistry::normalized(name));
            // Any of its names, in any case and spacing.
            EXPECT_EQ(registry().named(name), step) << name.toStdString();
            EXPECT_EQ(registry().named(QStringLiteral("  ") + name.toUpper()), step) << name.toStdString();
        }
    }
    // The list types have always been 0 to 19, none missing.
    for (int type = 0; type < registry().typeLimit(); ++type)
        EXPECT_TRUE(registry().ofType(type)) << type;
    EXPECT_FALSE(registry().named(QStringLiteral("Isotropic")));
    EXPECT_EQ(ProcessData::displayName(registry().typeLimit()), QStringLiteral("Unknown process"));
}

// The names the menus and the batch dialog have always shown are names of their steps.
TEST(StepRegistry, TheNamesOfEveryScreenReachTheSameStep)
{
    const struct
    {
        const char *list, *menu, *combo;
    } rows[] = {{"Spin Coating", "Pour Material", "Pour Material"},
                {"Isotropic etching", "Isotropic Etching", "Isotropic Etching"},
                {"Si Oxidation", "Si Oxidation", "Thermal Oxidation"},
                {"Simple RIE", "Simple RIE", "RIE"},
                {"Si wet etching", "Si Wet Etching", "Si Wet Etching"},
                {"Doping (Random Walk CA)", "Random Walk Doping", "Random Walk Doping"},
                {"Moore deposition", "Moore Deposition", "Moore Deposition"}};
    for (const auto &row : rows) {
        const StepDefinition *step = registry().named(QLatin1String(row.list));
        ASSERT_TRUE(step) << row.list;
        EXPECT_EQ(step->name, QLatin1String(row.list));
        EXPECT_EQ(step->shownInMenu(), QLatin1String(row.menu));
        EXPECT_EQ(step->shownInCombo(), QLatin1String(row.combo));
        EXPECT_EQ(registry().named(QLatin1String(row.menu)), step);
        EXPECT_EQ(registry().named(QLatin1String(row.combo)), step);
    }
}

TEST(StepRegistry, EveryDefaultLiesInItsRangeAndEveryBoundIsEnforced)
{
    for (const StepDefinition *step : registry().steps())
        for (const StepParameter &param : step->parameters) {
            SCOPED_TRACE(where(*step, param).toStdString());
            QVariant checked;
            QString sentence;
            if (param.defaultValue.isValid()) {
                EXPECT_EQ(readParameter(param, holding(*step, param, param.defaultValue), checked, sentence), StepSucceeded)
                    << qPrintable(sentence);
            }
            if (param.kind != ValueKind::Number && param.kind != ValueKind::WholeNumber && param.kind != ValueKind::Integer)
                continue;
            // Just outside either end is refused, with a sentence naming the parameter.
            const double below = param.aboveMinimum ? param.minimum : param.minimum - std::max(1.0, std::fabs(param.minimum));
            const double beyond = param.maximum * 2 + 1;
            for (double outside : {below, beyond, std::numeric_limits<double>::quiet_NaN()}) {
                if (!param.hasMaximum() && outside == beyond)
                    continue;
                sentence.clear();
                EXPECT_EQ(readParameter(param, holding(*step, param, outside), checked, sentence), StepInvalidParameter)
                    << outside;
                EXPECT_TRUE(sentence.contains(QLatin1Char('"') + param.valueName() + QLatin1Char('"')))
                    << qPrintable(sentence);
            }
        }
}

// An alias is another name for one parameter: it reaches that parameter and
// no other, and no two names of a step's parameters are the same.
TEST(StepRegistry, EveryParameterAliasReachesItsParameterAlone)
{
    int aliased = 0;
    for (const StepDefinition *step : registry().steps()) {
        SCOPED_TRACE(step->name.toStdString());
        QSet<QString> names;
        for (const QString &name : step->parameterNames()) {
            EXPECT_FALSE(names.contains(name)) << name.toStdString();
            names.insert(name);
        }
        for (const StepParameter &param : step->parameters)
            for (const QString &alias : param.aliases) {
                ++aliased;
                EXPECT_EQ(step->parameterOrAlias(alias), &param) << alias.toStdString();
                EXPECT_EQ(step->parameter(alias), nullptr) << "only by its alias: " << alias.toStdString();
            }
    }
    EXPECT_GT(aliased, 0);
    // The spellings that differ between similar steps answer to each other.
    const struct
    {
        int type;
        const char *alias, *name;
    } pairs[] = {{ProcessData::Cvd, "Film Thickness", "Thickness"},
                 {ProcessData::IsotropicDeposition, "Thickness", "Film Thickness"},
                 {ProcessData::IsotropicEtching, "Etch Depth", "Depth"},
                 {ProcessData::AnisotropicEtching, "Depth", "Etch Depth"}};
    for (const auto &pair : pairs) {
        const StepParameter *param = registry().ofType(pair.type)->parameterOrAlias(QLatin1String(pair.alias));
        ASSERT_TRUE(param) << pair.alias;
        EXPECT_EQ(param->name, QLatin1String(pair.name));
    }
}

// A new photolithography step has no mask until one is given: left out, a mask means none.
TEST(StepRegistry, ANewPhotolithographyStepStartsWithoutMasks)
{
    const StepDefinition &lithography = *registry().ofType(ProcessData::Photolithography);
    const ProcessData step = makeStep(lithography, withDefaults(lithography, {{QStringLiteral("Material"), 11u}}));
    for (const char *prefix : {"Top Mask", "Bottom Mask"}) {
        EXPECT_TRUE(step.getParameters().value(QLatin1String(prefix)).value<std::vector<bool>>().empty()) << prefix;
        EXPECT_EQ(step.getParameters().value(QLatin1String(prefix) + QStringLiteral(" Width")), QVariant(0u)) << prefix;
        EXPECT_EQ(step.getParameters().value(QLatin1String(prefix) + QStringLiteral(" Height")), QVariant(0u)) << prefix;
    }
    // Resist on silicon, open above: with no mask a positive resist is developed away, nothing else.
    const boost::shared_ptr<TotalVolume> volume =
        TestSupport::makeVolume(4, 4, 10, [](unsigned, unsigned, unsigned z) { return z < 4 ? 1u : z < 6 ? 11u : 0u; });
    ProcessRunContext context;
    context.volume = volume;
    ASSERT_EQ(runProcessStep(step, context), StepSucceeded) << qPrintable(context.detail);
    EXPECT_EQ(TestSupport::countOf(materialsOf(*volume), 11u), 0u);
    EXPECT_EQ(TestSupport::countOf(materialsOf(*volume), 1u), 4u * 4 * 4);
}

// A list step with a parameter left out is refused (code 1) before any cell
// changes; only the front ends that build steps (dialogs, Python) fill in defaults.
TEST(StepRegistry, AStoredStepMissingARequiredValueIsRefusedButABuiltOneTakesTheDefault)
{
    const StepDefinition &oxidation = *registry().ofType(ProcessData::SiOxidation);
    const QVariantMap byTime{{QStringLiteral("OxidationTimeSet"), true}, {QStringLiteral("Oxidation Time"), 3.0},
                             {QStringLiteral("Micron Conversion"), 30.0}};
    const boost::shared_ptr<TotalVolume> volume =
        TestSupport::makeVolume(4, 4, 10, [](unsigned, unsigned, unsigned z) { return z < 4 ? 1u : 0u; });
    ProcessRunContext context;
    context.volume = volume;
    const std::vector<uint32_t> before = materialsOf(*volume);
    EXPECT_EQ(runProcessStep(makeStep(oxidation, byTime), context), StepMissingParameter);
    EXPECT_EQ(context.detail, QStringLiteral("The parameter \"Oxidation Temperature\" is missing or has no value."));
    EXPECT_EQ(materialsOf(*volume), before);

    const ProcessData complete = makeStep(oxidation, withDefaults(oxidation, byTime));
    EXPECT_DOUBLE_EQ(complete.getParameters().value(QStringLiteral("Oxidation Temperature")).toDouble(), 1273.0);
    EXPECT_DOUBLE_EQ(complete.getParameters().value(QStringLiteral("Oxidation Pressure")).toDouble(), 1.0);
    EXPECT_EQ(runProcessStep(complete, context), StepSucceeded) << qPrintable(context.detail);
    EXPECT_NE(materialsOf(*volume), before);
}

// A built step holds every value in the kind a list file keeps, and a stored
// step read back gives the values it was built from.
TEST(StepRegistry, BuiltStepsStoreTheDeclaredKindsAndReadBackTheirValues)
{
    for (const StepDefinition *step : registry().steps()) {
        const QVariantMap values = withDefaults(*step, {{QStringLiteral("Material"), 1u}});
        const ProcessData built = makeStep(*step, values);
        for (const StepParameter &param : step->parameters) {
            if (!param.defaultValue.isValid())
                continue;
            SCOPED_TRACE(where(*step, param).toStdString());
            const QVariant stored = built.getParameters().value(param.valueName());
            if (param.stored != QMetaType::UnknownType)
                EXPECT_EQ(stored.userType(), param.stored);
            EXPECT_FALSE(ProcessData::kindName(stored).isEmpty());
            EXPECT_EQ(valuesOf(*step, built).value(param.name), stored);
            if (!param.companion.isEmpty())
                EXPECT_TRUE(built.hasParameter(param.companion));
        }
    }
}

// One rule for the lattice: a step outdates it exactly when it may change a
// silicon cell. Etching an oxide mask away changes no silicon cell, so a wet
// etch after it on the kept lattice gives the cells a rebuilt lattice gives.
TEST(LatticeRule, AStepOutdatesTheLatticeOnlyWhenItMayChangeSilicon)
{
    const StepDefinition &etching = *registry().ofType(ProcessData::IsotropicEtching);
    EXPECT_FALSE(outdatesLattice(etching, makeStep(etching, {{QStringLiteral("Material"), 3u}})));
    EXPECT_TRUE(outdatesLattice(etching, makeStep(etching, {{QStringLiteral("Material"), 1u}})));
    const StepDefinition &plating = *registry().ofType(ProcessData::Electroplating);
    EXPECT_TRUE(outdatesLattice(plating, makeStep(plating, {{QStringLiteral("Deposited Material"), QStringLiteral("Si")}})));

    // Silicon under an oxide mask with a slot; etch, strip the mask, etch again.
    const auto masked = [](unsigned x, unsigned, unsigned z) -> uint32_t {
        return z < 6 ? 1u : (z < 7 && (x < 6 || x > 9)) ? 3u : 0u;
    };
    const auto run = [&](bool rebuildAfterStrip) {
        const boost::shared_ptr<TotalVolume> volume = TestSupport::makeVolume(16, 8, 10, masked);
        QMap<int, bool> stale;
        ProcessRunContext context;
        context.volume = volume;
        context.latticeStale = &stale;
        const StepDefinition &wet = *registry().ofType(ProcessData::SiWetEtching);
        EXPECT_EQ(runProcessStep(makeStep(wet, {{QStringLiteral("Depth"), 1.0}}), context), StepSucceeded);
        EXPECT_EQ(runProcessStep(makeStep(etching, {{QStringLiteral("Material"), 3u}, {QStringLiteral("Depth"), 2.0}}),
                                 context),
                  StepSucceeded);
        EXPECT_FALSE(stale.value(volume->getId(), true));
        if (rebuildAfterStrip)
            stale.insert(volume->getId(), true);
        EXPECT_EQ(runProcessStep(makeStep(wet, {{QStringLiteral("Depth"), 1.0}}), context), StepSucceeded);
        return materialsOf(*volume);
    };
    const std::vector<uint32_t> kept = run(false), rebuilt = run(true);
    EXPECT_EQ(kept, rebuilt);
    EXPECT_EQ(std::count(kept.begin(), kept.end(), 3u), 0);
}

// One rule for the horizontal to vertical ratio of physical vapour deposition:
// 0 is a ratio the engine defines (no lateral growth at all), as for the two
// anisotropic steps, and lists have always taken it.
TEST(DriftedChecks, APvdRatioOfZeroGrowsOnlyVertically)
{
    const StepDefinition &pvd = *registry().ofType(ProcessData::Pvd);
    EXPECT_EQ(pvd.parameter(QStringLiteral("Horizontal to Vertical Ratio"))->minimum, 0.0);
    // A step of silicon, one cell high, on the left.
    const boost::shared_ptr<TotalVolume> volume = TestSupport::makeVolume(
        12, 3, 10, [](unsigned x, unsigned, unsigned z) -> uint32_t { return z < 3 || (z < 5 && x < 6) ? 1u : 0u; });
    ProcessRunContext context;
    context.volume = volume;
    ASSERT_EQ(runProcessStep(makeStep(pvd, {{QStringLiteral("Material"), 4u},
                                            {QStringLiteral("Thickness"), 2.0},
                                            {QStringLiteral("Horizontal to Vertical Ratio"), 0.0},
                                            {QStringLiteral("DepositOn"), 1}}),
                             context),
              StepSucceeded)
        << qPrintable(context.detail);
    EXPECT_EQ(TestSupport::materialAt(*volume, 2, 1, 6), 4u); // on top of the step
    EXPECT_EQ(TestSupport::materialAt(*volume, 8, 1, 4), 4u); // on the floor beside it
    EXPECT_EQ(TestSupport::materialAt(*volume, 6, 1, 4), 4u); // the floor's own film, two cells up
    EXPECT_EQ(TestSupport::materialAt(*volume, 6, 1, 5), 0u); // nothing grows sideways off the wall
}

// One rule for the random walk's values: double precision wherever the step
// runs. A list step and the program's operation with the same values and seed
// give the same cells and particle counts.
TEST(DriftedChecks, TheRandomWalkRunsOnTheSameValuesFromAListAndFromTheProgram)
{
    const StepDefinition &walk = *registry().ofType(ProcessData::RandomWalkDoping);
    // Values a float cannot hold exactly.
    const QVariantMap values{{QStringLiteral("Diffusion Coefficient"), 1.0000001e-13},
                             {QStringLiteral("Cell Size"), 1.0000001e-6},
                             {QStringLiteral("Time Step Duration"), 0.83333337},
                             {QStringLiteral("Surface Concentration"), 500.00001e18},
                             {QStringLiteral("Material"), 15u},
                             {QStringLiteral("Doping Time"), 0.83333337 * 5},
                             {QStringLiteral("Doping Threshold"), 100.00001e18},
                             {QStringLiteral("Seed"), 7u}};
    const auto substrate = [](unsigned, unsigned, unsigned z) -> uint32_t { return z < 5 ? 1u : 0u; };
    const auto counts = [](TotalVolume &volume) {
        std::vector<int32_t> flat;
        const Model::Geometry::ParticleCounterArray array = Model::Geometry::FieldPainter::countersOf(
            volume.getProperty(Model::Geometry::FieldPainter::pTypeProperty()));
        for (const Model::Geometry::ParticleCounter &c : *array)
            flat.insert(flat.end(), c.values, c.values + 7);
        return flat;
    };

    const boost::shared_ptr<TotalVolume> listed = TestSupport::makeVolume(6, 6, 8, substrate);
    ProcessRunContext context;
    context.volume = listed;
    ASSERT_EQ(runProcessStep(makeStep(walk, values), context), StepSucceeded) << qPrintable(context.detail);

    Core::Operations::Workspace workspace;
    const boost::shared_ptr<TotalVolume> operated = TestSupport::makeVolume(6, 6, 8, substrate);
    workspace.document().addObject(operated);
    const boost::shared_ptr<Core::Operations::RandomWalkDopingOperation> op(
        new Core::Operations::RandomWalkDopingOperation(&workspace));
    const boost::shared_ptr<TestSupport::FakeDialog> dialog(new TestSupport::FakeDialog);
    TestSupport::startWithDialog<Core::Operations::RandomWalkDopingOperation>(
        workspace, op, dialog, [&values](Core::Operations::RandomWalkDopingOperation &o) { o.setValues(values); });
    ASSERT_EQ(workspace.console().lastMessage(), QStringLiteral("Random Walk Doping: Operation finished."));

    EXPECT_EQ(materialsOf(*operated), materialsOf(*listed));
    EXPECT_EQ(counts(*operated), counts(*listed));
}
