#include "Core/Steps/executor.h"
#include "Core/Steps/stepbuilder.h"
#include "Core/Steps/stepregistry.h"

#include "Model/Automaton/silattice.h"
#include "Model/Automaton/totalvolume.h"
#include "Util/stoptoken.h"
#include "Util/vector3d.h"

#include "volumetestsupport.h"

#include <gtest/gtest.h>

#include <QThread>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

using namespace Core::Operations;
using namespace Core::Steps;
using Model::Automaton::CellLock;
using Model::Automaton::TotalVolume;

namespace {

typedef uint32_t (*Layout)(unsigned x, unsigned y, unsigned z);
typedef std::vector<std::pair<const char *, QVariant>> Values;

const uint32_t Si = 1, Oxide = 3, Al = 4, Cu = 5, ResistPlus = 11, NDoped = 14, PDoped = 15;
const unsigned SizeX = 8, SizeY = 8, SizeZ = 10;

// Silicon below z = 4 under empty space.
uint32_t siliconBase(unsigned, unsigned, unsigned z) { return z < 4 ? Si : 0u; }
// The base with a layer of positive resist on top.
uint32_t resistOnSilicon(unsigned x, unsigned y, unsigned z) { return z < 6 && z >= 4 ? ResistPlus : siliconBase(x, y, z); }
// The base with an aluminium layer to plate on.
uint32_t aluminiumOnSilicon(unsigned x, unsigned y, unsigned z) { return z == 4 ? Al : siliconBase(x, y, z); }

boost::shared_ptr<TotalVolume> makeVolume(Layout layout) { return TestSupport::makeVolume(SizeX, SizeY, SizeZ, layout); }

using TestSupport::countOf;
using TestSupport::materialsOf;

Core::Steps::ProcessData makeStep(int type, const Values &values)
{
    Core::Steps::ProcessData step(type);
    for (const auto &value : values)
        step.setParameter(QLatin1String(value.first), value.second, true);
    return step;
}

QVariant mask(const std::vector<bool> &bits) { return QVariant::fromValue(bits); }

// Columns x < 4 opaque, the rest transparent.
std::vector<bool> halfMask()
{
    std::vector<bool> bits(SizeX * SizeY);
    for (unsigned x = 0; x < SizeX; ++x)
        for (unsigned y = 0; y < SizeY; ++y)
            bits[x * SizeY + y] = x < 4;
    return bits;
}

Values substrateValues(unsigned sx, unsigned sy, unsigned sz)
{
    return {{"Material_Id", QVariant(1u)},
            {"Lower Left Front Corner", QVariant::fromValue(Util::Vector3D(1, 2, 3))},
            {"Volume Size X", QVariant(sx)},
            {"Volume Size Y", QVariant(sy)},
            {"Volume Size Z", QVariant(sz)},
            {"SphericalSubstrate", QVariant(false)},
            {"Substrate Size X", QVariant(sx)},
            {"Substrate Size Y", QVariant(sy)},
            {"Substrate Size Z", QVariant(3u)},
            {"Substrate Delta X", QVariant(0u)},
            {"Substrate Delta Y", QVariant(0u)},
            {"Substrate Delta Z", QVariant(0u)}};
}

class RecordingHost : public IProcessRunHost
{
public:
    std::vector<boost::shared_ptr<TotalVolume>> volumes;
    QStringList images;
    void setCurrentVolume(const boost::shared_ptr<TotalVolume> &volume) override { volumes.push_back(volume); }
    void updateGeometry(const QString &fileName) override { images << fileName; }
};

enum class Mark { Set, Clear, Unchanged };

struct StepCase
{
    const char *name;
    int type;
    Layout layout;
    Values values;
    uint32_t material; // the material whose cell count the step changes
    int change;        // +1 more cells of it, -1 fewer
    Mark mark;
};


// Built once and never destroyed: a QVariant holding a mask must not be
// destroyed after Qt's type registry is gone at exit, which leaks the mask's
// bits (and fails LeakSanitizer, even when only listing the tests). The test
// parameters are indices into it, so gtest keeps no copies either.
const std::vector<StepCase> &stepCases()
{
    static const std::vector<StepCase> *const cases = new std::vector<StepCase>{
        {"Photolithography", 0, resistOnSilicon,
         {{"Material_Id", QVariant(ResistPlus)}, {"Top Mask", mask(halfMask())}, {"Top Mask Height", QVariant(SizeY)},
          {"Top Mask Width", QVariant(SizeX)}, {"Bottom Mask", mask({})}, {"Bottom Mask Height", QVariant(0u)},
          {"Bottom Mask Width", QVariant(0u)}},
         ResistPlus, -1, Mark::Unchanged},
        {"SiWetEtching", 1, siliconBase, {{"Depth", QVariant(2.0)}}, Si, -1, Mark::Clear},
        // Only a step that may change silicon cells outdates the lattice.
        {"MooreDeposition", 2, siliconBase, {{"Thickness", QVariant(2u)}, {"Material_Id", QVariant(Al)}}, Al, +1,
         Mark::Unchanged},
        {"MooreEtching", 3, siliconBase, {{"Depth", QVariant(1u)}, {"Material_Id", QVariant(Si)}}, Si, -1, Mark::Set},
        {"Cvd", 4, siliconBase, {{"Thickness", QVariant(2.0)}, {"Material_Id", QVariant(Oxide)}}, Oxide, +1,
         Mark::Unchanged},
        {"CvdOfSilicon", 4, aluminiumOnSilicon, {{"Thickness", QVariant(2.0)}, {"Material_Id", QVariant(Si)}}, Si, +1,
         Mark::Set},
        {"IsotropicEtching", 5, siliconBase, {{"Depth", QVariant(1.0)}, {"Material_Id", QVariant(Si)}}, Si, -1,
         Mark::Set},
        {"Planarization", 6, resistOnSilicon, {{"Maximum Height", QVariant(5u)}, {"Minimum Height", QVariant(0u)}},
         ResistPlus, -1, Mark::Set},
        {"Electroplating", 7, aluminiumOnSilicon,
         {{"Film Thickness", QVariant(2.0)}, {"Conducting Material_Id", QVariant(Al)},
          {"Deposited Material_Id", QVariant(Cu)}},
         Cu, +1, Mark::Unchanged},
        {"Doping", 8, siliconBase, {{"Doping Depth", QVariant(1.0f)}, {"Doped Material_Id", QVariant(NDoped)}}, NDoped,
         +1, Mark::Set},
        {"SpinCoating", 9, siliconBase, {{"Maximum Height", QVariant(6u)}, {"Material_Id", QVariant(ResistPlus)}},
         ResistPlus, +1, Mark::Unchanged},
        {"Pvd", 12, siliconBase,
         {{"Thickness", QVariant(2.0)}, {"Material_Id", QVariant(Al)}, {"DepositOn", QVariant(1)},
          {"Horizontal to Vertical Ratio", QVariant(0.5)}},
         Al, +1, Mark::Unchanged},
        {"SimpleRie", 13, siliconBase,
         {{"Material_Id", QVariant(Si)}, {"Etch Depth", QVariant(1u)}, {"EtchDirectionValue", QVariant(1)}}, Si, -1,
         Mark::Set},
        // Implantation and oxidation turn silicon into other materials, so they mark the lattice.
        {"IonImplantation", 14, siliconBase,
         {{"Annealing Distance", QVariant(0.0f)}, {"Implantation Depth", QVariant(2.0f)},
          {"Vertical Spread", QVariant(1.0f)}, {"Doped Material_Id", QVariant(PDoped)}},
         PDoped, +1, Mark::Set},
        {"OxidationByThickness", 15, siliconBase,
         {{"OxidationTimeSet", QVariant(false)}, {"Micron Conversion", QVariant(1.0)},
          {"Oxidation Thickness", QVariant(2.0)}},
         Oxide, +1, Mark::Set},
        {"OxidationByTime", 15, siliconBase,
         {{"OxidationTimeSet", QVariant(true)}, {"Micron Conversion", QVariant(10.0)}, {"Oxidation Time", QVariant(4.0)},
          {"Oxidation Pressure", QVariant(1.0)}, {"Oxidation Temperature", QVariant(1373.0)}},
         Oxide, +1, Mark::Set},
        {"IsotropicDeposition", 16, siliconBase, {{"Film Thickness", QVariant(2.0)}, {"Material_Id", QVariant(Al)}},
         Al, +1, Mark::Unchanged},
        {"AnisotropicDeposition", 17, siliconBase,
         {{"Film Thickness", QVariant(2.0)}, {"Horizontal to Vertical Ratio", QVariant(0.5)},
          {"Material_Id", QVariant(Al)}},
         Al, +1, Mark::Unchanged},
        {"AnisotropicEtching", 18, siliconBase,
         {{"Etch Depth", QVariant(1.0)}, {"Horizontal to Vertical Ratio", QVariant(0.5)},
          {"Material_Id", QVariant(Si)}},
         Si, -1, Mark::Set},
        // q = 1 - 6 D dt / L^2 = 0.5; 500 particles per surface cell, doped above 100.
        {"RandomWalkDoping", 19, siliconBase,
         {{"Diffusion Coefficient", QVariant(1e-13)}, {"Cell Size", QVariant(1e-6)},
          {"Time Step Duration", QVariant(0.8333333333)}, {"Surface Concentration", QVariant(500e18)},
          {"Material_Id", QVariant(PDoped)}, {"Doping Time", QVariant(3 * 0.8333333333)},
          {"Doping Threshold", QVariant(100e18)}},
         PDoped, +1, Mark::Set},
        // 30 % KOH at 80 °C, 1.36 µm/min on (100): two units of a micrometre in 1.5 min.
        {"AnisotropicWetEtch", 25, siliconBase,
         {{"Etchant", QVariant(0)}, {"Concentration", QVariant(30.0)}, {"Temperature", QVariant(80.0)},
          {"Time", QVariant(1.5)}},
         Si, -1, Mark::Clear},
    };
    return *cases;
}

const StepCase &caseOfType(int type)
{
    for (const StepCase &c : stepCases())
        if (c.type == type)
            return c;
    throw std::logic_error("no case for the type");
}

class EveryStepType : public ::testing::TestWithParam<size_t>
{
};

TEST_P(EveryStepType, RunsOnTheVolumeChangesItsMaterialAndSetsTheLatticeMark)
{
    const StepCase &c = stepCases()[GetParam()];
    const boost::shared_ptr<TotalVolume> volume = makeVolume(c.layout);
    const std::vector<uint32_t> before = materialsOf(*volume);
    QMap<int, bool> stale;
    stale.insert(volume->getId(), c.mark == Mark::Clear);
    ProcessRunContext context;
    context.volume = volume;
    context.latticeStale = &stale;

    ASSERT_EQ(runProcessStep(makeStep(c.type, c.values), context), StepSucceeded) << qPrintable(context.detail);

    const std::vector<uint32_t> after = materialsOf(*volume);
    if (c.change > 0)
        EXPECT_GT(countOf(after, c.material), countOf(before, c.material));
    else
        EXPECT_LT(countOf(after, c.material), countOf(before, c.material));
    EXPECT_EQ(context.volume, volume);
    ASSERT_TRUE(stale.contains(volume->getId()));
    EXPECT_EQ(stale.value(volume->getId()), c.mark == Mark::Set);
}

INSTANTIATE_TEST_SUITE_P(StepExecutor, EveryStepType, ::testing::Range<size_t>(0, stepCases().size()),
                         [](const ::testing::TestParamInfo<size_t> &info) {
                             return std::string(stepCases()[info.param].name);
                         });

TEST(StepExecutor, CreateSubstrateMakesTheCurrentVolumeAndTellsTheHost)
{
    RecordingHost host;
    ProcessRunContext context;
    context.host = &host;
    ASSERT_EQ(runProcessStep(makeStep(11, substrateValues(6, 5, 7)), context), StepSucceeded)
        << qPrintable(context.detail);
    ASSERT_TRUE(context.volume);
    EXPECT_EQ(context.volume->getSizeX(), 6u);
    EXPECT_EQ(context.volume->getSizeY(), 5u);
    EXPECT_EQ(context.volume->getSizeZ(), 7u);
    EXPECT_EQ(context.volume->getPosition(), Util::Vector3D(1, 2, 3));
    EXPECT_EQ(countOf(materialsOf(*context.volume), Si), 6u * 5u * 3u);
    ASSERT_EQ(host.volumes.size(), 1u);
    EXPECT_EQ(host.volumes.front(), context.volume);
}

TEST(StepExecutor, CreateSubstrateBuildsASphereClippedToTheVolume)
{
    Values values = substrateValues(9, 9, 9);
    values.push_back({"SphericalSubstrate", QVariant(true)});
    for (const char *name : {"Substrate Center X", "Substrate Center Y", "Substrate Center Z"})
        values.push_back({name, QVariant(0u)});
    values.push_back({"Substrate Radius", QVariant(2u)});
    ProcessRunContext context;
    ASSERT_EQ(runProcessStep(makeStep(11, values), context), StepSucceeded) << qPrintable(context.detail);
    ASSERT_TRUE(context.volume);
    // The octant of a radius-2 ball at the corner: the lattice points with x^2 + y^2 + z^2 <= 4.
    size_t inside = 0;
    for (int x = 0; x <= 2; ++x)
        for (int y = 0; y <= 2; ++y)
            for (int z = 0; z <= 2; ++z)
                inside += x * x + y * y + z * z <= 4 ? 1 : 0;
    EXPECT_EQ(countOf(materialsOf(*context.volume), Si), inside);
}

TEST(StepExecutor, SaveImageAsksTheHostAndSucceedsWithoutOne)
{
    const Core::Steps::ProcessData step = makeStep(10, {{"Filename", QVariant(QStringLiteral("shot.png"))}});
    RecordingHost host;
    ProcessRunContext context;
    context.volume = makeVolume(siliconBase);
    context.host = &host;
    EXPECT_EQ(runProcessStep(step, context), StepSucceeded);
    EXPECT_EQ(host.images, QStringList{QStringLiteral("shot.png")});

    ProcessRunContext headless;
    headless.volume = context.volume;
    EXPECT_EQ(runProcessStep(step, headless), StepSucceeded);
}

TEST(StepExecutor, WetEtchingBuildsTheLatticeWhenItsMarkIsAbsent)
{
    const boost::shared_ptr<TotalVolume> volume = makeVolume(siliconBase);
    QMap<int, bool> stale; // no entry: the lattice was never built
    ProcessRunContext context;
    context.volume = volume;
    context.latticeStale = &stale;
    ASSERT_EQ(runProcessStep(makeStep(1, {{"Depth", QVariant(1.0f)}}), context), StepSucceeded)
        << qPrintable(context.detail);
    EXPECT_TRUE(volume->getLattice());
    EXPECT_EQ(stale.value(volume->getId(), true), false);
}

TEST(StepExecutor, WetEtchingRebuildsAStaleLattice)
{
    const boost::shared_ptr<TotalVolume> volume = makeVolume(siliconBase);
    ASSERT_TRUE(volume->createLattice());
    const boost::shared_ptr<Model::Automaton::SiLattice> old = volume->getLattice();
    QMap<int, bool> stale;
    stale.insert(volume->getId(), true);
    ProcessRunContext context;
    context.volume = volume;
    context.latticeStale = &stale;
    ASSERT_EQ(runProcessStep(makeStep(1, {{"Depth", QVariant(1.0f)}}), context), StepSucceeded);
    EXPECT_NE(volume->getLattice(), old);

    // A current lattice is reused.
    const boost::shared_ptr<Model::Automaton::SiLattice> current = volume->getLattice();
    ASSERT_EQ(runProcessStep(makeStep(1, {{"Depth", QVariant(0.5f)}}), context), StepSucceeded);
    EXPECT_EQ(volume->getLattice(), current);
}

// A change to a valid step of the table: a new value, or removal when the value is invalid.
struct FaultCase
{
    const char *name;
    int type;
    const char *parameter;
    QVariant value;
    int code;
};

std::ostream &operator<<(std::ostream &out, const FaultCase &c) { return out << c.name; }

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

const std::vector<FaultCase> &faultCases()
{
    static const std::vector<FaultCase> cases = {
        {"MissingThickness", 4, "Thickness", QVariant(), StepMissingParameter},
        {"MissingMaterial", 5, "Material_Id", QVariant(), StepMissingParameter},
        {"MissingBottomMask", 0, "Bottom Mask", QVariant(), StepMissingParameter},
        {"MissingDopingTime", 19, "Doping Time", QVariant(), StepMissingParameter},
        {"TextForAWholeNumber", 2, "Thickness", QVariant(QStringLiteral("abc")), StepInvalidParameter},
        {"TextForAMaterial", 9, "Material_Id", QVariant(QStringLiteral("abc")), StepInvalidParameter},
        {"TextForANumber", 16, "Film Thickness", QVariant(QStringLiteral("abc")), StepInvalidParameter},
        {"TextForAMask", 0, "Top Mask", QVariant(QStringLiteral("1010")), StepInvalidParameter},
        {"UnknownMaterial", 4, "Material_Id", QVariant(999u), StepInvalidParameter},
        {"EmptyMaterial", 8, "Doped Material_Id", QVariant(0u), StepInvalidParameter},
        {"NegativeThickness", 4, "Thickness", QVariant(-1.0), StepInvalidParameter},
        {"NotANumberDepth", 5, "Depth", QVariant(NaN), StepInvalidParameter},
        {"InfiniteRatio", 17, "Horizontal to Vertical Ratio", QVariant(Inf), StepInvalidParameter},
        {"NegativeWholeNumber", 6, "Maximum Height", QVariant(-1), StepInvalidParameter},
        {"WholeNumberBeyondRange", 13, "Etch Depth", QVariant(1e12), StepInvalidParameter},
        {"NegativeWetEtchDepth", 1, "Depth", QVariant(-2.0), StepInvalidParameter},
        {"MaskOfTheWrongSize", 0, "Top Mask Width", QVariant(SizeX - 1), StepInvalidParameter},
        {"MinimumAboveMaximum", 6, "Minimum Height", QVariant(7u), StepInvalidParameter},
        {"DepositOnOutOfRange", 12, "DepositOn", QVariant(7), StepInvalidParameter},
        {"EtchDirectionOutOfRange", 13, "EtchDirectionValue", QVariant(0), StepInvalidParameter},
        // 6 D dt / L^2 = 2: a stay probability of -1.
        {"RandomWalkProbabilityBelowZero", 19, "Time Step Duration", QVariant(3.3333333333), StepInvalidParameter},
        {"RandomWalkNegativeTime", 19, "Doping Time", QVariant(-1.0), StepInvalidParameter},
        // Capped at 2^32 - 1 steps, it used to run for ever.
        {"RandomWalkEndlessTime", 19, "Doping Time", QVariant(1e30), StepInvalidParameter},
        {"RandomWalkTenMillionAndOneSteps", 19, "Doping Time", QVariant(0.8333333333 * 10000001.5),
         StepInvalidParameter},
        {"RandomWalkNegativeThreshold", 19, "Doping Threshold", QVariant(-1.0), StepInvalidParameter},
        // Oxidation reports every failure as a missing parameter, a bad value too.
        {"OxidationMissingSwitch", 15, "OxidationTimeSet", QVariant(), StepMissingParameter},
        {"OxidationTextThickness", 15, "Oxidation Thickness", QVariant(QStringLiteral("abc")), StepMissingParameter},
        {"OxidationNegativeThickness", 15, "Oxidation Thickness", QVariant(-1.0), StepMissingParameter},
        {"OxidationZeroConversion", 15, "Micron Conversion", QVariant(0.0), StepMissingParameter},
    };
    return cases;
}

class FaultyStep : public ::testing::TestWithParam<FaultCase>
{
};

TEST_P(FaultyStep, FailsWithItsCodeAReasonAndTheVolumeUntouched)
{
    const FaultCase &f = GetParam();
    const StepCase &valid = caseOfType(f.type);
    Core::Steps::ProcessData step = makeStep(f.type, valid.values);
    if (f.value.isValid())
        step.setParameterValue(QLatin1String(f.parameter), f.value);
    else
        step.removeParameter(QLatin1String(f.parameter));

    const boost::shared_ptr<TotalVolume> volume = makeVolume(valid.layout);
    const std::vector<uint32_t> before = materialsOf(*volume);
    QMap<int, bool> stale;
    stale.insert(volume->getId(), true);
    ProcessRunContext context;
    context.volume = volume;
    context.latticeStale = &stale;

    EXPECT_EQ(runProcessStep(step, context), f.code) << qPrintable(context.detail);
    EXPECT_FALSE(context.detail.isEmpty());
    EXPECT_EQ(materialsOf(*volume), before);
    EXPECT_EQ(context.volume, volume);
    EXPECT_EQ(stale.value(volume->getId()), true);
    EXPECT_FALSE(volume->getLattice());
}

INSTANTIATE_TEST_SUITE_P(StepExecutor, FaultyStep, ::testing::ValuesIn(faultCases()),
                         [](const ::testing::TestParamInfo<FaultCase> &info) { return std::string(info.param.name); });

TEST(StepExecutor, EndlessDopingTimeIsRefusedNamingTheLimit)
{
    const StepCase &valid = caseOfType(19);
    Core::Steps::ProcessData step = makeStep(19, valid.values);
    step.setParameterValue(QStringLiteral("Doping Time"), QVariant(1e30));
    ProcessRunContext context;
    context.volume = makeVolume(valid.layout);
    EXPECT_EQ(runProcessStep(step, context), StepInvalidParameter);
    EXPECT_TRUE(context.detail.contains(QLatin1String("at most 10000000"))) << qPrintable(context.detail);
}

TEST(StepExecutor, StopInsideARandomWalkEndsItAndLeavesTheCellsAsBefore)
{
    const StepCase &valid = caseOfType(19);
    Core::Steps::ProcessData step = makeStep(19, valid.values);
    // Nine million steps: hours of walking unless the stop reaches the loop.
    step.setParameterValue(QStringLiteral("Doping Time"), QVariant(0.8333333333 * 9000000));
    const boost::shared_ptr<TotalVolume> volume = makeVolume(valid.layout);
    const std::vector<uint32_t> before = materialsOf(*volume);
    Util::StopToken stop;
    ProcessRunContext context;
    context.volume = volume;
    context.stop = &stop;

    Util::StopToken *const watched = &stop;
    int code;
    {
        const TestSupport::StopWhenLogged stopAtStep100(&watched, QStringLiteral("At step 100"));
        code = runProcessStep(step, context);
    }

    EXPECT_EQ(code, StepStopped);
    EXPECT_EQ(context.detail, processStepResultText(StepStopped));
    EXPECT_EQ(materialsOf(*volume), before);
}

TEST(StepExecutor, StopBetweenStepsKeepsTheFinishedOnesAndRunsNoMore)
{
    const StepCase &deposit = caseOfType(4);
    Core::Steps::ProcessList list;
    list << makeStep(11, substrateValues(SizeX, SizeY, 4)) << makeStep(4, deposit.values)
         << makeStep(4, deposit.values);
    Util::StopToken stop;
    ProcessRunContext context;
    context.stop = &stop;
    std::vector<int> codes;
    std::vector<uint32_t> afterSecond;
    const int completed = runProcessSteps(list, context, [&](int index, int code, qint64) {
        codes.push_back(code);
        if (index == 1) {
            afterSecond = materialsOf(*context.volume);
            stop.request(); // as a signal arriving now would
        }
    });
    EXPECT_EQ(completed, 2);
    EXPECT_EQ(codes, (std::vector<int>{StepSucceeded, StepSucceeded}));
    ASSERT_TRUE(context.volume);
    EXPECT_EQ(materialsOf(*context.volume), afterSecond);

    // A token already set stops a step before it touches anything.
    const std::vector<uint32_t> held = materialsOf(*context.volume);
    EXPECT_EQ(runProcessStep(list.at(1), context), StepStopped);
    EXPECT_EQ(materialsOf(*context.volume), held);
}

namespace {

// Asks the stop as a created substrate is handed over: a signal landing then,
// after the new volume exists but before the step has returned.
class StopOnNewVolume : public IProcessRunHost
{
public:
    explicit StopOnNewVolume(Util::StopToken &stop) : m_stop(stop) {}
    void setCurrentVolume(const boost::shared_ptr<TotalVolume> &) override { m_stop.request(); }
    void updateGeometry(const QString &) override {}

private:
    Util::StopToken &m_stop;
};

} // namespace

TEST(StepExecutor, AStoppedSubstrateLeavesTheVolumeThatWasThere)
{
    Util::StopToken stop;
    StopOnNewVolume host(stop);
    ProcessRunContext context;
    context.host = &host;
    context.stop = &stop;
    const boost::shared_ptr<TotalVolume> old = makeVolume(siliconBase);
    const std::vector<uint32_t> before = materialsOf(*old);
    context.volume = old;
    EXPECT_EQ(runProcessStep(makeStep(11, substrateValues(SizeX, SizeY, 4)), context), StepStopped);
    EXPECT_EQ(context.volume, old);
    EXPECT_EQ(materialsOf(*old), before);

    // On a fresh scene there is still no volume afterwards.
    stop.clear();
    context.volume.reset();
    EXPECT_EQ(runProcessStep(makeStep(11, substrateValues(SizeX, SizeY, 4)), context), StepStopped);
    EXPECT_FALSE(context.volume);
}

struct SubstrateFault
{
    const char *name;
    const char *parameter;
    QVariant value;
    int code;
};

std::ostream &operator<<(std::ostream &out, const SubstrateFault &c) { return out << c.name; }

class FaultySubstrate : public ::testing::TestWithParam<SubstrateFault>
{
};

TEST_P(FaultySubstrate, KeepsTheCurrentVolumeAndTellsTheHostNothing)
{
    const SubstrateFault &f = GetParam();
    Core::Steps::ProcessData step = makeStep(11, substrateValues(4, 4, 4));
    if (f.value.isValid())
        step.setParameterValue(QLatin1String(f.parameter), f.value);
    else
        step.removeParameter(QLatin1String(f.parameter));
    RecordingHost host;
    ProcessRunContext context;
    const boost::shared_ptr<TotalVolume> previous = makeVolume(siliconBase);
    context.volume = previous;
    context.host = &host;
    EXPECT_EQ(runProcessStep(step, context), f.code) << qPrintable(context.detail);
    EXPECT_FALSE(context.detail.isEmpty());
    EXPECT_EQ(context.volume, previous);
    EXPECT_TRUE(host.volumes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    ProcessStepRunner, FaultySubstrate,
    ::testing::Values(
        SubstrateFault{"MissingSize", "Volume Size Y", QVariant(), StepMissingParameter},
        SubstrateFault{"MissingShapeSwitch", "SphericalSubstrate", QVariant(), StepMissingParameter},
        SubstrateFault{"MissingBoxValue", "Substrate Delta Z", QVariant(), StepMissingParameter},
        SubstrateFault{"TextForASize", "Volume Size X", QVariant(QStringLiteral("abc")), StepMissingParameter},
        SubstrateFault{"TextForTheCorner", "Lower Left Front Corner", QVariant(QStringLiteral("1;2")),
                       StepMissingParameter},
        // Every failure of "Create Substrate" is code 1, a value it cannot build a volume of too.
        SubstrateFault{"UnknownMaterial", "Material_Id", QVariant(4000u), StepMissingParameter},
        SubstrateFault{"ZeroSize", "Volume Size Z", QVariant(0u), StepMissingParameter},
        SubstrateFault{"AbsurdSize", "Volume Size X", QVariant(4000000000u), StepMissingParameter},
        SubstrateFault{"CornerNotFinite", "Lower Left Front Corner", QVariant::fromValue(Util::Vector3D(NaN, 0, 0)),
                       StepMissingParameter}),
    [](const ::testing::TestParamInfo<SubstrateFault> &info) { return std::string(info.param.name); });

TEST(StepExecutor, UnknownTypesGiveCodeThree)
{
    const int limit = StepRegistry::instance().typeLimit();
    for (int type : {-1, limit, limit + 5}) {
        ProcessRunContext context;
        context.volume = makeVolume(siliconBase);
        EXPECT_EQ(runProcessStep(makeStep(type, {}), context), StepUnknownProcess) << type;
    }
}

TEST(StepExecutor, SaveImageWithoutAFileNameGivesCodeOne)
{
    RecordingHost host;
    ProcessRunContext context;
    context.volume = makeVolume(siliconBase);
    context.host = &host;
    EXPECT_EQ(runProcessStep(makeStep(10, {}), context), StepMissingParameter);
    EXPECT_TRUE(host.images.isEmpty());
}

TEST(StepExecutor, AStepOnNoVolumeRunsNothing)
{
    ProcessRunContext context;
    EXPECT_EQ(runProcessStep(makeStep(4, caseOfType(4).values), context), StepMissingParameter);
    EXPECT_FALSE(context.volume);
}

TEST(StepExecutor, ResultTextsAreTheListTexts)
{
    const std::pair<int, const char *> texts[] = {
        {0, "No error, process was run successfully."},
        {1, "A required parameter was not found. Check input list."},
        {2, "Value for a required parameter is invalid. Check input list."},
        {3, "Unknown process. Remove process from the list."},
        {4, "Process is not implemented. Remove process from the list."}};
    for (const auto &text : texts)
        EXPECT_EQ(processStepResultText(text.first), QLatin1String(text.second)) << text.first;
}

struct Report
{
    int index;
    int code;
};

Core::Steps::ProcessList createAndCvd()
{
    return {makeStep(11, substrateValues(6, 6, 8)), makeStep(4, caseOfType(4).values)};
}

TEST(ProcessSteps, CreateSubstrateThenCvdCompletesBothSteps)
{
    RecordingHost host;
    QMap<int, bool> stale;
    ProcessRunContext context;
    context.host = &host;
    context.latticeStale = &stale;
    context.detail = QStringLiteral("left over from an earlier run");
    std::vector<Report> reports;
    const int done = runProcessSteps(createAndCvd(), context,
                                     [&](int index, int code, qint64) { reports.push_back({index, code}); });
    EXPECT_EQ(done, 2);
    ASSERT_EQ(host.volumes.size(), 1u);
    ASSERT_TRUE(context.volume);
    EXPECT_EQ(host.volumes.front(), context.volume);
    EXPECT_GT(countOf(materialsOf(*context.volume), Oxide), 0u);
    EXPECT_TRUE(context.detail.isEmpty());
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].index, 0);
    EXPECT_EQ(reports[0].code, StepSucceeded);
    EXPECT_EQ(reports[1].index, 1);
    EXPECT_EQ(reports[1].code, StepSucceeded);
}

