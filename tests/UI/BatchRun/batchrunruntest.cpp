#include "batchruntestsupport.h"

#include "Core/Operations/BatchRun/processlistfile.h"
#include "Core/Operations/ObjectEditing/selectvolumesoperation.h"
#include "Core/Operations/ioperationfactory.h"
#include "Core/Operations/workspace.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/BatchRun/runprocessesdialog.h"
#include "UI/glwidget.h"
#include "UI/mainwindow.h"
#include "UI/mainwindowpresenter.h"
#include "Util/vector3d.h"

#include "UI/uitestsupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QTreeWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>

using BatchRunTest::ScriptedPrompts;
using Model::Automaton::TotalVolume;
using Core::Steps::ProcessData;
using Core::Steps::ProcessList;
using Ui::RunProcessesDialog;

namespace {

const QString MissingText = QStringLiteral("No cell volume was selected and a cell volume was not created. The cell "
                                           "volume must be created before any other process.");

struct Dialog
{
    Core::Operations::Workspace workspace;
    ScriptedPrompts prompts;
    RunProcessesDialog dialog{&workspace, nullptr, boost::shared_ptr<TotalVolume>(), nullptr, &prompts};

    QProgressBar *progress() const { return dialog.findChild<QProgressBar *>(QStringLiteral("progressBar")); }
    void click(const char *name)
    {
        QPushButton *b = dialog.findChild<QPushButton *>(QLatin1String(name));
        ASSERT_TRUE(b) << name;
        b->click();
    }
    // Runs and waits until the finished run has been shown.
    void run()
    {
        QSignalSpy finished(&dialog, SIGNAL(runFinished()));
        click("btnRun");
        ASSERT_TRUE(finished.wait(60000) || finished.count() > 0);
    }
    int objectCount() { return workspace.document().getObjects().size(); }
};

unsigned countMaterial(TotalVolume &volume, unsigned material)
{
    Model::Automaton::CellLock lock(volume);
    unsigned n = 0;
    for (uint64_t i = 0; i < volume.getCellCount(); ++i)
        n += lock.cells()[i].material == material;
    return n;
}

TEST(BatchRun, SubstrateThenCvdCreatesOneVolumeAndDepositsTheFilm)
{
    Dialog d;
    d.dialog.setProcessList(ProcessList() << BatchRunTest::substrateStep(8, 8, 8, 3) << BatchRunTest::cvdStep(2.0));
    d.run();
    EXPECT_EQ(d.progress()->maximum(), 2);
    EXPECT_EQ(d.progress()->value(), 2);
    EXPECT_TRUE(d.progress()->isEnabled());
    EXPECT_EQ(d.dialog.completedSteps(), 2);
    ASSERT_EQ(d.objectCount(), 1);
    const boost::shared_ptr<TotalVolume> volume = d.dialog.currentVolume();
    ASSERT_TRUE(volume);
    EXPECT_EQ(d.workspace.document().getObjects().first(), volume);
    EXPECT_EQ(volume->getSizeZ(), 8u);
    EXPECT_EQ(countMaterial(*volume, BatchRunTest::materialId(0)), 8u * 8u * 3u);
    EXPECT_GT(countMaterial(*volume, BatchRunTest::materialId(1)), 0u);
    EXPECT_TRUE(d.prompts.criticals.isEmpty());
    EXPECT_FALSE(d.dialog.isRunning());
}

TEST(BatchRun, ListWithoutSubstrateRunsNothingAndReportsTheMissingVolume)
{
    Dialog d;
    d.dialog.setProcessList(ProcessList() << BatchRunTest::cvdStep() << BatchRunTest::substrateStep());
    d.run();
    ASSERT_EQ(d.prompts.criticals.size(), 1);
    EXPECT_EQ(d.prompts.criticals[0].first, QStringLiteral("Missing Cell Volume"));
    EXPECT_EQ(d.prompts.criticals[0].second, MissingText);
    EXPECT_EQ(d.progress()->value(), 0);
    EXPECT_EQ(d.objectCount(), 0);
    EXPECT_FALSE(d.dialog.currentVolume());
}

TEST(BatchRun, MissingParameterStopsAtThatStepWithTheEarlierOnesApplied)
{
    Dialog d;
    ProcessData cvd = BatchRunTest::cvdStep();
    cvd.removeParameter(QStringLiteral("Thickness"));
    d.dialog.setProcessList(ProcessList() << BatchRunTest::substrateStep() << cvd << BatchRunTest::cvdStep());
    BatchRunTest::LogCapture log;
    d.run();
    EXPECT_EQ(d.progress()->value(), 1);
    EXPECT_EQ(d.objectCount(), 1);
    EXPECT_TRUE(d.prompts.criticals.isEmpty());
    ASSERT_TRUE(d.dialog.currentVolume());
    EXPECT_EQ(countMaterial(*d.dialog.currentVolume(), BatchRunTest::materialId(1)), 0u);
    bool found = false;
    for (const QString &line : log.lines())
        found = found || (line.contains(QStringLiteral("UI/BatchRun/runprocessesdialog")) &&
                          line.contains(QStringLiteral("Ui::RunProcessesDialog::runProcessList")) &&
                          line.contains(QStringLiteral("Could not run process CVD : A required parameter was not "
                                                       "found. Check input list.")));
    EXPECT_TRUE(found) << log.lines().join(QLatin1Char('\n')).toStdString();
}

TEST(BatchRun, RunsOnTheVolumeItWasOpenedWith)
{
    Core::Operations::Workspace workspace;
    ScriptedPrompts prompts;
    Dialog first;
    first.dialog.setProcessList(ProcessList() << BatchRunTest::substrateStep());
    first.run();
    const boost::shared_ptr<TotalVolume> volume = first.dialog.currentVolume();
    ASSERT_TRUE(volume);
    workspace.document().addObject(volume);
    RunProcessesDialog dialog(&workspace, nullptr, volume, nullptr, &prompts);
    dialog.setProcessList(ProcessList() << BatchRunTest::cvdStep());
    QSignalSpy finished(&dialog, SIGNAL(runFinished()));
    dialog.findChild<QPushButton *>(QStringLiteral("btnRun"))->click();
    ASSERT_TRUE(finished.wait(60000) || finished.count() > 0);
    EXPECT_EQ(dialog.completedSteps(), 1);
    EXPECT_EQ(workspace.document().getObjects().size(), 1);
    EXPECT_GT(countMaterial(*volume, BatchRunTest::materialId(1)), 0u);
}

// A "Save Image" step waits for the user-interface thread, so a run holding
// one cannot end while the test does not return to the event loop.
ProcessList blockingList()
{
    return ProcessList() << BatchRunTest::substrateStep() << BatchRunTest::saveImageStep(QString());
}

TEST(BatchRun, PressingRunTwiceStartsOneWorker)
{
    Dialog d;
    d.dialog.setProcessList(blockingList());
    QSignalSpy finished(&d.dialog, SIGNAL(runFinished()));
    d.click("btnRun");
    EXPECT_TRUE(d.dialog.isRunning());
    // The button is refused while the run lasts; the slot itself starts nothing either.
    EXPECT_FALSE(d.dialog.findChild<QPushButton *>(QStringLiteral("btnRun"))->isEnabled());
    d.progress()->setValue(1);
    d.dialog.on_btnRun_clicked();
    EXPECT_EQ(d.progress()->value(), 0); // Run resets the bar, starts nothing
    ASSERT_TRUE(finished.wait(60000) || finished.count() > 0);
    EXPECT_EQ(d.objectCount(), 1);
    EXPECT_EQ(d.progress()->value(), 2);
    QTest::qWait(50);
    EXPECT_EQ(finished.count(), 1);
}

TEST(BatchRun, CloseDuringARunDoesNothingAndClosesAfter)
{
    Dialog d;
    d.dialog.show();
    d.dialog.setProcessList(blockingList());
    QSignalSpy finished(&d.dialog, SIGNAL(runFinished()));
    d.click("btnRun");
    d.click("btnClose");
    EXPECT_TRUE(d.dialog.isVisible());
    d.dialog.reject(); // Escape is refused too
    EXPECT_TRUE(d.dialog.isVisible());
    ASSERT_TRUE(finished.wait(60000) || finished.count() > 0);
    d.click("btnClose");
    EXPECT_FALSE(d.dialog.isVisible());
}

TEST(BatchRun, DestroyingTheDialogDuringARunWaitsForTheWorker)
{
    Core::Operations::Workspace workspace;
    ScriptedPrompts prompts;
    RunProcessesDialog *dialog = new RunProcessesDialog(&workspace, nullptr, boost::shared_ptr<TotalVolume>(),
                                                        nullptr, &prompts);
    dialog->setProcessList(blockingList() << BatchRunTest::cvdStep());
    dialog->findChild<QPushButton *>(QStringLiteral("btnRun"))->click();
    delete dialog; // must neither hang nor crash
    EXPECT_LE(workspace.document().getObjects().size(), 1);
    EXPECT_TRUE(prompts.criticals.isEmpty());
}

// ---- with the main window ----

using UiTest::whenModal;

struct Window : UiTest::ShownWindow
{
    Window() : ShownWindow(640, 480) {}
};

TEST(BatchRunWindow, SaveImageStepWritesTheViewsPicture)
{
    Window w;
    ScriptedPrompts prompts;
    const QString file = QDir::current().absoluteFilePath(QStringLiteral("batch.png"));
    RunProcessesDialog dialog(&w.workspace(), w.window->view(), boost::shared_ptr<TotalVolume>(), w.window, &prompts);
    dialog.setProcessList(blockingList() << BatchRunTest::saveImageStep(file));
    QSignalSpy finished(&dialog, SIGNAL(runFinished()));
    dialog.findChild<QPushButton *>(QStringLiteral("btnRun"))->click();
    ASSERT_TRUE(finished.wait(60000) || finished.count() > 0);
    EXPECT_EQ(dialog.completedSteps(), 3);
    const QImage image(file);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), w.window->view()->size());
    EXPECT_EQ(w.workspace().document().getObjects().size(), 1);
}

