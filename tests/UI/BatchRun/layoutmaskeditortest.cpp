#include "batchruntestsupport.h"

#include "Core/Operations/BatchRun/processlistfile.h"
#include "Core/Steps/executor.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Layout/gdsiiteststream.h"
#include "UI/BatchRun/processstepeditor.h"
#include "UI/Operations/layoutmaskpanel.h"
#include "UI/Operations/photolithographydialog.h"

#include "testsupport.h"
#include "volumetestsupport.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using BatchRunTest::ScriptedPrompts;
using Core::Steps::ProcessData;
using Ui::ProcessStepEditor;
using Ui::Operations::PhotolithographyDialog;

namespace {

const unsigned SizeX = 10, SizeY = 8;

// Two structures; the top one draws layer 1/0 as a 4 x 3 µm block at (2, 1)
// through a reference, and layer 2/0 as a decoy.
QByteArray layout()
{
    return TestSupport::GdsiiStream()
        .begin("PAD")
        .box(1, 0, 0, 4000, 3000)
        .end()
        .begin("TOP")
        .reference("PAD", 2000, 1000)
        .box(2, 0, 0, 10000, 8000)
        .end()
        .finish();
}

template <class T>
T *child(QDialog *dialog, const char *name)
{
    T *w = dialog->findChild<T *>(QLatin1String(name));
    EXPECT_TRUE(w) << name;
    return w;
}

// Chooses the layout for the top mask: layer 1/0 with the volume origin at
// (1, 0) µm of the layout, so the block covers cells x 1..4, y 1..3.
int chooseLayout(QDialog *dialog, const QString &file)
{
    child<QComboBox>(dialog, "cbxTopMaskSource")->setCurrentIndex(1);
    child<QLineEdit>(dialog, "lieTopMaskLayout")->setText(file);
    child<QPushButton>(dialog, "btnLoadTopMaskLayout")->click();
    QComboBox *structure = child<QComboBox>(dialog, "cbxTopMaskStructure");
    EXPECT_EQ(structure->itemText(0), QStringLiteral("TOP")); // the top structure comes first
    QComboBox *layer = child<QComboBox>(dialog, "cbxTopMaskLayer");
    EXPECT_EQ(layer->count(), 2);
    layer->setCurrentIndex(layer->findText(QStringLiteral("1/0")));
    child<QDoubleSpinBox>(dialog, "dblTopMaskOriginX")->setValue(1.0);
    child<QPushButton>(dialog, "btnApplyTopMaskLayout")->click();
    EXPECT_FALSE(child<QLabel>(dialog, "lblTopMaskPreview")->pixmap(Qt::ReturnByValue).isNull());
    return int(QDialog::Accepted);
}

std::vector<bool> expectedBits()
{
    std::vector<bool> bits(SizeX * SizeY);
    for (unsigned x = 1; x < 5; ++x)
        for (unsigned y = 1; y < 4; ++y)
            bits[x * SizeY + y] = true;
    return bits;
}

class LayoutMaskEditor : public ::testing::Test
{
protected:
    void SetUp() override
    {
        file = QDir::current().absoluteFilePath(QStringLiteral("pads.gds"));
        TestSupport::writeFile(file, layout());
        volume = TestSupport::makeVolume(SizeX, SizeY, 6, [](unsigned, unsigned, unsigned z) { return z < 3 ? 1u : 0u; });
    }
    ProcessData added()
    {
        ProcessStepEditor editor(prompts, nullptr);
        editor.setVolume(*volume);
        ProcessData step(ProcessData::Photolithography);
        prompts.onExec = [this](QDialog *d) { return chooseLayout(d, file); };
        EXPECT_TRUE(editor.edit(step, true));
        return step;
    }
    QString file;
    boost::shared_ptr<Model::Automaton::TotalVolume> volume;
    ScriptedPrompts prompts;
};

QVariant value(const ProcessData &step, const char *name) { return step.getProcessParameter(QLatin1String(name)); }

// "name=kind:value" per parameter, so a difference reads as one.
std::vector<std::string> described(const ProcessData &step)
{
    std::vector<std::string> out;
    for (auto it = step.getParameters().constBegin(); it != step.getParameters().constEnd(); ++it)
        out.push_back((it.key() + QLatin1Char('=') + ProcessData::kindName(it.value()) + QLatin1Char(':') +
                       Core::Operations::ProcessListFile::valueText(it.value()))
                          .toStdString());
    return out;
}

} // namespace