TEST(ProcessSteps, AListNotStartingWithASubstrateRunsNothing)
{
    ProcessRunContext context;
    std::vector<Report> reports;
    const Core::Steps::ProcessList list = {makeStep(4, caseOfType(4).values), makeStep(11, substrateValues(4, 4, 4))};
    EXPECT_EQ(runProcessSteps(list, context, [&](int index, int code, qint64) { reports.push_back({index, code}); }),
              0);
    EXPECT_FALSE(context.volume);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].index, 0);
    EXPECT_EQ(reports[0].code, -1);
}

TEST(ProcessSteps, StopsAtTheFirstFailureAndKeepsWhatRanBefore)
{
    Core::Steps::ProcessList list = createAndCvd();
    list[1].removeParameter(QStringLiteral("Thickness"));
    list.append(makeStep(16, caseOfType(16).values)); // never reached
    ProcessRunContext context;
    std::vector<Report> reports;
    EXPECT_EQ(runProcessSteps(list, context, [&](int index, int code, qint64) { reports.push_back({index, code}); }),
              1);
    ASSERT_TRUE(context.volume);
    const std::vector<uint32_t> cells = materialsOf(*context.volume);
    EXPECT_EQ(countOf(cells, Si), 6u * 6u * 3u);
    EXPECT_EQ(countOf(cells, Oxide), 0u);
    EXPECT_EQ(countOf(cells, Al), 0u);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].index, 1);
    EXPECT_EQ(reports[1].code, StepMissingParameter);
    EXPECT_FALSE(context.detail.isEmpty());
}