TEST(BatchRunWindow, SelectingAVolumeOpensTheBatchRunOnIt)
{
    Window w;
    const boost::shared_ptr<TotalVolume> volume = TotalVolume::create(4, 4, 4, 1.0f, 1.0f, 1.0f, Util::Vector3D(0, 0, 0), 0);
    ASSERT_TRUE(volume);
    w.workspace().document().addObject(volume);
    w.workspace().viewPicks().setSelected(QList<boost::shared_ptr<Model::Object>>() << volume);
    boost::shared_ptr<TotalVolume> shown;
    QString title;
    whenModal([&](QWidget *modal) {
        RunProcessesDialog *dialog = qobject_cast<RunProcessesDialog *>(modal);
        if (dialog) {
            shown = dialog->currentVolume();
            title = dialog->windowTitle();
        }
        modal->close();
    });
    const boost::shared_ptr<Core::Operations::Operation> op = w.workspace().factory()->create(24);
    ASSERT_TRUE(op);
    EXPECT_EQ(op->getName(), QStringLiteral("Select volumes"));
    EXPECT_EQ(op->getTypeNumber(), 24);
    EXPECT_FALSE(boost::dynamic_pointer_cast<Core::Operations::ObjectOperation>(op));
    w.workspace().activateOperation(Core::Operations::SelectVolumesOperation::TypeNumber);
    EXPECT_EQ(shown, volume);
    EXPECT_FALSE(w.workspace().history().undoName().contains(QStringLiteral("Select")));
    EXPECT_EQ(title, QStringLiteral("Batch Run"));
}

