#include "batchruntestsupport.h"

#include "Core/Steps/executor.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "Model/Materials/materialfactory.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/Operations/materialcombobox.h"
#include "Util/vector3d.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QSpinBox>

#include <QTreeWidget>

#include <algorithm>
#include <vector>

using BatchRunTest::ScriptedPrompts;
using Core::Steps::ProcessData;
using Ui::RunProcessesDialog;

namespace {

struct Dialog
{
    Core::Operations::Workspace workspace;
    ScriptedPrompts prompts;
    RunProcessesDialog dialog{&workspace, nullptr, boost::shared_ptr<Model::Automaton::TotalVolume>(), nullptr,
                              &prompts};

    void click(const char *name)
    {
        QPushButton *b = dialog.findChild<QPushButton *>(QLatin1String(name));
        ASSERT_TRUE(b) << name;
        b->click();
    }
    // Adds a step of the entry named text through its option dialog.
    void add(const QString &text)
    {
        QComboBox *box = dialog.findChild<QComboBox *>(QStringLiteral("cbxProcess"));
        const int index = box->findText(text);
        ASSERT_GE(index, 0) << text.toStdString();
        box->setCurrentIndex(index);
        click("btnAddProcess");
    }
    void selectRow(int row)
    {
        QTreeWidget *tree = dialog.findChild<QTreeWidget *>(QStringLiteral("treeWidget"));
        tree->clearSelection();
        tree->topLevelItem(row)->setSelected(true);
    }
};

// "name|kind|V" or "name|kind|H" for every parameter, in name order.
std::vector<std::string> describe(const ProcessData &step)
{
    std::vector<std::string> out;
    for (auto it = step.getParameters().constBegin(); it != step.getParameters().constEnd(); ++it)
        out.push_back((it.key() + QLatin1Char('|') + ProcessData::kindName(it.value()) + QLatin1Char('|') +
                       (step.getVisibilities().value(it.key()) ? QLatin1Char('V') : QLatin1Char('H')))
                          .toStdString());
    return out;
}

std::vector<std::string> triple(const std::string &base, bool idVisible = false)
{
    return {base + "|QString|V", base + "_Color|QColor|H", base + "_Id|uint|" + (idVisible ? "V" : "H")};
}

struct TypeCase
{
    const char *entry;
    int type;
    std::vector<std::string> parameters; // without material triples
    std::vector<std::pair<std::string, bool>> triples;
};

void PrintTo(const TypeCase &c, std::ostream *os) { *os << c.entry; }

class AddedStep : public ::testing::TestWithParam<TypeCase>
{
};

TEST_P(AddedStep, HasTheKindsAndVisibilitiesOfItsType)
{
    const TypeCase &c = GetParam();
    Dialog d;
    d.prompts.saveAnswers << QStringLiteral("picture.png");
    d.add(QLatin1String(c.entry));
    ASSERT_EQ(d.dialog.processList().size(), 1);
    const ProcessData &step = d.dialog.processList().first();
    EXPECT_EQ(step.getType(), c.type);
    EXPECT_FALSE(step.isExpanded());

    std::vector<std::string> expected = c.parameters;
    for (const auto &t : c.triples)
        for (const std::string &p : triple(t.first, t.second))
            expected.push_back(p);
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> actual = describe(step);
    std::sort(actual.begin(), actual.end());
    EXPECT_EQ(actual, expected);

    // Material colours are stored opaque whatever the catalogue holds.
    for (auto it = step.getParameters().constBegin(); it != step.getParameters().constEnd(); ++it)
        if (it.key().endsWith(QStringLiteral("_Color"))) {
            EXPECT_EQ(it.value().value<QColor>().alpha(), 255);
        }
}

const std::pair<std::string, bool> M{"Material", false};

INSTANTIATE_TEST_SUITE_P(
    EveryProcess, AddedStep,
    ::testing::Values(
        TypeCase{"Photolithography",
                 0,
                 {"Top Mask|vector|H", "Top Mask File|QString|V", "Top Mask Height|uint|V", "Top Mask Width|uint|V",
                  "Bottom Mask|vector|H", "Bottom Mask File|QString|V", "Bottom Mask Height|uint|V",
                  "Bottom Mask Width|uint|V"},
                 {M}},
        TypeCase{"Si Wet Etching", 1, {"Depth|double|V"}, {}},
        TypeCase{"Moore Deposition", 2, {"Thickness|uint|V"}, {M}},
        TypeCase{"Moore Etching", 3, {"Depth|uint|V"}, {M}},
        TypeCase{"CVD", 4, {"Thickness|double|V"}, {M}},
        TypeCase{"Isotropic Etching", 5, {"Depth|double|V"}, {M}},
        TypeCase{"Planarization", 6, {"Maximum Height|uint|V", "Minimum Height|uint|V"}, {}},
        TypeCase{"Electroplating",
                 7,
                 {"Film Thickness|double|V"},
                 {{"Conducting Material", false}, {"Deposited Material", false}}},
        TypeCase{"Doping", 8, {"Doping Depth|float|V"}, {{"Doped Material", true}}},
        TypeCase{"Pour Material", 9, {"Maximum Height|uint|V"}, {M}},
        TypeCase{"Save Image", 10, {"Filename|QString|V"}, {}},
        TypeCase{"Create Substrate",
                 11,
                 {"Lower Left Front Corner|Util::Vector3D|V", "Volume Size X|uint|V", "Volume Size Y|uint|V",
                  "Volume Size Z|uint|V", "SphericalSubstrate|bool|H", "Substrate Size X|uint|V",
                  "Substrate Size Y|uint|V", "Substrate Size Z|uint|V", "Substrate Delta X|uint|V",
                  "Substrate Delta Y|uint|V", "Substrate Delta Z|uint|V", "Substrate Center X|uint|H",
                  "Substrate Center Y|uint|H", "Substrate Center Z|uint|H", "Substrate Radius|uint|H",
                  "Unit Length|double|V"},
                 {M}},
        TypeCase{"PVD",
                 12,
                 {"Thickness|double|V", "DepositOn|int|H", "Deposit On|QString|V",
                  "Horizontal to Vertical Ratio|double|V"},
                 {M}},
        TypeCase{"RIE", 13, {"Etch Depth|uint|V", "EtchDirectionValue|int|H", "Etch Direction|QString|V"}, {M}},
        TypeCase{"Ion Implantation",
                 14,
                 {"Annealing Distance|float|V", "Implantation Depth|float|V", "Vertical Spread|float|V"},
                 {{"Doped Material", true}}},
        TypeCase{"Thermal Oxidation",
                 15,
                 {"Micron Conversion|double|V", "Oxidation Pressure|double|H", "Oxidation Temperature|double|H",
                  "Oxidation Time|double|H", "OxidationTimeSet|bool|H", "Oxidation Thickness|double|V",
                  "OxidationThicknessSet|bool|H", "Ambient|int|V", "Orientation|int|V"},
                 {}},
        TypeCase{"Isotropic Deposition", 16, {"Film Thickness|double|V"}, {M}},
        TypeCase{"Anisotropic Deposition",
                 17,
                 {"Film Thickness|double|V", "Horizontal to Vertical Ratio|double|V"},
                 {M}},
        TypeCase{"Anisotropic Etching", 18, {"Etch Depth|double|V", "Horizontal to Vertical Ratio|double|V"}, {M}},
        TypeCase{"Random Walk Doping",
                 19,
                 {"Diffusion Coefficient|double|V", "Cell Size|double|V", "Time Step Duration|double|V",
                  "Surface Concentration|double|V", "Doping Time|double|V", "Doping Threshold|double|V",
                  "Surface|int|V"},
                 {{"Material", true}}},
        TypeCase{"Anisotropic Wet Etch",
                 25,
                 {"Etchant|int|V", "Concentration|double|V", "Temperature|double|V", "Time|double|V"},
                 {}}));

TEST(AddProcess, CreateSubstrateTakesTheFieldsAndTheCatalogueMaterial)
{
    Dialog d;
    const unsigned material = BatchRunTest::materialId(2);
    d.prompts.onExec = [&](QDialog *dialog) {
        dialog->findChild<QSpinBox *>(QStringLiteral("sbxTotalWidth"))->setValue(12);
        dialog->findChild<QSpinBox *>(QStringLiteral("sbxTotalLength"))->setValue(7);
        dialog->findChild<QSpinBox *>(QStringLiteral("sbxTotalHeight"))->setValue(9);
        dialog->findChild<QSpinBox *>(QStringLiteral("sbxSubsHeight"))->setValue(4);
        dialog->findChild<QDoubleSpinBox *>(QStringLiteral("dblVolumeZ"))->setValue(-2.5);
        Ui::Operations::MaterialComboBox::select(dialog->findChild<QComboBox *>(QStringLiteral("cbxFilm")), material);
        return int(QDialog::Accepted);
    };
    d.add(QStringLiteral("Create Substrate"));
    ASSERT_EQ(d.dialog.processList().size(), 1);
    const ProcessData &s = d.dialog.processList().first();
    EXPECT_EQ(s.getProcessParameter(QStringLiteral("Volume Size X")).toUInt(), 12u);
    EXPECT_EQ(s.getProcessParameter(QStringLiteral("Volume Size Y")).toUInt(), 7u);
    EXPECT_EQ(s.getProcessParameter(QStringLiteral("Volume Size Z")).toUInt(), 9u);
    EXPECT_EQ(s.getProcessParameter(QStringLiteral("Substrate Size Z")).toUInt(), 4u);
    EXPECT_DOUBLE_EQ(Util::Vector3D(s.getProcessParameter(QStringLiteral("Lower Left Front Corner"))).z, -2.5);
    const Model::Materials::Material m = Model::Materials::MaterialFactory::instance()->getMaterial(material);
    EXPECT_EQ(s.getProcessParameter(QStringLiteral("Material_Id")).toUInt(), material);
    EXPECT_EQ(s.getProcessParameter(QStringLiteral("Material")).toString(), m.getName());
}

TEST(AddProcess, CancelledDialogAddsNothing)
{
    Dialog d;
    d.prompts.onExec = [](QDialog *) { return int(QDialog::Rejected); };
    d.add(QStringLiteral("CVD"));
    d.add(QStringLiteral("Save Image")); // no file chosen
    EXPECT_TRUE(d.dialog.processList().isEmpty());
}

TEST(AddProcess, PhotolithographyReadsTheMaskBitsFromTheNamedFiles)
{
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(Qt::white);
    image.setPixel(0, 0, qRgb(255, 0, 0)); // top row: largest y
    image.setPixel(2, 1, qRgb(0, 0, 0));
    const QString file = QDir::current().absoluteFilePath(QStringLiteral("mask.png"));
    ASSERT_TRUE(image.save(file));
    Dialog d;
    QString bottomName = QStringLiteral("no-such-mask.png");
    d.prompts.onExec = [&](QDialog *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("lieTopMask"))->setText(file);
        dialog->findChild<QLineEdit *>(QStringLiteral("lieBottomMask"))->setText(bottomName);
        return int(QDialog::Accepted);
    };
    d.add(QStringLiteral("Photolithography"));
    EXPECT_TRUE(d.dialog.processList().isEmpty()); // an unreadable mask adds nothing
    ASSERT_EQ(d.prompts.warnings.size(), 1);
    EXPECT_TRUE(d.prompts.warnings[0].second.startsWith(QStringLiteral("Bottom mask not found")));