TEST(ProcessSteps, AStopRequestEndsTheRunBeforeTheNextStep)
{
    ProcessRunContext context;
    std::vector<Report> reports;
    const int done = runProcessSteps(
        createAndCvd(), context, [&](int index, int code, qint64) { reports.push_back({index, code}); },
        [&]() { return !reports.empty(); });
    EXPECT_EQ(done, 1);
    ASSERT_EQ(reports.size(), 1u);
    ASSERT_TRUE(context.volume);
    EXPECT_EQ(countOf(materialsOf(*context.volume), Oxide), 0u);
}

TEST(ProcessSteps, RunOnADedicatedThread)
{
    ProcessRunContext context;
    int done = -1;
    std::unique_ptr<QThread> thread(QThread::create([&] { done = runProcessSteps(createAndCvd(), context); }));
    thread->start();
    ASSERT_TRUE(thread->wait(60000));
    EXPECT_EQ(done, 2);
    ASSERT_TRUE(context.volume);
    EXPECT_GT(countOf(materialsOf(*context.volume), Oxide), 0u);
}

// Every value a working step is given is declared by its definition, so
// every front end built from the declarations can give it.
TEST_P(EveryStepType, DeclaresEveryValueTheStepIsGiven)
{
    const StepCase &c = stepCases()[GetParam()];
    const StepDefinition *definition = StepRegistry::instance().ofType(c.type);
    ASSERT_TRUE(definition);
    for (const auto &value : c.values) {
        const StepParameter *param = definition->parameter(QLatin1String(value.first));
        ASSERT_TRUE(param) << value.first;
        EXPECT_EQ(param->valueName(), QLatin1String(value.first));
        EXPECT_EQ(param->kind == ValueKind::Material, QByteArray(value.first).endsWith("_Id")) << value.first;
    }
}

