#include "Core/Operations/BatchRun/processlistfile.h"
#include "Core/Steps/executor.h"

#include "Model/Automaton/totalvolume.h"
#include "Model/Layout/gdsiiteststream.h"
#include "Model/Layout/layoutmask.h"

#include "testsupport.h"
#include "volumetestsupport.h"

#include <gtest/gtest.h>

#include <QDir>

using namespace Core::Operations;
using namespace Core::Steps;
using Model::Automaton::TotalVolume;

namespace {

const uint32_t Si = 1, ResistPlus = 11;
const unsigned SizeX = 8, SizeY = 6, SizeZ = 8;

uint32_t resistOnSilicon(unsigned, unsigned, unsigned z) { return z < 4 ? Si : z < 6 ? ResistPlus : 0u; }

boost::shared_ptr<TotalVolume> makeVolume(float cellSize = 1.0f)
{
    return TestSupport::makeVolume(SizeX, SizeY, SizeZ, resistOnSilicon, cellSize);
}

// Opaque where x < 3 and y >= 2: an L-free corner block, the same drawn both ways.
std::vector<bool> cornerBits()
{
    std::vector<bool> bits(SizeX * SizeY);
    for (unsigned x = 0; x < SizeX; ++x)
        for (unsigned y = 0; y < SizeY; ++y)
            bits[x * SizeY + y] = x < 3 && y >= 2;
    return bits;
}

// The corner block in µm (1 nm database units), on layer 2, with a decoy on layer 3.
QByteArray cornerLayout()
{
    return TestSupport::GdsiiStream()
        .begin("CHIP")
        .box(2, -5000, 2000, 3000, 90000)
        .box(3, 0, 0, 8000, 6000)
        .end()
        .finish();
}

Core::Steps::ProcessData imageStep(const std::vector<bool> &bits)
{
    Core::Steps::ProcessData step(Core::Steps::ProcessData::Photolithography);
    step.setParameter(QStringLiteral("Material_Id"), ResistPlus, false);
    step.setParameter(QStringLiteral("Top Mask"), QVariant::fromValue(bits), false);
    step.setParameter(QStringLiteral("Top Mask File"), QString(), true);
    step.setParameter(QStringLiteral("Top Mask Width"), SizeX, true);
    step.setParameter(QStringLiteral("Top Mask Height"), SizeY, true);
    step.setParameter(QStringLiteral("Bottom Mask"), QVariant::fromValue(std::vector<bool>()), false);
    step.setParameter(QStringLiteral("Bottom Mask File"), QString(), true);
    step.setParameter(QStringLiteral("Bottom Mask Width"), 0u, true);
    step.setParameter(QStringLiteral("Bottom Mask Height"), 0u, true);
    return step;
}

// A top mask drawn from the layout file, with no bits of its own.
Core::Steps::ProcessData layoutStep(const QString &file)
{
    Core::Steps::ProcessData step = imageStep({});
    step.removeParameter(QStringLiteral("Top Mask"));
    step.setParameterValue(QStringLiteral("Top Mask Width"), 0u);
    step.setParameterValue(QStringLiteral("Top Mask Height"), 0u);
    step.setParameter(QStringLiteral("Top Mask File"), file, true);
    step.setParameter(QStringLiteral("Top Mask Source"), MaskSourceLayout, true);
    step.setParameter(QStringLiteral("Top Mask Structure"), QStringLiteral("CHIP"), true);
    step.setParameter(QStringLiteral("Top Mask Layer"), 2u, true);
    step.setParameter(QStringLiteral("Top Mask Datatype"), -1, true);
    step.setParameter(QStringLiteral("Top Mask Origin X"), 0.0, true);
    step.setParameter(QStringLiteral("Top Mask Origin Y"), 0.0, true);
    step.setParameter(QStringLiteral("Top Mask Scale"), 1.0, true);
    return step;
}

std::vector<uint32_t> run(const Core::Steps::ProcessData &step, const boost::shared_ptr<TotalVolume> &volume, int &code,
                          QString &detail, const QString &listFolder = QString())
{
    ProcessRunContext context;
    context.volume = volume;
    context.listFolder = listFolder;
    code = runProcessStep(step, context);
    detail = context.detail;
    return TestSupport::materialsOf(*volume);
}

class LayoutSteps : public ::testing::Test
{
protected:
    void SetUp() override
    {
        file = QDir::current().absoluteFilePath(QStringLiteral("corner.gds"));
        TestSupport::writeFile(file, cornerLayout());
        int code = -1;
        QString detail;
        expected = run(imageStep(cornerBits()), makeVolume(), code, detail);
        ASSERT_EQ(code, StepSucceeded) << detail.toStdString();
        ASSERT_NE(expected, TestSupport::materialsOf(*makeVolume())) << "the mask developed nothing";
    }
    QString file;
    std::vector<uint32_t> expected;
};

} // namespace

