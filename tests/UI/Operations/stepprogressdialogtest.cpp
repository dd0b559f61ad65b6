#include "Core/Operations/stepoperations.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/mainwindow.h"
#include "UI/mainwindowpresenter.h"
#include "UI/stepprogressdialog.h"
#include "volumetestsupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QProgressDialog>
#include <QStatusBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using Core::Operations::RandomWalkDopingOperation;
using Core::Operations::Workspace;
using Model::Automaton::TotalVolume;
using TestSupport::materialsOf;

namespace {

QProgressDialog *visibleProgressDialog()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (QProgressDialog *dialog = qobject_cast<QProgressDialog *>(widget))
            if (dialog->isVisible())
                return dialog;
    return nullptr;
}

// Watches for the progress dialog while a step runs and, when told to, cancels it.
struct DialogWatch
{
    enum Action { Watch, ClickCancel, PressEscape };
    explicit DialogWatch(Action what) : action(what)
    {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [this]() {
            QProgressDialog *dialog = visibleProgressDialog();
            if (!dialog) {
                // Before the dialog shows, closing the window must not take the running step's volume away.
                if (window && !triedClose) {
                    triedClose = true;
                    closeRefused = !window->close() && window->isVisible();
                }
                return;
            }
            seen = true;
            modal = modal || dialog->windowModality() == Qt::ApplicationModal;
            if (acted)
                return;
            acted = action != Watch;
            if (action == ClickCancel) {
                QPushButton *cancel = dialog->findChild<QPushButton *>();
                ASSERT_TRUE(cancel);
                QTest::mouseClick(cancel, Qt::LeftButton);
            } else if (action == PressEscape) {
                QTest::keyClick(dialog, Qt::Key_Escape);
            }
        });
        timer.start();
    }
    Action action;
    QWidget *window = nullptr; // tried to close once while the step runs
    QTimer timer;
    bool seen = false, modal = false, acted = false, triedClose = false, closeRefused = false;
};

struct Scene
{
    Ui::MainWindow window;
    boost::shared_ptr<TotalVolume> volume;
    boost::shared_ptr<TestSupport::FakeDialog> options{new TestSupport::FakeDialog};

    Scene()
    {
        window.resize(640, 480);
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        volume = TestSupport::makeVolume(24, 24, 44, [](unsigned, unsigned, unsigned z) { return z < 40 ? 1u : 0u; });
        workspace().document().addObject(volume);
    }
    Workspace &workspace() { return window.presenter().workspace(); }
    // A random walk of `steps` time steps.
    void dope(double steps)
    {
        boost::shared_ptr<RandomWalkDopingOperation> op(new RandomWalkDopingOperation(&workspace()));
        RandomWalkDopingOperation *raw = op.get();
        options->accept = [raw, steps]() {
            raw->setValues({{"Cell Size", 1e-6},
                            {"Diffusion Coefficient", 1e-13},
                            {"Material", 15u},
                            {"Surface Concentration", 500e18},
                            {"Doping Threshold", 100e18},
                            {"Time Step Duration", 0.8},
                            {"Doping Time", 0.8 * steps},
                            {"Seed", 4u}});
        };
        op->setDialogObserver(options);
        workspace().startOperation(op);
    }
};

} // namespace

// A step of minutes: after about a second the modal progress dialog shows, and
// its Cancel (or Escape) ends the walk and puts the cells back as undo would.
TEST(StepProgressDialog, CancelEndsALongStepAndPutsTheCellsBack)
{
    for (const DialogWatch::Action action : {DialogWatch::ClickCancel, DialogWatch::PressEscape}) {
        Scene scene;
        const std::vector<uint32_t> before = materialsOf(*scene.volume);
        DialogWatch watch(action);
        watch.window = &scene.window;
        scene.dope(5e6);
        EXPECT_TRUE(watch.seen && watch.modal && watch.acted) << action;
        EXPECT_TRUE(watch.triedClose && watch.closeRefused) << action;
        EXPECT_EQ(materialsOf(*scene.volume), before) << action;
        EXPECT_EQ(scene.workspace().console().lastMessage(), QStringLiteral("Random Walk Doping: Operation canceled."));
        EXPECT_EQ(scene.workspace().history().undoName(), QString());
        EXPECT_FALSE(scene.workspace().currentOperation());
        EXPECT_FALSE(visibleProgressDialog());
    }
}