TEST(StepDeclarations, BothSidesOfAChoiceAndAMasksSizesAreDeclared)
{
    const StepDefinition &substrate = *StepRegistry::instance().ofType(ProcessData::CreateSubstrate);
    for (const char *name : {"SphericalSubstrate", "Substrate Size X", "Substrate Delta Z", "Substrate Center Y",
                             "Substrate Radius", "Lower Left Front Corner", "Unit Length"})
        EXPECT_TRUE(substrate.parameter(QLatin1String(name))) << name;
    EXPECT_EQ(substrate.parameters.size(), 17);
    const StepDefinition &oxidation = *StepRegistry::instance().ofType(ProcessData::SiOxidation);
    for (const char *name : {"Oxidation Thickness", "Oxidation Time", "Oxidation Pressure", "Oxidation Temperature"})
        EXPECT_TRUE(oxidation.parameter(QLatin1String(name))) << name;
    int masks = 0;
    for (const StepParameter &param : StepRegistry::instance().ofType(ProcessData::Photolithography)->parameters)
        if (param.kind == ValueKind::Mask) {
            ++masks;
            EXPECT_EQ(param.widthName, param.name + QStringLiteral(" Width"));
            EXPECT_EQ(param.heightName, param.name + QStringLiteral(" Height"));
        }
    EXPECT_EQ(masks, 2);
}