    bottomName.clear();
    d.add(QStringLiteral("Photolithography"));
    ASSERT_EQ(d.dialog.processList().size(), 1);
    const ProcessData &s = d.dialog.processList().first();
    EXPECT_EQ(s.getProcessParameter(QStringLiteral("Top Mask File")).toString(), file);
    EXPECT_EQ(s.getProcessParameter(QStringLiteral("Top Mask Width")).toUInt(), 3u);
    EXPECT_EQ(s.getProcessParameter(QStringLiteral("Top Mask Height")).toUInt(), 2u);
    // Bit x * height + y; the image's top row is y = 1.
    const std::vector<bool> bits = s.getProcessParameter(QStringLiteral("Top Mask")).value<std::vector<bool>>();
    EXPECT_EQ(bits, (std::vector<bool>{false, true, false, false, true, false}));
    EXPECT_TRUE(s.getProcessParameter(QStringLiteral("Bottom Mask")).value<std::vector<bool>>().empty());
    EXPECT_EQ(s.getProcessParameter(QStringLiteral("Bottom Mask Width")).toUInt(), 0u);
}

TEST(AddProcess, SaveImageAsksForAnImageFile)
{
    Dialog d;
    d.prompts.saveAnswers << QStringLiteral("/tmp/shot.png");
    d.add(QStringLiteral("Save Image"));
    ASSERT_EQ(d.prompts.saveQuestions.size(), 1);
    EXPECT_EQ(d.prompts.saveQuestions[0].title, QStringLiteral("Save Image"));
    EXPECT_EQ(d.prompts.saveQuestions[0].filter, QStringLiteral("Image Files (*.png *.jpg *.bmp)"));
    ASSERT_EQ(d.dialog.processList().size(), 1);
    EXPECT_EQ(d.dialog.processList()[0].getProcessParameter(QStringLiteral("Filename")).toString(),
              QStringLiteral("/tmp/shot.png"));
}