TEST(StepProgressDialog, AQuickStepShowsNoDialogAndIsRecorded)
{
    Scene scene;
    DialogWatch watch(DialogWatch::Watch);
    scene.dope(6);
    EXPECT_FALSE(watch.seen);
    EXPECT_EQ(materialsOf(*scene.volume)[scene.volume->cellIndex(0, 0, 39)], 15u);
    EXPECT_EQ(scene.workspace().history().undoName(), QStringLiteral("Random Walk Doping"));
}

// While a step runs the status bar names it with its time so far beside a busy
// bar, and afterwards says how it ended; the progress dialog is wide enough
// for its title, the step's name.
TEST(StepProgressDialog, StatusBarShowsTheRunningStepAndHowItEnded)
{
    Scene scene;
    QLabel *label = scene.window.statusBar()->findChild<QLabel *>(QStringLiteral("lblStepStatus"));
    QProgressBar *busy = scene.window.statusBar()->findChild<QProgressBar *>(QStringLiteral("prgStepStatus"));
    ASSERT_TRUE(label && busy);
    EXPECT_FALSE(busy->isVisible());

    QStringList seenTexts;
    bool busyShown = false, titleFits = false, runningSeen = false, cancelled = false;
    DialogWatch watch(DialogWatch::Watch);
    QTimer look;
    look.setInterval(20);
    QObject::connect(&look, &QTimer::timeout, [&]() {
        if (!label->text().isEmpty() && !seenTexts.contains(label->text()))
            seenTexts << label->text();
        busyShown = busyShown || busy->isVisible();
        runningSeen = runningSeen || Ui::StepProgressDialog::isRunning();
        QProgressDialog *dialog = visibleProgressDialog();
        if (!dialog || cancelled)
            return;
        titleFits = dialog->width() >= Ui::StepProgressDialog::widthForTitle(*dialog, dialog->windowTitle()) &&
                    dialog->windowTitle() == QStringLiteral("Random Walk Doping");
        // Seen all there is to see while it runs: stop it.
        cancelled = true;
        QTest::mouseClick(dialog->findChild<QPushButton *>(), Qt::LeftButton);
    });
    look.start();
    scene.dope(5e6);
    look.stop();
    EXPECT_TRUE(watch.seen);
    EXPECT_TRUE(busyShown);
    EXPECT_TRUE(runningSeen);
    EXPECT_TRUE(titleFits);
    EXPECT_FALSE(Ui::StepProgressDialog::isRunning());
    EXPECT_FALSE(busy->isVisible());
    ASSERT_FALSE(seenTexts.isEmpty());
    EXPECT_TRUE(seenTexts.first().startsWith(QStringLiteral("Random Walk Doping running: "))) << seenTexts.first().toStdString();
    EXPECT_TRUE(seenTexts.first().endsWith(QStringLiteral(" s")));
    EXPECT_TRUE(label->text().startsWith(QStringLiteral("Random Walk Doping stopped after "))) << label->text().toStdString();

    // A quick step that finishes says how long it took.
    scene.dope(6);
    EXPECT_TRUE(label->text().startsWith(QStringLiteral("Random Walk Doping took "))) << label->text().toStdString();
    EXPECT_TRUE(label->text().endsWith(QStringLiteral(" s")));
}

// A long title is not cut: the dialog is as wide as its title needs.
TEST(StepProgressDialog, WidthForATitleGrowsWithTheTitle)
{
    QWidget widget;
    const int shortWidth = Ui::StepProgressDialog::widthForTitle(widget, QStringLiteral("CVD"));
    const int longWidth = Ui::StepProgressDialog::widthForTitle(widget, QStringLiteral("Isotropic Deposition"));
    EXPECT_GT(longWidth, shortWidth);
    QFont bold = widget.font();
    bold.setBold(true);
    EXPECT_GE(longWidth, QFontMetrics(bold).horizontalAdvance(QStringLiteral("Isotropic Deposition")) + 100);
}