TEST(StepNames, UnknownNamesAreRefusedWithTheSentence)
{
    QString detail;
    EXPECT_FALSE(stepNamed(QStringLiteral("CVDD"), &detail));
    EXPECT_EQ(detail, QStringLiteral("There is no process named \"CVDD\". Did you mean \"CVD\" or \"PVD\"?"));
    EXPECT_FALSE(stepNamed(QStringLiteral("Kryptonite"), &detail));
    EXPECT_EQ(detail, QStringLiteral("There is no process named \"Kryptonite\"."));
    EXPECT_FALSE(stepNamed(QStringLiteral("Isotropic etchin"), &detail));
    EXPECT_TRUE(detail.contains(QStringLiteral("Did you mean \"Isotropic etching\""))) << qPrintable(detail);
    // The program's own steps have no list type: a list or a script cannot name them.
    EXPECT_FALSE(stepNamed(QStringLiteral("Continuous Wet Etch"), &detail));
}

// "Thermal SiO2" (letter O) names the stored "Thermal Si02" wherever a step
// names a material; the step keeps the stored name, so lists stay as they were.
TEST(StepExecutor, ThermalSiO2NamesTheStoredOxide)
{
    const boost::shared_ptr<TotalVolume> byAlias = makeVolume(siliconBase);
    const boost::shared_ptr<TotalVolume> byId = makeVolume(siliconBase);
    const ProcessData aliased =
        Core::Steps::makeStep(*StepRegistry::instance().ofType(ProcessData::Cvd),
                              {{QStringLiteral("Material"), QStringLiteral("Thermal SiO2")}, {QStringLiteral("Thickness"), 2.0}});
    EXPECT_EQ(aliased.getParameters().value(QStringLiteral("Material_Id")).toUInt(), Oxide);
    EXPECT_EQ(aliased.getParameters().value(QStringLiteral("Material")).toString(), QStringLiteral("Thermal Si02"));
    ProcessRunContext context;
    context.volume = byAlias;
    ASSERT_EQ(runProcessStep(aliased, context), StepSucceeded) << qPrintable(context.detail);
    // Given as text to the executor itself, as a hand-made list might.
    context.volume = byId;
    ASSERT_EQ(runProcessStep(makeStep(4, {{"Thickness", QVariant(2.0)}, {"Material_Id", QVariant(QStringLiteral("thermal sio2"))}}),
                             context),
              StepSucceeded)
        << qPrintable(context.detail);
    EXPECT_GT(countOf(materialsOf(*byAlias), Oxide), 0u);
    EXPECT_EQ(materialsOf(*byAlias), materialsOf(*byId));
}