TEST(BatchRunWindow, OpenProcessListOpensTheDialogWithTheList)
{
    const QString file = QDir::current().absoluteFilePath(QStringLiteral("menu.plst"));
    ASSERT_TRUE(Core::Operations::ProcessListFile::save(ProcessList() << BatchRunTest::substrateStep()
                                                                      << BatchRunTest::cvdStep(),
                                                        file));
    Window w;
    int steps = -1;
    QString title;
    QWidget *parent = nullptr;
    whenModal([&](QWidget *modal) {
        RunProcessesDialog *dialog = qobject_cast<RunProcessesDialog *>(modal);
        if (dialog) {
            steps = dialog->processList().size();
            title = dialog->windowTitle();
            parent = dialog->parentWidget();
            EXPECT_FALSE(dialog->currentVolume());
        }
        modal->close();
    });
    w.window->presenter().openBatchRun(file);
    EXPECT_EQ(steps, 2);
    EXPECT_EQ(title, QStringLiteral("Batch Run ") + file);
    EXPECT_EQ(parent, w.window);

    steps = -1;
    whenModal([&](QWidget *modal) {
        RunProcessesDialog *dialog = qobject_cast<RunProcessesDialog *>(modal);
        if (dialog) {
            steps = dialog->processList().size();
            title = dialog->windowTitle();
        }
        modal->close();
    });
    w.window->presenter().openBatchRun(QString());
    EXPECT_EQ(steps, 0);
    EXPECT_EQ(title, QStringLiteral("Batch Run"));
}

} // namespace

// ---- feedback while a list runs ----

QString statusText(const Dialog &d)
{
    const QLabel *label = d.dialog.findChild<QLabel *>(QStringLiteral("lblRunStatus"));
    return label ? label->text() : QStringLiteral("(no status label)");
}

bool enabled(const Dialog &d, const char *name)
{
    const QPushButton *b = d.dialog.findChild<QPushButton *>(QLatin1String(name));
    return b && b->isEnabled();
}

