#include "Core/Operations/CutGlue/substrategluer.h"
#include "UI/Operations/cutcellvolumedialog.h"
#include "UI/Operations/exportdatadialog.h"
#include "UI/Operations/gluesubstratedialog.h"
#include "UI/Operations/randomwalkdopingdialog.h"
#include "UI/mainwindow.h"
#include "UI/mainwindowpresenter.h"
#include "UI/operationfactory.h"
#include "Core/Operations/operation.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

using namespace Ui::Operations;
using Model::Geometry::DrawRange;

namespace {

template <class W>
W *child(QWidget &dialog, const char *name)
{
    W *w = dialog.findChild<W *>(QString::fromLatin1(name));
    EXPECT_TRUE(w) << name;
    return w;
}

void retype(QLineEdit *line, const QString &text)
{
    line->selectAll();
    QTest::keyClicks(line, text);
    QMetaObject::invokeMethod(line, "editingFinished");
}

} // namespace

TEST(RandomWalkDopingDialog, DefaultsConvertToSiUnits)
{
    RandomWalkDopingDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Random Walk Doping Options"));
    EXPECT_EQ(child<QLineEdit>(dialog, "lineTimeStepDuration")->text(), QStringLiteral("320.513"));
    EXPECT_DOUBLE_EQ(dialog.dopingTime(), 3600.0);
    EXPECT_DOUBLE_EQ(dialog.diffusionCoefficient(), 2.6e-18);
    EXPECT_DOUBLE_EQ(dialog.cellSize(), 1e-7);
    EXPECT_DOUBLE_EQ(dialog.surfaceConcentration(), 1e-9);
    EXPECT_DOUBLE_EQ(dialog.thresholdConcentration(), 1e-10);
    EXPECT_EQ(dialog.surface(), 0); // a source at the surface concentration
    EXPECT_TRUE(dialog.validationError().isEmpty());
}

TEST(RandomWalkDopingDialog, CoupledFieldsKeepHalfTheStableStep)
{
    RandomWalkDopingDialog dialog;
    QLineEdit *d = child<QLineEdit>(dialog, "lineDiffusionCoefficient");
    QLineEdit *dt = child<QLineEdit>(dialog, "lineTimeStepDuration");
    retype(d, QStringLiteral("1e-13"));
    // 0.5 * (0.1e-6)^2 / (6 * 1e-13 * 1e-4)
    EXPECT_EQ(dt->text(), QString::number(0.5 * 1e-14 / 6e-17));
    retype(dt, QStringLiteral("100"));
    EXPECT_EQ(d->text(), QString::number(0.5 * 1e-14 * 1e4 / 600.0));
    // A step beyond the stable bound is refused before it reaches the operation.
    dt->setText(QStringLiteral("1000"));
    EXPECT_FALSE(dialog.validationError().isEmpty());
}

TEST(RandomWalkDopingDialog, FillsFromAStoredStep)
{
    RandomWalkDopingDialog dialog;
    QVariantMap stored;
    stored.insert(QStringLiteral("Diffusion Coefficient"), 3e-18);
    stored.insert(QStringLiteral("Cell Size"), 2e-7);
    stored.insert(QStringLiteral("Surface Concentration"), 5e25);
    stored.insert(QStringLiteral("Doping Threshold"), 1e25);
    stored.insert(QStringLiteral("Doping Time"), 120.0);
    stored.insert(QStringLiteral("Surface"), 1);
    dialog.fillFrom(stored);
    EXPECT_EQ(child<QComboBox>(dialog, "cbxSurface")->currentText(), QStringLiteral("Sealed (no flux through the surface)"));
    EXPECT_EQ(dialog.values().value(QStringLiteral("Surface")).toInt(), 1);
    EXPECT_DOUBLE_EQ(dialog.diffusionCoefficient(), 3e-18);
    EXPECT_DOUBLE_EQ(dialog.cellSize(), 2e-7);
    EXPECT_DOUBLE_EQ(dialog.dopingTime(), 120.0);
    EXPECT_NEAR(child<QDoubleSpinBox>(dialog, "dblThresholdRatio")->value(), 20.0, 1e-9);
}