TEST(StepExecutor, AMaterialMayBeGivenByName)
{
    const boost::shared_ptr<TotalVolume> byName = makeVolume(siliconBase);
    const boost::shared_ptr<TotalVolume> byId = makeVolume(siliconBase);
    for (const auto &run : {std::make_pair(byName, QVariant(QStringLiteral("Thermal Si02"))),
                            std::make_pair(byId, QVariant(Oxide))}) {
        ProcessRunContext context;
        context.volume = run.first;
        ASSERT_EQ(runProcessStep(makeStep(4, {{"Thickness", QVariant(2.0)}, {"Material_Id", run.second}}), context),
                  StepSucceeded)
            << qPrintable(context.detail);
    }
    EXPECT_GT(countOf(materialsOf(*byName), Oxide), 0u);
    EXPECT_EQ(materialsOf(*byName), materialsOf(*byId));

    ProcessRunContext context;
    context.volume = byName;
    const std::vector<uint32_t> before = materialsOf(*byName);
    EXPECT_EQ(runProcessStep(makeStep(4, {{"Thickness", QVariant(2.0)}, {"Material_Id", QVariant(QStringLiteral("Kryptonite"))}}),
                             context),
              StepInvalidParameter);
    EXPECT_EQ(context.detail, QStringLiteral("There is no material named \"Kryptonite\" (given by \"Material_Id\") in "
                                             "the materials catalogue."));
    EXPECT_EQ(materialsOf(*byName), before);
    // A near miss is told the name it probably meant, as the catalogue spells it.
    EXPECT_EQ(runProcessStep(makeStep(4, {{"Thickness", QVariant(2.0)}, {"Material_Id", QVariant(QStringLiteral("Thermal SiO3"))}}),
                             context),
              StepInvalidParameter);
    EXPECT_TRUE(context.detail.endsWith(QStringLiteral("catalogue. Did you mean \"Thermal Si02\"?")))
        << qPrintable(context.detail);
    EXPECT_EQ(materialsOf(*byName), before);
    // A number written as text is still an id.
    EXPECT_EQ(runProcessStep(makeStep(4, {{"Thickness", QVariant(1.0)}, {"Material_Id", QVariant(QStringLiteral("3"))}}),
                             context),
              StepSucceeded);
}

} // namespace

