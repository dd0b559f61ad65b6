// The line-of-sight steps through the step executor: what they refuse, with
// which sentence, before touching a cell; and that they run from defaults.

#include "Core/Operations/LineOfSight/boschetching.h"
#include "Core/Operations/LineOfSight/fluxengine.h"
#include "Core/Operations/LineOfSight/celloccupancy.h"
#include "Core/Operations/LineOfSight/sputterdeposition.h"
#include "Core/Operations/LineOfSight/surfacefaces.h"
#include "Core/Steps/executor.h"
#include "Core/Steps/stepbuilder.h"
#include "Core/Steps/stepregistry.h"
#include "Util/stoptoken.h"

#include "volumetestsupport.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Core::Steps;
using Model::Automaton::TotalVolume;
using TestSupport::materialsOf;

namespace {

const uint32_t Si = 1, Oxide = 3, Gold = 9;
const double NaN = std::numeric_limits<double>::quiet_NaN();

// Silicon below z = 6 under an oxide mask with a slot, empty above z = 8.
uint32_t maskedSilicon(unsigned x, unsigned, unsigned z)
{
    return z < 6 ? Si : z < 8 && (x < 6 || x >= 10) ? Oxide : 0u;
}

boost::shared_ptr<TotalVolume> volumeOf(uint32_t (*layout)(unsigned, unsigned, unsigned), unsigned sz = 16)
{
    return TestSupport::makeVolume(16, 4, sz, layout);
}

struct Refusal
{
    const char *step;
    QVariantMap values; // over the defaults
    uint32_t (*layout)(unsigned, unsigned, unsigned);
    int code;
    const char *says;
};

} // namespace

TEST(LineOfSightSteps, BadValuesAndVolumesAreRefusedWithASentenceAndChangeNothing)
{
    const auto full = [](unsigned, unsigned, unsigned) -> uint32_t { return Si; };
    const auto empty = [](unsigned, unsigned, unsigned) -> uint32_t { return 0u; };
    const auto oxideOnly = [](unsigned, unsigned, unsigned z) -> uint32_t { return z < 6 ? Oxide : 0u; };
    const Refusal rows[] = {
        {"Sputter Deposition", {{"Sticking Coefficient", 0.0}}, maskedSilicon, StepInvalidParameter,
         "\"Sticking Coefficient\" must be a finite number from above 0 up to 1, not 0"},
        {"Sputter Deposition", {{"Sticking Coefficient", 1.5}}, maskedSilicon, StepInvalidParameter, "not 1.5"},
        {"Sputter Deposition", {{"Thickness", -2.0}}, maskedSilicon, StepInvalidParameter, "\"Thickness\""},
        {"Sputter Deposition", {{"Thickness", NaN}}, maskedSilicon, StepInvalidParameter, "\"Thickness\""},
        {"Sputter Deposition", {{"Source Exponent", -1.0}}, maskedSilicon, StepInvalidParameter, "\"Source Exponent\""},
        {"Sputter Deposition", {{"Material", QStringLiteral("Unobtainium")}}, maskedSilicon, StepInvalidParameter,
         "no material named \"Unobtainium\""},
        {"Sputter Deposition", {}, full, StepInvalidParameter, "The top layer of the volume is filled"},
        {"Sputter Deposition", {}, empty, StepInvalidParameter, "holds no solid cell"},
        {"Sputter Deposition", {{"Thickness", 1e8}}, maskedSilicon, StepInvalidParameter,
         "would not finish in reasonable time"},
        {"Ion-Enhanced Etching", {{"Ion Spread", 90.0}}, maskedSilicon, StepInvalidParameter,
         "\"Ion Spread\" must be a finite number from 0 to 89.9 degrees, not 90"},
        {"Ion-Enhanced Etching", {{"Ion Fraction", 1.2}}, maskedSilicon, StepInvalidParameter, "\"Ion Fraction\""},
        {"Ion-Enhanced Etching", {{"Neutral Sticking Coefficient", -0.1}}, maskedSilicon, StepInvalidParameter,
         "\"Neutral Sticking Coefficient\""},
        {"Ion-Enhanced Etching", {{"Selectivity", 0.0}}, maskedSilicon, StepInvalidParameter, "\"Selectivity\""},
        {"Ion-Enhanced Etching", {{"Material", Gold}}, maskedSilicon, StepInvalidParameter,
         "holds no cell of material 9"},
        {"Ion-Enhanced Etching", {}, full, StepInvalidParameter, "The top layer of the volume is filled"},
        {"Bosch DRIE", {{"Cycles", 0u}}, maskedSilicon, StepInvalidParameter, "\"Cycles\""},
        {"Bosch DRIE", {{"Etch per Cycle", 0.0}}, maskedSilicon, StepInvalidParameter, "\"Etch per Cycle\""},
        {"Bosch DRIE", {{"Passivation per Cycle", 3.5}}, maskedSilicon, StepInvalidParameter,
         "\"Passivation per Cycle\" (3.5) is above \"Etch per Cycle\" (3)."},
        {"Bosch DRIE", {{"Ion Spread", 95.0}}, maskedSilicon, StepInvalidParameter, "\"Ion Spread\""},
        {"Bosch DRIE", {}, oxideOnly, StepInvalidParameter, "none of the materials the DRIE process etches"},
        {"Bosch DRIE", {{"Cycles", 100000u}, {"Etch per Cycle", 1000.0}}, maskedSilicon, StepInvalidParameter,
         "would not finish in reasonable time"},
        {"Bosch DRIE", {}, empty, StepInvalidParameter, "holds no solid cell"},
    };
    for (const Refusal &row : rows) {
        SCOPED_TRACE(testing::Message() << row.step << " " << row.says);
        const StepDefinition *definition = StepRegistry::instance().named(QLatin1String(row.step));
        ASSERT_TRUE(definition);
        QVariantMap values{{QStringLiteral("Material"), definition->name == QLatin1String("Sputter Deposition")
                                                            ? QVariant(4u)
                                                            : QVariant(Si)}};
        for (auto it = row.values.begin(); it != row.values.end(); ++it)
            values.insert(it.key(), it.value());
        ProcessRunContext context;
        context.volume = volumeOf(row.layout);
        const std::vector<uint32_t> before = materialsOf(*context.volume);
        EXPECT_EQ(runProcessStep(makeStep(*definition, withDefaults(*definition, values)), context), row.code);
        EXPECT_TRUE(context.detail.contains(QLatin1String(row.says))) << context.detail.toStdString();
        EXPECT_EQ(materialsOf(*context.volume), before);
    }
}