TEST_F(LayoutSteps, ALayoutMaskDevelopsTheSameCellsAsTheImageOfItsBits)
{
    int code = -1;
    QString detail;
    EXPECT_EQ(run(layoutStep(file), makeVolume(), code, detail), expected);
    EXPECT_EQ(code, StepSucceeded) << detail.toStdString();
}

TEST_F(LayoutSteps, ScaleAndOriginPlaceTheLayoutOnCellsOfAnySize)
{
    // Cells of 0.5 units at 2 µm per unit cover 1 µm of layout each, as before.
    Core::Steps::ProcessData step = layoutStep(file);
    step.setParameterValue(QStringLiteral("Top Mask Scale"), 2.0);
    int code = -1;
    QString detail;
    EXPECT_EQ(run(step, makeVolume(0.5f), code, detail), expected);
    EXPECT_EQ(code, StepSucceeded) << detail.toStdString();

    // Moving the volume's origin 1 µm left in the layout moves the block one cell right.
    step = layoutStep(file);
    step.setParameterValue(QStringLiteral("Top Mask Origin X"), -1.0);
    std::vector<bool> shifted(SizeX * SizeY);
    for (unsigned x = 0; x < SizeX; ++x)
        for (unsigned y = 0; y < SizeY; ++y)
            shifted[x * SizeY + y] = x < 4 && y >= 2;
    const std::vector<uint32_t> viaImage = run(imageStep(shifted), makeVolume(), code, detail);
    EXPECT_EQ(run(step, makeVolume(), code, detail), viaImage);
}

TEST_F(LayoutSteps, AHandWrittenStepNeedsOnlyTheFileAndTheLayer)
{
    Core::Steps::ProcessData step = layoutStep(file);
    for (const char *name : {"Top Mask Structure", "Top Mask Datatype", "Top Mask Origin X", "Top Mask Origin Y",
                             "Top Mask Scale"})
        step.removeParameter(QLatin1String(name));
    int code = -1;
    QString detail;
    EXPECT_EQ(run(step, makeVolume(), code, detail), expected);
    EXPECT_EQ(code, StepSucceeded) << detail.toStdString();

    step.removeParameter(QStringLiteral("Top Mask Layer"));
    const boost::shared_ptr<TotalVolume> volume = makeVolume();
    const std::vector<uint32_t> before = TestSupport::materialsOf(*volume);
    EXPECT_EQ(run(step, volume, code, detail), before);
    EXPECT_EQ(code, StepMissingParameter);
    EXPECT_TRUE(detail.contains(QStringLiteral("Top Mask Layer"))) << detail.toStdString();
}

TEST_F(LayoutSteps, StoredBitsRunWithoutTheLayoutFile)
{
    Core::Steps::ProcessData step = layoutStep(QStringLiteral("elsewhere/corner.gds"));
    step.setParameter(QStringLiteral("Top Mask"), QVariant::fromValue(cornerBits()), false);
    step.setParameterValue(QStringLiteral("Top Mask Width"), SizeX);
    step.setParameterValue(QStringLiteral("Top Mask Height"), SizeY);
    int code = -1;
    QString detail;
    EXPECT_EQ(run(step, makeVolume(), code, detail), expected);
    EXPECT_EQ(code, StepSucceeded) << detail.toStdString();
}

