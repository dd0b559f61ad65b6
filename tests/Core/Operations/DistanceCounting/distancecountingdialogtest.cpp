#include "distancecountingtestsupport.h"

#include "Core/Operations/DistanceCounting/simplesioxidation.h"
#include "Core/Operations/workspace.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "UI/Observers/stepobservers.h"
#include "UI/Operations/stepdialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <functional>

using namespace Core::Operations;
using namespace DistanceCountingTest;
using namespace Ui::Operations;
using Model::Automaton::TotalVolume;

namespace {

class DialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Model::Materials::MaterialFactory::instance()->setDefaultMaterials();
        Model::Process::ProcessFactory::instance()->setDefaultProcesses();
    }
};

QList<unsigned> itemIds(QWidget *dialog, const char *name)
{
    QList<unsigned> ids;
    const QComboBox *box = dialog->findChild<QComboBox *>(QString::fromLatin1(name));
    EXPECT_TRUE(box) << name;
    for (int i = 0; box && i < box->count(); ++i)
        ids.append(box->itemData(i).toUInt());
    return ids;
}

QList<unsigned> range(unsigned first, unsigned last, QList<unsigned> ids = QList<unsigned>())
{
    for (unsigned id = first; id <= last; ++id)
        ids.append(id);
    return ids;
}

double spinValue(QWidget *dialog, const char *name)
{
    const QDoubleSpinBox *box = dialog->findChild<QDoubleSpinBox *>(QString::fromLatin1(name));
    EXPECT_TRUE(box) << name;
    return box ? box->value() : -1;
}

// Runs action on the modal dialog the observer opens, then presses OK or Cancel.
void whenDialogOpens(std::function<void(QDialog *)> action, bool ok)
{
    QTimer *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, action, ok]() {
        QDialog *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        action(dialog);
        QDialogButtonBox *buttons = dialog->findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        buttons->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
    });
    timer->start();
}

} // namespace

TEST_F(DialogTest, FormsCarryTheirNamesTitlesSizesDefaultsAndMaterialLists)
{
    struct Row
    {
        std::function<QDialog *()> make;
        const char *form;
        const char *title;
        QSize size;
        const char *combo;
        QList<unsigned> materials;
        std::vector<std::pair<const char *, double>> defaults;
    };
    const QList<unsigned> siThenThreeTo16 = range(3, 16, {1});
    const Row rows[] = {
        {[] { return new IsotropicDepositionDialog(false); }, "IsotropicDepositionForm", "Isotropic Film Deposition",
         QSize(279, 150), "cbxMaterial", siThenThreeTo16, {{"dblFilmThickness", 10}}},
        {[] { return new IsotropicDepositionDialog(true); }, "IsotropicDepositionForm", "Isotropic Film Deposition",
         QSize(279, 150), "cbxMaterial", {3, 16}, {{"dblFilmThickness", 10}}},
        {[] { return new IsotropicEtchingDialog; }, "IsotropicEtchingForm", "Isotropic Film Etching", QSize(279, 150),
         "cbxMaterial", range(3, 13, {1}), {{"dblEtchDepth", 10}}},
        {[] { return new AnisotropicDepositionDialog; }, "AnisotropicDepositionBaseDialog", "PVD Options",
         QSize(320, 300), "cbxMaterial", siThenThreeTo16, {{"dblFilmThickness", 10}, {"dblHorizontalRatio", 0.5}}},
        {[] { return new AnisotropicEtchingDialog; }, "AnisotropicEtchingBaseDialog", "Dialog", QSize(300, 300),
         "cbxMaterial", siThenThreeTo16, {{"dblEtchDepth", 10}, {"dblHorizontalRatio", 0.5}}},
        {[] { return new PVDOptionsDialog; }, "PVDOptionsBaseDialog", "Dialog", QSize(299, 390), "cbxMaterial",
         range(4, 10), {{"dblFilmThickness", 10}, {"dblHorizontalRatio", 0.5}}},
        {[] { return new DopingOptionsDialog; }, "DopingOptionsBaseDialog", "Doping Options", QSize(400, 239),
         "cbxDopedMaterial", {1, 14, 15, 16}, {{"dblDopingDepth", 10}}},
        {[] { return new IonImplantationOptionsDialog; }, "IonImplantationOptionsBaseDialog",
         "Ion Implantation Options", QSize(268, 297), "cbxDopedMaterial", {1, 14, 15, 16},
         {{"dblImplantationDepth", 50}, {"dblVerticalSpread", 20}, {"dblAnnealingDistance", 10}}},
    };
    for (const Row &row : rows) {
        QScopedPointer<QDialog> dialog(row.make());
        EXPECT_EQ(dialog->objectName(), QLatin1String(row.form));
        EXPECT_EQ(dialog->windowTitle(), QLatin1String(row.title)) << row.form;
        EXPECT_EQ(dialog->size(), row.size) << row.form;
        EXPECT_EQ(itemIds(dialog.data(), row.combo), row.materials) << row.form;
        for (const auto &d : row.defaults)
            EXPECT_DOUBLE_EQ(spinValue(dialog.data(), d.first), d.second) << row.form << " " << d.first;
    }

    ElectrodepositionDialog plating;
    EXPECT_EQ(plating.objectName(), QStringLiteral("ElectrodepositionForm"));
    EXPECT_EQ(plating.windowTitle(), QStringLiteral("Electroplating Options"));
    EXPECT_EQ(plating.size(), QSize(330, 186));
    EXPECT_TRUE(itemIds(&plating, "cbxMaterial").contains(17u));
    EXPECT_EQ(itemIds(&plating, "cbxMaterial"), itemIds(&plating, "cbxConductingMaterial"));

    SimpleOxidationOptionsDialog oxidation;
    EXPECT_EQ(oxidation.objectName(), QStringLiteral("SimpleOxidationOptionsBaseDialog"));
    EXPECT_EQ(oxidation.windowTitle(), QStringLiteral("Si Oxidation Options"));
    EXPECT_EQ(oxidation.size(), QSize(400, 470));
    EXPECT_DOUBLE_EQ(spinValue(&oxidation, "dblOxideThickness"), 10);
    EXPECT_DOUBLE_EQ(spinValue(&oxidation, "dblTemperature"), 1273);
    EXPECT_DOUBLE_EQ(spinValue(&oxidation, "dblMicronConversion"), 100);
    // Dry oxygen on a (100) wafer unless chosen otherwise.
    for (const char *name : {"radDry", "radWet", "radOrientation100", "radOrientation110", "radOrientation111"}) {
        const QRadioButton *button = oxidation.findChild<QRadioButton *>(QLatin1String(name));
        ASSERT_TRUE(button) << name;
        EXPECT_EQ(button->isChecked(), QLatin1String(name) == QLatin1String("radDry") ||
                                           QLatin1String(name) == QLatin1String("radOrientation100"))
            << name;
    }
}