TEST(CutCellVolumeDialog, LowerPushesUpperResetAndPreview)
{
    std::vector<DrawRange> shown;
    DrawRange start;
    start.x1 = 10;
    start.y1 = 8;
    start.z1 = 6;
    CutCellVolumeDialog dialog(10, 8, 6, start, [&shown](const DrawRange &r) { shown.push_back(r); });
    QSpinBox *xLower = child<QSpinBox>(dialog, "sbxXLowerLimit");
    QSpinBox *xUpper = child<QSpinBox>(dialog, "sbxXUpperLimit");
    QSlider *xUpperSlider = child<QSlider>(dialog, "sldXUpperLimit");
    xUpper->setValue(4);
    EXPECT_EQ(xUpperSlider->value(), 4);
    xLower->setValue(6);
    EXPECT_EQ(dialog.limits().x0, 6u);
    EXPECT_EQ(dialog.limits().x1, 7u);
    EXPECT_TRUE(shown.empty()); // no preview until asked for
    child<QCheckBox>(dialog, "chkPreview")->setChecked(true);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().x0, 6u);
    QTest::mouseClick(child<QPushButton>(dialog, "btnReset"), Qt::LeftButton);
    EXPECT_EQ(dialog.limits(), start);
    EXPECT_EQ(shown.back(), start);
    EXPECT_TRUE(dialog.previewed());
}

TEST(GlueSubstrateDialog, LimitsComeFromTheDefaults)
{
    GlueSubstrateDialog dialog;
    Core::Operations::SubstrateGluer::Layout l;
    l.sizeX = 40;
    l.sizeY = 30;
    l.sizeZ = 15;
    l.maxDisplacementX = 8;
    l.maxDisplacementY = 0;
    dialog.setDefaults(l);
    EXPECT_FALSE(child<QSpinBox>(dialog, "sbxSizeX")->isEnabled());
    EXPECT_EQ(child<QSpinBox>(dialog, "sbxSizeZ")->minimum(), 15);
    QSpinBox *dx = child<QSpinBox>(dialog, "sbxDisplacementX");
    dx->setValue(50);
    EXPECT_EQ(dx->value(), 8);
    EXPECT_EQ(child<QSpinBox>(dialog, "sbxDisplacementY")->maximum(), 0);
}

TEST(ExportDataDialog, ProposesTheLastFolder)
{
    {
        ExportDataDialog first(QStringList{QStringLiteral("Random Walk Particle Count Type N")});
        EXPECT_EQ(child<QLineEdit>(first, "lineEdit")->text(),
                  QDir::homePath() + QDir::separator() + QStringLiteral("output.csv"));
        const QString elsewhere = QDir::current().absoluteFilePath(QStringLiteral("runs/a.csv"));
        child<QLineEdit>(first, "lineEdit")->setText(elsewhere);
        first.accept();
        EXPECT_EQ(first.fieldName(), QStringLiteral("Random Walk Particle Count Type N"));
    }
    ExportDataDialog second{QStringList()};
    EXPECT_EQ(child<QLineEdit>(second, "lineEdit")->text(),
              QDir::current().absoluteFilePath(QStringLiteral("runs")) + QDir::separator() + QStringLiteral("output.csv"));
    EXPECT_EQ(child<QComboBox>(second, "comboBox")->count(), 0);
}

TEST(CutGlueDopingExportRegistration, FactoryBuildsTheFiveOperations)
{
    Ui::MainWindow window;
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    Ui::OperationFactory factory(&window.presenter());
    const struct
    {
        int number;
        const char *name;
        int typeNumber;
    } table[] = {{8, "Extract Film", 8},
                 {12, "Glue Volumes", 12},
                 {16, "Change Cut Planes", 2},
                 {36, "Random Walk Doping", 36},
                 {37, "Export Data", 37}};
    for (const auto &e : table) {
        const boost::shared_ptr<Core::Operations::Operation> op = factory.create(e.number);
        ASSERT_TRUE(op) << e.number;
        EXPECT_EQ(op->getName(), QLatin1String(e.name));
        EXPECT_EQ(op->getTypeNumber(), e.typeNumber);
    }
}