TEST_F(LayoutMaskEditor, AChosenLayoutIsStoredWithItsBits)
{
    const ProcessData step = added();
    EXPECT_TRUE(prompts.warnings.isEmpty()) << prompts.warnings.value(0).second.toStdString();
    EXPECT_EQ(value(step, "Top Mask Source").toString(), QStringLiteral("GDSII"));
    EXPECT_EQ(value(step, "Top Mask File").toString(), file);
    EXPECT_EQ(value(step, "Top Mask Structure").toString(), QStringLiteral("TOP"));
    EXPECT_EQ(value(step, "Top Mask Layer").toUInt(), 1u);
    EXPECT_EQ(value(step, "Top Mask Datatype").toInt(), 0);
    EXPECT_EQ(value(step, "Top Mask Origin X").toDouble(), 1.0);
    EXPECT_EQ(value(step, "Top Mask Scale").toDouble(), 1.0);
    EXPECT_EQ(value(step, "Top Mask Width").toUInt(), SizeX);
    EXPECT_EQ(value(step, "Top Mask Height").toUInt(), SizeY);
    EXPECT_EQ(value(step, "Top Mask").value<std::vector<bool>>(), expectedBits());
    // The image mask below keeps its old form.
    EXPECT_FALSE(step.hasParameter(QStringLiteral("Bottom Mask Source")));
}

TEST_F(LayoutMaskEditor, AListRoundTripReopensTheDialogOnTheSameChoiceAndKeepsTheBitsWithoutTheFile)
{
    const ProcessData step = added();
    const QString list = QDir::current().absoluteFilePath(QStringLiteral("layout.plst"));
    QString error;
    ASSERT_TRUE(Core::Operations::ProcessListFile::save({step}, list, &error)) << error.toStdString();
    Core::Operations::ProcessListFile::LoadResult loaded;
    ASSERT_TRUE(Core::Operations::ProcessListFile::load(list, loaded));
    ASSERT_EQ(loaded.list.size(), 1);
    ProcessData back = loaded.list.first();
    EXPECT_EQ(described(back), described(step));

    // Reopened: the dialog shows the stored choice; OK keeps the step as it was.
    ProcessStepEditor editor(prompts, nullptr);
    editor.setVolume(*volume);
    prompts.onExec = [&](QDialog *d) {
        EXPECT_EQ(d->objectName(), QStringLiteral("PhotolithographyDialog"));
        EXPECT_EQ(child<QComboBox>(d, "cbxTopMaskSource")->currentText(), QStringLiteral("GDSII"));
        EXPECT_EQ(child<QComboBox>(d, "cbxBottomMaskSource")->currentText(), QStringLiteral("Image"));
        EXPECT_EQ(child<QLineEdit>(d, "lieTopMaskLayout")->text(), file);
        EXPECT_EQ(child<QComboBox>(d, "cbxTopMaskStructure")->currentText(), QStringLiteral("TOP"));
        EXPECT_EQ(child<QComboBox>(d, "cbxTopMaskLayer")->currentText(), QStringLiteral("1/0"));
        EXPECT_EQ(child<QDoubleSpinBox>(d, "dblTopMaskOriginX")->value(), 1.0);
        return int(QDialog::Accepted);
    };
    ASSERT_TRUE(editor.edit(back, false));
    EXPECT_EQ(described(back), described(step));

    // Without the layout file the same choice keeps the stored bits.
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(editor.edit(back, false));
    EXPECT_TRUE(prompts.warnings.isEmpty());
    EXPECT_EQ(value(back, "Top Mask").value<std::vector<bool>>(), expectedBits());

    // A changed choice needs the file: a warning, the step unchanged.
    prompts.onExec = [](QDialog *d) {
        child<QDoubleSpinBox>(d, "dblTopMaskOriginX")->setValue(0.0);
        return int(QDialog::Accepted);
    };
    EXPECT_FALSE(editor.edit(back, false));
    ASSERT_EQ(prompts.warnings.size(), 1);
    EXPECT_TRUE(prompts.warnings[0].second.contains(QStringLiteral("cannot be opened")))
        << prompts.warnings[0].second.toStdString();
    EXPECT_EQ(described(back), described(step));
}