TEST_F(DialogTest, StoredStepsSelectByIdThenByNameAndPickTheOptions)
{
    IsotropicEtchingDialog etching;
    etching.fillFrom({{QStringLiteral("Depth"), 3.5}, {QStringLiteral("Material_Id"), 5u},
                      {QStringLiteral("Material"), QStringLiteral("no such name")}});
    EXPECT_EQ(etching.values().value(QStringLiteral("Material")).toUInt(), 5u);
    EXPECT_DOUBLE_EQ(etching.values().value(QStringLiteral("Depth")).toDouble(), 3.5);
    const QString name8 = Model::Materials::MaterialFactory::instance()->getMaterial(8).getName();
    etching.fillFrom({{QStringLiteral("Material"), name8}});
    EXPECT_EQ(etching.values().value(QStringLiteral("Material")).toUInt(), 8u);

    PVDOptionsDialog pvd;
    pvd.fillFrom({{QStringLiteral("DepositOn"), 2}, {QStringLiteral("Deposit On"), QStringLiteral("Deposit on bottom")}});
    EXPECT_EQ(pvd.values().value(QStringLiteral("DepositOn")).toInt(), 2);
    pvd.fillFrom({{QStringLiteral("DepositOn"), 3}});
    EXPECT_EQ(pvd.values().value(QStringLiteral("DepositOn")).toInt(), 2); // without "Deposit On" the choice stays

    SimpleOxidationOptionsDialog oxidation;
    QDoubleSpinBox *thickness = oxidation.findChild<QDoubleSpinBox *>(QStringLiteral("dblOxideThickness"));
    QDoubleSpinBox *time = oxidation.findChild<QDoubleSpinBox *>(QStringLiteral("dblTime"));
    EXPECT_TRUE(thickness->isEnabled());
    EXPECT_FALSE(time->isEnabled());
    oxidation.fillFrom({{QStringLiteral("OxidationTimeSet"), true}, {QStringLiteral("OxidationThicknessSet"), false}});
    EXPECT_TRUE(oxidation.values().value(QStringLiteral("OxidationTimeSet")).toBool());
    EXPECT_FALSE(thickness->isEnabled());
    EXPECT_TRUE(time->isEnabled());
}