// Wet etches in a row keep the lattice current, so a split etch adds up.
TEST(ProcessSteps, WetEtchesInARowAddUpToOneEtch)
{
    const auto etchedIn = [](int parts) {
        Core::Steps::ProcessData substrate = makeStep(11, substrateValues(16, 16, 14));
        substrate.setParameter(QStringLiteral("Substrate Size Z"), QVariant(12u), true);
        Core::Steps::ProcessList list{substrate};
        for (int i = 0; i < parts; ++i)
            list.push_back(makeStep(1, {{"Depth", QVariant(8.0 / parts)}}));
        RecordingHost host;
        QMap<int, bool> stale;
        ProcessRunContext context;
        context.host = &host;
        context.latticeStale = &stale;
        EXPECT_EQ(runProcessSteps(list, context), parts + 1) << qPrintable(context.detail);
        return context.volume;
    };
    const boost::shared_ptr<TotalVolume> whole = etchedIn(1), split = etchedIn(16);
    ASSERT_TRUE(whole && split);
    EXPECT_EQ(materialsOf(*split), materialsOf(*whole));
    // Away from the volume's side faces the (100) top went down 8 cells, from 12 to 4.
    EXPECT_EQ(TestSupport::materialAt(*split, 8, 8, 3), Si);
    EXPECT_EQ(TestSupport::materialAt(*split, 8, 8, 4), 0u);
}

