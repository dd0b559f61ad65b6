#include "Core/Operations/stepoperations.h"
#include "Core/Operations/workspace.h"
#include "UI/Observers/stepobservers.h"
#include "UI/Operations/stepdialogs.h"
#include "wetetchtestsupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

using namespace Core::Operations;
using Ui::Operations::BCAEtchingDialog;

namespace {

// Answers the next modal dialog: a depth and OK, or Cancel.
void answerNextDialog(double depth, bool accept)
{
    QTimer::singleShot(0, [depth, accept]() {
        Ui::Operations::StepOptionsDialog *dialog =
            qobject_cast<Ui::Operations::StepOptionsDialog *>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        dialog->findChild<QDoubleSpinBox *>(QStringLiteral("dblEtchDepth"))->setValue(depth);
        if (accept)
            dialog->accept();
        else
            dialog->reject();
    });
}

} // namespace

TEST(BCAEtchingDialog, DepthFieldAndExplanation)
{
    BCAEtchingDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Wet Etching Options"));
    QDoubleSpinBox *depth = dialog.findChild<QDoubleSpinBox *>(QStringLiteral("dblEtchDepth"));
    ASSERT_TRUE(depth);
    EXPECT_EQ(depth->suffix(), QStringLiteral(" units"));
    EXPECT_EQ(depth->decimals(), 4);
    EXPECT_DOUBLE_EQ(depth->minimum(), 0.0);
    EXPECT_DOUBLE_EQ(depth->maximum(), 1e9);
    EXPECT_DOUBLE_EQ(depth->singleStep(), 0.353552);
    EXPECT_DOUBLE_EQ(depth->value(), 10.0);
    QLabel *label = dialog.findChild<QLabel *>(QStringLiteral("lblEtchDepth"));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), QStringLiteral("Etch Depth"));
    QLabel *explanation = dialog.findChild<QLabel *>(QStringLiteral("lblExplanation"));
    ASSERT_TRUE(explanation);
    EXPECT_EQ(explanation->text(), QStringLiteral("Set the depth of the etching. This is how far down the (100) plane "
                                                  "on the surface will be etched."));
    dialog.fillFrom({{QStringLiteral("Depth"), 2.5}});
    EXPECT_DOUBLE_EQ(dialog.values().value(QStringLiteral("Depth")).toDouble(), 2.5);
}

TEST(BCAEtchingDialog, AcceptedDepthReachesTheOperationThroughEitherObserver)
{
    Workspace ws;
    const auto volume = WetEtchTest::makeVolume(10, 10, 6, WetEtchTest::flatTop(4));
    ws.document().addObject(volume);

    boost::shared_ptr<AtomisticSiWetEtchingOperation> bca(new AtomisticSiWetEtchingOperation(&ws));
    bca->setDialogObserver(boost::shared_ptr<Util::IObserver>(new Ui::Observers::AtomicSiBCAEtchObserver(bca, nullptr)));
    answerNextDialog(0.75, true);
    ws.startOperation(bca);
    EXPECT_DOUBLE_EQ(bca->step().getParameters().value(QStringLiteral("Depth")).toDouble(), 0.75);
    EXPECT_EQ(ws.console().lastMessage(), QStringLiteral("BCA Wet Etch: Operation finished."));

    boost::shared_ptr<ContinousWetEtchOperation> cca(new ContinousWetEtchOperation(&ws));
    cca->setDialogObserver(boost::shared_ptr<Util::IObserver>(new Ui::Observers::CCAWetEtchingObserver(cca, nullptr)));
    answerNextDialog(3.0, false);
    ws.startOperation(cca);
    EXPECT_FALSE(cca->valuesGiven());
    EXPECT_EQ(ws.console().lastMessage(), QStringLiteral("Continuous Wet Etch: Operation canceled."));
}