struct RieCase
{
    bool top, bottom;
    int value;
    const char *text;
};

void PrintTo(const RieCase &c, std::ostream *os) { *os << c.value; }

class RieDirection : public ::testing::TestWithParam<RieCase>
{
};

TEST_P(RieDirection, IsStoredAsValueAndText)
{
    const RieCase &c = GetParam();
    Dialog d;
    d.prompts.onExec = [&](QDialog *dialog) {
        QList<QCheckBox *> boxes = dialog->findChildren<QCheckBox *>();
        for (QCheckBox *box : boxes) {
            if (box->text().contains(QStringLiteral("Top"), Qt::CaseInsensitive))
                box->setChecked(c.top);
            else
                box->setChecked(c.bottom);
        }
        return int(QDialog::Accepted);
    };
    d.add(QStringLiteral("RIE"));
    if (c.value == 0) {
        EXPECT_TRUE(d.dialog.processList().isEmpty());
        EXPECT_EQ(d.prompts.warnings.size(), 1);
        return;
    }
    ASSERT_EQ(d.dialog.processList().size(), 1);
    const ProcessData &s = d.dialog.processList()[0];
    EXPECT_EQ(s.getProcessParameter(QStringLiteral("EtchDirectionValue")).toInt(), c.value);
    EXPECT_EQ(s.getProcessParameter(QStringLiteral("Etch Direction")).toString(), QLatin1String(c.text));
}