TEST_F(LayoutSteps, ARelativeLayoutIsReadBesideTheList)
{
    const QString folder = QDir::current().absoluteFilePath(QStringLiteral("lists"));
    TestSupport::writeFile(folder + QStringLiteral("/masks/corner.gds"), cornerLayout());
    int code = -1;
    QString detail;
    EXPECT_EQ(run(layoutStep(QStringLiteral("masks/corner.gds")), makeVolume(), code, detail, folder), expected);
    EXPECT_EQ(code, StepSucceeded) << detail.toStdString();
}

struct LayoutFault
{
    const char *name;
    const char *parameter;
    QVariant value;
    const char *message;
};

class FaultyLayoutStep : public ::testing::TestWithParam<LayoutFault>
{
};

TEST_P(FaultyLayoutStep, FailsWithTheReasonAndTheVolumeUntouched)
{
    const QString file = QDir::current().absoluteFilePath(QStringLiteral("corner.gds"));
    TestSupport::writeFile(file, cornerLayout());
    TestSupport::writeFile(QDir::current().absoluteFilePath(QStringLiteral("damaged.gds")), cornerLayout().left(70));
    Core::Steps::ProcessData step = layoutStep(file);
    step.setParameterValue(QLatin1String(GetParam().parameter), GetParam().value);
    const boost::shared_ptr<TotalVolume> volume = makeVolume();
    const std::vector<uint32_t> before = TestSupport::materialsOf(*volume);
    int code = -1;
    QString detail;
    EXPECT_EQ(run(step, volume, code, detail), before);
    EXPECT_EQ(code, StepInvalidParameter);
    EXPECT_TRUE(detail.contains(QString::fromUtf8(GetParam().message))) << detail.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    ProcessStepRunner, FaultyLayoutStep,
    ::testing::Values(LayoutFault{"MissingFile", "Top Mask File", QStringLiteral("no-such.gds"), "cannot be opened"},
                      LayoutFault{"DamagedFile", "Top Mask File", QStringLiteral("damaged.gds"), "damaged"},
                      LayoutFault{"UnknownStructure", "Top Mask Structure", QStringLiteral("NOPE"), "no structure named"},
                      LayoutFault{"UnknownLayer", "Top Mask Layer", 9u, "no shapes on layer 9"},
                      LayoutFault{"LayerBeyondRange", "Top Mask Layer", 70000u, "from 0 to 65535"},
                      LayoutFault{"ZeroScale", "Top Mask Scale", 0.0, "above zero"},
                      LayoutFault{"FarAway", "Top Mask Origin X", 1e6, "lies over the volume"}),
    [](const ::testing::TestParamInfo<LayoutFault> &info) { return std::string(info.param.name); });

TEST(LayoutExample, TheCombListCarriesTheBitsItsLayoutDraws)
{
    Core::Operations::ProcessListFile::LoadResult loaded;
    ASSERT_TRUE(Core::Operations::ProcessListFile::load(QStringLiteral(TORVANE_EXAMPLES_DIR "/gdsii-comb.plst"), loaded))
        << loaded.error.toStdString();
    int layoutSteps = 0;
    for (const Core::Steps::ProcessData &step : loaded.list) {
        if (step.getType() != Core::Steps::ProcessData::Photolithography)
            continue;
        ++layoutSteps;
        const auto v = [&](const char *name) { return step.getProcessParameter(QLatin1String(name)); };
        ASSERT_EQ(v("Top Mask Source").toString(), MaskSourceLayout);
        Model::Layout::MaskPlacement placement;
        placement.structure = v("Top Mask Structure").toString().toStdString();
        placement.layer = v("Top Mask Layer").toInt();
        placement.datatype = v("Top Mask Datatype").toInt();
        placement.scale = v("Top Mask Scale").toDouble();
        const Model::Layout::MaskGrid grid{v("Top Mask Width").toUInt(), v("Top Mask Height").toUInt(), 1.0, 1.0};
        std::vector<bool> bits;
        QString error;
        ASSERT_TRUE(Model::Layout::rasterizeLayoutFile(
            QStringLiteral(TORVANE_EXAMPLES_DIR "/") + v("Top Mask File").toString(), placement, grid, bits, error))
            << error.toStdString();
        EXPECT_EQ(bits, v("Top Mask").value<std::vector<bool>>()) << "layer " << placement.layer;
    }
    EXPECT_EQ(layoutSteps, 2);
}