// Built from the declared defaults (and a material), every step runs and
// changes the cells; a dialog asking before it has a volume gets the value
// checks only.
TEST(LineOfSightSteps, EachStepRunsFromItsDefaults)
{
    for (const char *name : {"Sputter Deposition", "Ion-Enhanced Etching", "Bosch DRIE", "DRIE", "Sputtering"}) {
        SCOPED_TRACE(name);
        const StepDefinition *definition = StepRegistry::instance().named(QLatin1String(name));
        ASSERT_TRUE(definition);
        EXPECT_TRUE(definition->inLists());
        EXPECT_NE(definition->operationNumber, 0);
        const QVariantMap values =
            withDefaults(*definition, {{QStringLiteral("Material"), definition->type == ProcessData::SputterDeposition
                                                                        ? QVariant(QStringLiteral("Al (bulk)"))
                                                                        : QVariant(Si)}});
        EXPECT_TRUE(refusalOf(*definition, values).isEmpty()) << refusalOf(*definition, values).toStdString();
        ProcessRunContext context;
        context.volume = volumeOf(maskedSilicon, 40);
        const std::vector<uint32_t> before = materialsOf(*context.volume);
        EXPECT_EQ(runProcessStep(makeStep(*definition, values), context), StepSucceeded) << context.detail.toStdString();
        EXPECT_NE(materialsOf(*context.volume), before);
    }
    const StepDefinition &drie = *StepRegistry::instance().ofType(ProcessData::BoschDrie);
    EXPECT_TRUE(refusalOf(drie, withDefaults(drie, {{QStringLiteral("Passivation per Cycle"), 5.0}}))
                    .contains(QStringLiteral("is above \"Etch per Cycle\"")));
    // The engine refuses it too, for callers that are not steps.
    EXPECT_FALSE(Core::Operations::BoschEtching::checkValues(3, 3.5).isEmpty());
    EXPECT_TRUE(Core::Operations::BoschEtching::checkValues(3, 3).isEmpty());
    EXPECT_EQ(drie.processId, 2u);
}

// A stop asked for before or during a run: the engine ends at its next look
// and the executor puts the cells back.
TEST(LineOfSightSteps, AStopEndsTheRunAndTheCellsComeBack)
{
    Util::StopToken token;
    token.request();
    {
        const boost::shared_ptr<TotalVolume> volume = volumeOf(maskedSilicon, 30);
        const std::vector<uint32_t> before = materialsOf(*volume);
        const Util::StopScope scope(&token);
        Core::Operations::SputterDeposition deposition(*volume, 4, 10, 1, 1);
        deposition.run();
        EXPECT_EQ(deposition.stats().particles, 0u);
        EXPECT_EQ(materialsOf(*volume), before);

        const Core::Operations::CellOccupancy occupancy =
            Core::Operations::CellOccupancy::of(Model::Automaton::CellLock(*volume).cells(), 16, 4, 30);
        const Core::Operations::SurfaceFaces faces = Core::Operations::SurfaceFaces::of(occupancy, true, false);
        Core::Operations::TraceStats stats;
        Core::Operations::FluxEngine(occupancy, faces, 1, 1, 1)
            .trace(Core::Operations::ParticleSource::cosine(1), std::vector<float>(faces.size(), 1.0f), 1000000, 1,
                   &stats);
        EXPECT_TRUE(stats.stopped);
        EXPECT_LT(stats.particles, 1000000u);
    }
    const StepDefinition &drie = *StepRegistry::instance().ofType(ProcessData::BoschDrie);
    ProcessRunContext context;
    context.volume = volumeOf(maskedSilicon, 30);
    context.stop = &token;
    const std::vector<uint32_t> before = materialsOf(*context.volume);
    EXPECT_EQ(runProcessStep(makeStep(drie, withDefaults(drie, {})), context), StepStopped);
    EXPECT_EQ(materialsOf(*context.volume), before);
}