TEST(BatchRun, FailedStepIsShownInABoxAndItsRowIsMarked)
{
    Dialog d;
    ProcessData cvd = BatchRunTest::cvdStep();
    cvd.removeParameter(QStringLiteral("Thickness"));
    d.dialog.setProcessList(ProcessList() << BatchRunTest::substrateStep() << cvd << BatchRunTest::cvdStep());
    d.run();
    ASSERT_EQ(d.prompts.warnings.size(), 1);
    EXPECT_EQ(d.prompts.warnings.first().first, QStringLiteral("Process Failed"));
    const QString text = d.prompts.warnings.first().second;
    EXPECT_TRUE(text.contains(QStringLiteral("Step 2 of 3, \"CVD\""))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("A required parameter was not found. Check input list.")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\"Thickness\""))) << text.toStdString();
    EXPECT_TRUE(d.prompts.criticals.isEmpty());

    const QTreeWidget *tree = d.dialog.findChild<QTreeWidget *>(QStringLiteral("treeWidget"));
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    for (int row = 0; row < 3; ++row) {
        const QTreeWidgetItem *item = tree->topLevelItem(row);
        EXPECT_EQ(!item->icon(0).isNull(), row == 1) << row;
        EXPECT_EQ(item->foreground(1).color() == QColor(Qt::red), row == 1) << row;
    }
    EXPECT_TRUE(statusText(d).contains(QStringLiteral("2 of 3"))) << statusText(d).toStdString();

    // The next run starts unmarked; a clean run shows no box.
    d.dialog.setProcessList(ProcessList() << BatchRunTest::cvdStep());
    d.run();
    EXPECT_EQ(d.prompts.warnings.size(), 1);
    EXPECT_TRUE(tree->topLevelItem(0)->icon(0).isNull());
    EXPECT_EQ(statusText(d), QStringLiteral("1 of 1 steps done."));
}

// Calls back on every redraw request the workspace makes.
class RedrawHook : public Util::IObserver
{
public:
    explicit RedrawHook(std::function<void()> onRedraw) : m_onRedraw(std::move(onRedraw)) {}
    void notify() override { m_onRedraw(); }

private:
    std::function<void()> m_onRedraw;
};

TEST(BatchRun, StopEndsTheRunBetweenStepsAndShowsKOfN)
{
    Dialog d;
    // Step 2 ("Save Image") redraws on the user-interface thread while the worker waits for it.
    d.dialog.setProcessList(blockingList() << BatchRunTest::cvdStep() << BatchRunTest::cvdStep());
    QString duringSaveImage;
    bool runDisabled = false, closeDisabled = false;
    const boost::shared_ptr<RedrawHook> hook(new RedrawHook([&]() {
        if (!d.dialog.isRunning() || !duringSaveImage.isEmpty())
            return;
        duringSaveImage = statusText(d);
        runDisabled = !enabled(d, "btnRun");
        closeDisabled = !enabled(d, "btnClose");
        d.click("btnStop");
    }));
    d.workspace.addUpdateObserver(hook);

    QSignalSpy finished(&d.dialog, SIGNAL(runFinished()));
    d.click("btnRun");
    EXPECT_TRUE(enabled(d, "btnStop"));
    EXPECT_FALSE(enabled(d, "btnRun"));
    EXPECT_TRUE(statusText(d).startsWith(QStringLiteral("1 of 4"))) << statusText(d).toStdString();
    ASSERT_TRUE(finished.wait(60000) || finished.count() > 0);
    d.workspace.removeUpdateObserver(hook);

    EXPECT_EQ(duringSaveImage, QStringLiteral("2 of 4: Save Image"));
    EXPECT_TRUE(runDisabled);
    EXPECT_TRUE(closeDisabled);
    // The steps before the stop stay; nothing after it ran.
    EXPECT_EQ(d.dialog.completedSteps(), 2);
    EXPECT_EQ(d.progress()->value(), 2);
    ASSERT_TRUE(d.dialog.currentVolume());
    EXPECT_EQ(countMaterial(*d.dialog.currentVolume(), BatchRunTest::materialId(1)), 0u);
    EXPECT_EQ(statusText(d), QStringLiteral("Stopped after 2 of 4 steps."));
    EXPECT_TRUE(d.prompts.warnings.isEmpty());
    EXPECT_TRUE(d.prompts.criticals.isEmpty());
    EXPECT_TRUE(enabled(d, "btnRun"));
    EXPECT_TRUE(enabled(d, "btnClose"));
    EXPECT_FALSE(enabled(d, "btnStop"));
}