TEST_F(LayoutMaskEditor, SwitchingBackToAnImageDropsTheLayoutSettings)
{
    ProcessData step = added();
    ProcessStepEditor editor(prompts, nullptr);
    editor.setVolume(*volume);
    prompts.onExec = [](QDialog *d) {
        child<QComboBox>(d, "cbxTopMaskSource")->setCurrentIndex(0);
        child<QLineEdit>(d, "lieTopMask")->setText(QString());
        return int(QDialog::Accepted);
    };
    ASSERT_TRUE(editor.edit(step, false));
    for (const char *name : {"Top Mask Source", "Top Mask Structure", "Top Mask Layer", "Top Mask Datatype",
                             "Top Mask Origin X", "Top Mask Origin Y", "Top Mask Scale"})
        EXPECT_FALSE(step.hasParameter(QLatin1String(name))) << name;
    EXPECT_EQ(value(step, "Top Mask Width").toUInt(), 0u);
}

TEST_F(LayoutMaskEditor, ALayoutThatDoesNotReachTheVolumeIsRefusedWithTheReason)
{
    ProcessStepEditor editor(prompts, nullptr);
    editor.setVolume(*volume);
    ProcessData step(ProcessData::Photolithography);
    prompts.onExec = [this](QDialog *d) {
        chooseLayout(d, file);
        child<QDoubleSpinBox>(d, "dblTopMaskOriginX")->setValue(500.0);
        return int(QDialog::Accepted);
    };
    EXPECT_FALSE(editor.edit(step, true));
    // Once from the Apply button inside the dialog, once when OK finds it still missing.
    ASSERT_FALSE(prompts.warnings.isEmpty());
    EXPECT_TRUE(prompts.warnings.last().second.contains(QStringLiteral("lies over the volume")))
        << prompts.warnings.last().second.toStdString();
    EXPECT_TRUE(step.getParameters().isEmpty());
}

TEST_F(LayoutMaskEditor, WithoutAVolumeTheChoiceIsStoredAndTheRunnerDrawsIt)
{
    ProcessStepEditor editor(prompts, nullptr);
    ProcessData step(ProcessData::Photolithography);
    prompts.onExec = [this](QDialog *d) {
        child<QComboBox>(d, "cbxTopMaskSource")->setCurrentIndex(1);
        child<QLineEdit>(d, "lieTopMaskLayout")->setText(file);
        child<QPushButton>(d, "btnLoadTopMaskLayout")->click();
        QComboBox *layer = child<QComboBox>(d, "cbxTopMaskLayer");
        layer->setCurrentIndex(layer->findText(QStringLiteral("1/0")));
        child<QDoubleSpinBox>(d, "dblTopMaskOriginX")->setValue(1.0);
        return int(QDialog::Accepted);
    };
    ASSERT_TRUE(editor.edit(step, true));
    EXPECT_EQ(value(step, "Top Mask Width").toUInt(), 0u);
    step.setParameterValue(QStringLiteral("Material_Id"), 11u);

    // The runner draws the stored choice on the volume it meets.
    Core::Steps::ProcessRunContext context;
    context.volume = TestSupport::makeVolume(SizeX, SizeY, 6, [](unsigned, unsigned, unsigned z) { return z < 3 ? 11u : 0u; });
    ASSERT_EQ(Core::Steps::runProcessStep(step, context), Core::Steps::StepSucceeded)
        << context.detail.toStdString();
    const std::vector<bool> bits = expectedBits();
    const std::vector<uint32_t> cells = TestSupport::materialsOf(*context.volume);
    for (unsigned x = 0; x < SizeX; ++x)
        for (unsigned y = 0; y < SizeY; ++y)
            EXPECT_EQ(cells[context.volume->cellIndex(x, y, 2)] == 11u, bool(bits[x * SizeY + y]))
                << x << "," << y;
}