TEST_F(DialogTest, ObserverPassesTheValuesOnOkAndNothingOnCancel)
{
    for (bool ok : {true, false}) {
        Workspace workspace;
        const boost::shared_ptr<TotalVolume> volume = makeVolume(4, 4, 6, [](unsigned, unsigned, unsigned z) {
            return z < 2 ? 1u : 0u;
        });
        workspace.document().addObject(volume);
        const boost::shared_ptr<IsotropicFilmDepositionOperation> op(
            new IsotropicFilmDepositionOperation(&workspace, IsotropicFilmDepositionOperation::CvdFactoryNumber));
        op->setDialogObserver(boost::shared_ptr<Util::IObserver>(
            new Ui::Observers::IsotropicFilmDepositionObserver(op, nullptr)));
        whenDialogOpens(
            [](QDialog *dialog) {
                dialog->findChild<QDoubleSpinBox *>(QStringLiteral("dblFilmThickness"))->setValue(1);
                QComboBox *material = dialog->findChild<QComboBox *>(QStringLiteral("cbxMaterial"));
                material->setCurrentIndex(material->findData(16u));
            },
            ok);
        workspace.startOperation(op);
        if (ok) {
            EXPECT_EQ(workspace.console().lastMessage(), QStringLiteral("CVD: Operation finished."));
            EXPECT_EQ(materialAt(*volume, 1, 1, 2), 16u);
            EXPECT_EQ(materialAt(*volume, 1, 1, 3), 0u);
        } else {
            EXPECT_EQ(workspace.console().lastMessage(), QStringLiteral("CVD: Operation canceled."));
            EXPECT_EQ(materialAt(*volume, 1, 1, 2), 0u);
        }
    }
}

TEST_F(DialogTest, OxidationObserverHandsOverOnlyTheChosenOption)
{
    Workspace workspace;
    const boost::shared_ptr<TotalVolume> volume = makeVolume(3, 3, 8, [](unsigned, unsigned, unsigned z) {
        return z < 3 ? 1u : 0u;
    });
    workspace.document().addObject(volume);
    const boost::shared_ptr<SimpleSiOxidationOperation> op(new SimpleSiOxidationOperation(&workspace));
    op->setDialogObserver(boost::shared_ptr<Util::IObserver>(new Ui::Observers::SiOxidationObserver(op, nullptr)));
    whenDialogOpens(
        [](QDialog *dialog) {
            dialog->findChild<QRadioButton *>(QStringLiteral("radOxidationTime"))->setChecked(true);
            dialog->findChild<QDoubleSpinBox *>(QStringLiteral("dblMicronConversion"))->setValue(50);
        },
        true);
    workspace.startOperation(op);
    EXPECT_EQ(workspace.console().lastMessage(), QStringLiteral("Simple Si Oxidation: Operation finished."));
    // Dry (100): 0.0857 µm at 50 cells per micron is 4.3 cells: 2.4 outward (one empty layer), 1.9 inward (two layers).
    EXPECT_EQ(materialAt(*volume, 1, 1, 4), 0u);
    EXPECT_EQ(materialAt(*volume, 1, 1, 3), 3u);
    EXPECT_EQ(materialAt(*volume, 1, 1, 2), 3u);
    EXPECT_EQ(materialAt(*volume, 1, 1, 1), 3u);
    EXPECT_EQ(materialAt(*volume, 1, 1, 0), 1u);
}

TEST_F(DialogTest, EveryObserverOpensItsDialogAndLeavesAGoneOperationAlone)
{
    Workspace workspace;
    struct Row
    {
        const char *form;
        std::function<boost::shared_ptr<Util::IObserver>(boost::shared_ptr<ProcessOperation> &)> make;
    };
    using namespace Ui::Observers;
#define OBSERVER_ROW(Form, Observer, Op)                                                                               \
    Row                                                                                                                \
    {                                                                                                                  \
        Form, [&workspace](boost::shared_ptr<ProcessOperation> &keep) {                                               \
            boost::shared_ptr<Op> op(new Op(&workspace));                                                              \
            keep = op;                                                                                                 \
            return boost::shared_ptr<Util::IObserver>(new Observer(op, nullptr));                                      \
        }                                                                                                              \
    }
    const Row rows[] = {
        OBSERVER_ROW("IsotropicEtchingForm", IsotropicFilmEtchingObserver, IsotropicFilmEtchingOperation),
        OBSERVER_ROW("AnisotropicDepositionBaseDialog", AnisotropicDepositionObserver, AnisotropicFilmDepositionOperation),
        OBSERVER_ROW("AnisotropicEtchingBaseDialog", AnisotropicEtchingObserver, AnisotropicFilmEtchingOperation),
        OBSERVER_ROW("PVDOptionsBaseDialog", PVDObserver, SimplePhysicalVaporDepositionOperation),
        OBSERVER_ROW("ElectrodepositionForm", ElectrodepositionObserver, ElectrodepositionOperation),
        OBSERVER_ROW("DopingOptionsBaseDialog", DopingOptionsObserver, DopingOperation),
        OBSERVER_ROW("IonImplantationOptionsBaseDialog", IonImplantationOptionsObserver, IonImplantationOperation),
        OBSERVER_ROW("SimpleOxidationOptionsBaseDialog", SiOxidationObserver, SimpleSiOxidationOperation),
    };
#undef OBSERVER_ROW
    for (const Row &row : rows) {
        boost::shared_ptr<ProcessOperation> op;
        const boost::shared_ptr<Util::IObserver> observer = row.make(op);
        QString opened;
        whenDialogOpens([&opened](QDialog *dialog) { opened = dialog->objectName(); }, false);
        observer->notify();
        EXPECT_EQ(opened, QLatin1String(row.form));
        op.reset();
        observer->notify(); // the operation is gone: no dialog, no crash
    }
}