INSTANTIATE_TEST_SUITE_P(Sides, RieDirection,
                         ::testing::Values(RieCase{true, false, 1, "Top"}, RieCase{false, true, 2, "Bottom"},
                                           RieCase{true, true, 3, "Bottom and Top"}, RieCase{false, false, 0, ""}));

TEST(ModifyProcess, PresetsTheDialogAndKeepsVisibilitiesAndSerial)
{
    Dialog d;
    ProcessData cvd = BatchRunTest::cvdStep(2.5);
    cvd.setParameter(QStringLiteral("Thickness"), 2.5, false); // hidden by the person's file
    d.dialog.setProcessList(Core::Steps::ProcessList() << cvd);
    double shown = -1;
    d.prompts.onExec = [&](QDialog *dialog) {
        QDoubleSpinBox *box = dialog->findChild<QDoubleSpinBox *>(QStringLiteral("dblFilmThickness"));
        shown = box->value();
        box->setValue(4.0);
        return int(QDialog::Accepted);
    };
    d.selectRow(0);
    d.click("btnModify");
    EXPECT_DOUBLE_EQ(shown, 2.5);
    const ProcessData &s = d.dialog.processList().first();
    EXPECT_EQ(s.getSerial(), cvd.getSerial());
    EXPECT_EQ(s.getProcessParameter(QStringLiteral("Thickness")).userType(), int(QMetaType::Double));
    EXPECT_DOUBLE_EQ(s.getProcessParameter(QStringLiteral("Thickness")).toDouble(), 4.0);
    EXPECT_FALSE(s.getParameterVisibility(QStringLiteral("Thickness")));
    EXPECT_TRUE(s.getParameterVisibility(QStringLiteral("Material")));
}