// A list written before oxidation knew its ambient and orientation reads as dry oxygen on (100).
TEST(ProcessSteps, OxidationWithoutAmbientOrOrientationIsDryOn100)
{
    // One hour at 1273 K, 100 cells per micron: dry (100) 5.8 cells, (111) 7.0, wet about 40.
    const Values byTime = {{"OxidationTimeSet", QVariant(true)},    {"Micron Conversion", QVariant(100.0)},
                           {"Oxidation Time", QVariant(1.0)},       {"Oxidation Pressure", QVariant(1.0)},
                           {"Oxidation Temperature", QVariant(1273.0)}};
    const auto oxidized = [&byTime](const Values &more) {
        const boost::shared_ptr<TotalVolume> volume = TestSupport::makeVolume(3, 3, 60, [](unsigned, unsigned, unsigned z) {
            return z < 30 ? Si : 0u;
        });
        Values values = byTime;
        values.insert(values.end(), more.begin(), more.end());
        ProcessRunContext context;
        context.volume = volume;
        EXPECT_EQ(runProcessStep(makeStep(15, values), context), StepSucceeded) << qPrintable(context.detail);
        return materialsOf(*volume);
    };
    const std::vector<uint32_t> old = oxidized({});
    EXPECT_EQ(old, oxidized({{"Ambient", QVariant(0)}, {"Orientation", QVariant(100)}}));
    EXPECT_LT(countOf(old, Oxide), countOf(oxidized({{"Orientation", QVariant(111)}}), Oxide));
    EXPECT_LT(countOf(old, Oxide), countOf(oxidized({{"Ambient", QVariant(1)}}), Oxide));
    // An unknown ambient or orientation is refused before any cell changes.
    for (const Values &bad : {Values{{"Ambient", QVariant(2)}}, Values{{"Orientation", QVariant(112)}}}) {
        const boost::shared_ptr<TotalVolume> volume = makeVolume(siliconBase);
        const std::vector<uint32_t> before = materialsOf(*volume);
        Values values = byTime;
        values.insert(values.end(), bad.begin(), bad.end());
        ProcessRunContext context;
        context.volume = volume;
        EXPECT_NE(runProcessStep(makeStep(15, values), context), StepSucceeded);
        EXPECT_FALSE(context.detail.isEmpty());
        EXPECT_EQ(materialsOf(*volume), before);
    }
}

// The etchant, its concentration and temperature must lie within the published data;
// a refusal leaves the cells and the lattice mark as they were.
TEST(ProcessSteps, AnisotropicWetEtchRefusesWhatTheDataDoNotCover)
{
    const Values good = {{"Etchant", QVariant(0)}, {"Concentration", QVariant(30.0)}, {"Temperature", QVariant(80.0)},
                         {"Time", QVariant(1.0)}};
    const struct
    {
        const char *name;
        QVariant value;
        const char *words;
    } cases[] = {{"Etchant", QVariant(1), "\"Etchant\" must be 0 (KOH)"},
                 {"Concentration", QVariant(50.0), "from 10 to 40 wt %, not 50"},
                 {"Temperature", QVariant(110.0), "from 20 to 100"},
                 {"Temperature", QVariant(std::nan("")), "Temperature"},
                 {"Time", QVariant(-1.0), "\"Time\" must be a finite number"},
                 {"Time", QVariant(std::numeric_limits<double>::infinity()), "\"Time\" must be a finite number"}};
    for (const auto &c : cases) {
        const boost::shared_ptr<TotalVolume> volume = makeVolume(siliconBase);
        const std::vector<uint32_t> before = materialsOf(*volume);
        QMap<int, bool> stale;
        stale.insert(volume->getId(), true);
        Core::Steps::ProcessData step = makeStep(25, good);
        step.setParameterValue(QLatin1String(c.name), c.value);
        ProcessRunContext context;
        context.volume = volume;
        context.latticeStale = &stale;
        EXPECT_EQ(runProcessStep(step, context), StepInvalidParameter) << c.name;
        EXPECT_TRUE(context.detail.contains(QString::fromUtf8(c.words))) << qPrintable(context.detail);
        EXPECT_EQ(materialsOf(*volume), before) << c.name;
        EXPECT_FALSE(volume->getLattice()) << c.name;
        EXPECT_TRUE(stale.value(volume->getId())) << c.name;
    }
}