TEST(ModifyProcess, DopingWritesTheChosenMaterialToTheDopedTriple)
{
    Dialog d;
    d.add(QStringLiteral("Doping"));
    const unsigned before = d.dialog.processList().first().getProcessParameter(QStringLiteral("Doped Material_Id")).toUInt();
    unsigned chosen = 0;
    d.prompts.onExec = [&](QDialog *dialog) {
        QComboBox *box = dialog->findChild<QComboBox *>(QStringLiteral("cbxDopedMaterial"));
        box->setCurrentIndex(box->currentIndex() == 0 ? 1 : 0);
        chosen = box->currentData().toUInt();
        return int(QDialog::Accepted);
    };
    d.selectRow(0);
    d.click("btnModify");
    ASSERT_NE(chosen, before);
    const ProcessData &s = d.dialog.processList().first();
    const Model::Materials::Material m = Model::Materials::MaterialFactory::instance()->getMaterial(chosen);
    EXPECT_EQ(s.getProcessParameter(QStringLiteral("Doped Material_Id")).toUInt(), chosen);
    EXPECT_TRUE(s.getParameterVisibility(QStringLiteral("Doped Material_Id")));
    EXPECT_EQ(s.getProcessParameter(QStringLiteral("Doped Material")).toString(), m.getName());
    const QColor color = s.getProcessParameter(QStringLiteral("Doped Material_Color")).value<QColor>();
    const Util::Vector4D expected = m.getColor();
    EXPECT_NEAR(color.redF(), expected.x, 0.5 / 255);
    EXPECT_NEAR(color.greenF(), expected.y, 0.5 / 255);
    EXPECT_NEAR(color.blueF(), expected.z, 0.5 / 255);
    EXPECT_EQ(color.alpha(), 255);
    EXPECT_FALSE(s.hasParameter(QStringLiteral("Material_Id")));
}

TEST(ModifyProcess, SwitchingTheSubstrateToASphereShowsTheSphereParameters)
{
    Dialog d;
    d.add(QStringLiteral("Create Substrate"));
    d.prompts.onExec = [](QDialog *dialog) {
        dialog->findChild<QCheckBox *>(QStringLiteral("cbxSubsSphere"))->setChecked(true);
        return int(QDialog::Accepted);
    };
    d.selectRow(0);
    d.click("btnModify");
    const ProcessData &s = d.dialog.processList().first();
    EXPECT_TRUE(s.getProcessParameter(QStringLiteral("SphericalSubstrate")).toBool());
    EXPECT_TRUE(s.getParameterVisibility(QStringLiteral("Substrate Radius")));
    EXPECT_TRUE(s.getParameterVisibility(QStringLiteral("Substrate Center Z")));
    EXPECT_FALSE(s.getParameterVisibility(QStringLiteral("Substrate Size X")));
    EXPECT_FALSE(s.getParameterVisibility(QStringLiteral("SphericalSubstrate")));
}

TEST(ModifyProcess, CancelLeavesTheStepAsItWas)
{
    Dialog d;
    d.dialog.setProcessList(Core::Steps::ProcessList() << BatchRunTest::cvdStep(2.5));
    d.prompts.onExec = [](QDialog *dialog) {
        dialog->findChild<QDoubleSpinBox *>(QStringLiteral("dblFilmThickness"))->setValue(9.0);
        return int(QDialog::Rejected);
    };
    d.selectRow(0);
    d.click("btnModify");
    EXPECT_DOUBLE_EQ(d.dialog.processList().first().getProcessParameter(QStringLiteral("Thickness")).toDouble(), 2.5);
}

} // namespace

TEST(ModifyProcess, PhotolithographyKeepsTheStoredMaskWhenItsFileIsNotHere)
{
    // A list written elsewhere names a mask file this machine does not have;
    // the step still carries the bits, so changing the resist must not lose them.
    Dialog d;
    ProcessData litho(ProcessData::Photolithography);
    litho.setMaterial(QStringLiteral("Material"), BatchRunTest::materialId(0), QStringLiteral("x"), Qt::red);
    const std::vector<bool> bits{true, false, false, true, true, false};
    litho.setParameter(QStringLiteral("Top Mask"), QVariant::fromValue(bits), false);
    litho.setParameter(QStringLiteral("Top Mask File"), QStringLiteral("elsewhere/mask.png"), true);
    litho.setParameter(QStringLiteral("Top Mask Height"), 2u, true);
    litho.setParameter(QStringLiteral("Top Mask Width"), 3u, true);
    litho.setParameter(QStringLiteral("Bottom Mask"), QVariant::fromValue(std::vector<bool>()), false);
    litho.setParameter(QStringLiteral("Bottom Mask File"), QString(), true);
    litho.setParameter(QStringLiteral("Bottom Mask Height"), 0u, true);
    litho.setParameter(QStringLiteral("Bottom Mask Width"), 0u, true);
    d.dialog.setProcessList(Core::Steps::ProcessList() << litho);
    unsigned chosen = 0;
    d.prompts.onExec = [&](QDialog *dialog) {
        QComboBox *box = dialog->findChild<QComboBox *>();
        box->setCurrentIndex(1);
        chosen = box->currentData().toUInt();
        return int(QDialog::Accepted);
    };
    d.selectRow(0);
    d.click("btnModify");
    EXPECT_TRUE(d.prompts.warnings.isEmpty());
    const ProcessData &s = d.dialog.processList().first();
    EXPECT_EQ(s.getProcessParameter(QStringLiteral("Material_Id")).toUInt(), chosen);
    EXPECT_EQ(s.getProcessParameter(QStringLiteral("Top Mask")).value<std::vector<bool>>(), bits);
    EXPECT_EQ(s.getProcessParameter(QStringLiteral("Top Mask Width")).toUInt(), 3u);

    // A new file name that cannot be read is still refused.
    d.prompts.onExec = [&](QDialog *dialog) {
        dialog->findChild<QLineEdit *>(QStringLiteral("lieTopMask"))->setText(QStringLiteral("gone.png"));
        return int(QDialog::Accepted);
    };
    d.click("btnModify");
    EXPECT_EQ(d.prompts.warnings.size(), 1);
    EXPECT_EQ(d.dialog.processList().first().getProcessParameter(QStringLiteral("Top Mask File")).toString(),
              QStringLiteral("elsewhere/mask.png"));
}

// Cells of each material, for comparing two runs.
std::vector<uint32_t> cellsOf(Model::Automaton::TotalVolume &volume)
{
    Model::Automaton::CellLock lock(volume);
    std::vector<uint32_t> out(size_t(volume.getCellCount()));
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = lock.cells()[i].material;
    return out;
}

// Runs the step on a fresh 6 x 6 x 8 volume of 5 substrate layers.
std::vector<uint32_t> etchedBy(const ProcessData &step)
{
    Core::Steps::ProcessRunContext context;
    EXPECT_EQ(Core::Steps::runProcessStep(BatchRunTest::substrateStep(6, 6, 8, 5), context),
              Core::Steps::StepSucceeded);
    EXPECT_EQ(Core::Steps::runProcessStep(step, context), Core::Steps::StepSucceeded)
        << qPrintable(context.detail);
    return context.volume ? cellsOf(*context.volume) : std::vector<uint32_t>();
}

TEST(ModifyProcess, FractionalEtchDepthGivesTheSameLayersInTheDialogAndTheRun)
{
    Dialog d;
    d.add(QStringLiteral("RIE"));
    ASSERT_EQ(d.dialog.processList().size(), 1);
    ProcessData stored = d.dialog.processList().first();
    stored.setParameterValue(QStringLiteral("Material_Id"), BatchRunTest::materialId(0));
    // A list written by hand or by another tool may hold the depth as a double.
    stored.setParameterValue(QStringLiteral("Etch Depth"), 2.6);
    d.dialog.setProcessList(Core::Steps::ProcessList() << stored);

    int shown = -1;
    d.prompts.onExec = [&](QDialog *dialog) {
        shown = dialog->findChild<QSpinBox *>(QStringLiteral("sbxEtchDepth"))->value();
        return int(QDialog::Accepted);
    };
    d.selectRow(0);
    d.click("btnModify");
    ASSERT_EQ(shown, 2);
    const QVariant fromDialog = d.dialog.processList().first().getProcessParameter(QStringLiteral("Etch Depth"));
    ASSERT_EQ(fromDialog.toUInt(), 2u);

    // The stored step and the step with the depth the dialog took etch alike.
    ProcessData viaDialog = stored;
    viaDialog.setParameterValue(QStringLiteral("Etch Depth"), fromDialog);
    const std::vector<uint32_t> byStored = etchedBy(stored);
    EXPECT_EQ(byStored, etchedBy(viaDialog));
    // Two of the five substrate layers are gone.
    const size_t substrate = size_t(std::count(byStored.begin(), byStored.end(), BatchRunTest::materialId(0)));
    EXPECT_EQ(substrate, size_t(6 * 6 * 3));
}
