#include "Core/Operations/consolemodel.h"
#include "Core/Operations/operation.h"
#include "Model/Automaton/totalvolume.h"
#include "UI/Console/commandconsole.h"
#include "UI/Observers/consoleobserver.h"
#include "UI/Observers/undoredoobserver.h"
#include "UI/Observers/updateobserver.h"
#include "UI/glwidget.h"
#include "UI/mainwindow.h"
#include "UI/mainwindowform.h"
#include "UI/Operations/materialcombobox.h"
#include "Util/version.h"

#include "UI/uitestsupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QSignalMapper>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <functional>

using Ui::MainWindow;

namespace {

// Runs once the next modal dialog is up; the test's own call then returns.
using UiTest::pressOk;
using UiTest::whenModal;


struct Window
{
    MainWindow *window = new MainWindow;
    Window() { window->setAttribute(Qt::WA_DeleteOnClose, false); }
    ~Window() { delete window; }
    MainWindow *operator->() const { return window; }
};

// A menu's entries as the table lists them: action names, "-" for a
// separator and a submenu's name where its first action is listed.
QStringList tableNames(const QString &menu)
{
    QStringList names;
    for (const Ui::MainWindowForm::ActionRow &entry : Ui::MainWindowForm::actionTable()) {
        if (!entry.menu)
            continue;
        if (menu == QLatin1String(entry.menu))
            names << (entry.text ? QString::fromLatin1(entry.objectName) : QStringLiteral("-"));
        for (const Ui::MainWindowForm::SubMenuRow &sub : Ui::MainWindowForm::subMenuTable())
            if (QLatin1String(sub.objectName) == QLatin1String(entry.menu) && menu == QLatin1String(sub.parent) &&
                !names.contains(QLatin1String(sub.objectName)))
                names << QLatin1String(sub.objectName);
    }
    return names;
}

QStringList actionNames(QMenu *menu)
{
    QStringList names;
    for (QAction *a : menu->actions())
        names << (a->isSeparator() ? QStringLiteral("-") : a->menu() ? a->menu()->objectName() : a->objectName());
    return names;
}

} // namespace

TEST(MainWindow, MenusListTheirActionsInOrder)
{
    Window w;
    const QList<QPair<QString, QString>> &menus = Ui::MainWindowForm::menuTable();
    QList<QAction *> barActions = w->menuBar()->actions();
    ASSERT_EQ(barActions.size(), menus.size());
    for (int m = 0; m < menus.size(); ++m) {
        QMenu *menu = barActions[m]->menu();
        ASSERT_TRUE(menu);
        EXPECT_EQ(menu->objectName(), menus[m].first);
        EXPECT_EQ(menu->title(), menus[m].second);
        EXPECT_EQ(actionNames(menu), tableNames(menus[m].first)) << menus[m].first.toStdString();
    }
    for (const Ui::MainWindowForm::SubMenuRow &sub : Ui::MainWindowForm::subMenuTable()) {
        QMenu *menu = w->form().menu(QLatin1String(sub.objectName));
        ASSERT_TRUE(menu);
        EXPECT_EQ(menu->title(), QLatin1String(sub.title));
        EXPECT_EQ(actionNames(menu), tableNames(QLatin1String(sub.objectName))) << sub.objectName;
    }
    EXPECT_EQ(w.window->findChild<QMenu *>(QStringLiteral("menuSimulation"))->actions().first()->text(),
              QStringLiteral("Create Substrate"));
    QAction *extraction = w->action(QStringLiteral("actionModel_Extraction"));
    ASSERT_TRUE(extraction);
    EXPECT_FALSE(extraction->isEnabled());
    EXPECT_TRUE(extraction->associatedWidgets().isEmpty() ||
                extraction->associatedWidgets() == QList<QWidget *>{w.window});
    EXPECT_EQ(w->action(QStringLiteral("actionBatch_Run"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
    EXPECT_TRUE(w->action(QStringLiteral("actionLighting"))->isChecked());
    EXPECT_FALSE(w->action(QStringLiteral("actionSelect"))->isChecked());
    EXPECT_FALSE(w->action(QStringLiteral("actionUndo"))->isEnabled());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Torvane"));
    EXPECT_EQ(w->objectName(), QStringLiteral("MainWindowForm"));
}

TEST(MainWindow, CreateSubstrateThroughMenuDialogUndoAndRedo)
{
    Window w;
    w->show();
    whenModal([](QWidget *dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Create Substrate"));
        pressOk(dialog);
    });
    w->action(QStringLiteral("actionCreate_Substrate"))->trigger();

    Core::Operations::Workspace &ws = w->presenter().workspace();
    ASSERT_EQ(ws.document().getObjects().size(), 1);
    boost::shared_ptr<Model::Automaton::TotalVolume> volume =
        boost::dynamic_pointer_cast<Model::Automaton::TotalVolume>(ws.document().getObjects().first());
    ASSERT_TRUE(volume);
    EXPECT_EQ(volume->getSizeX(), 100u);
    EXPECT_EQ(volume->getSizeZ(), 80u);
    {
        Model::Automaton::CellLock lock(*volume);
        EXPECT_NE(lock.cells()[volume->cellIndex(50, 50, 29)].material, 0u);
        EXPECT_EQ(lock.cells()[volume->cellIndex(50, 50, 30)].material, 0u);
    }
    QAction *undo = w->action(QStringLiteral("actionUndo"));
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_EQ(undo->text(), QStringLiteral("Undo Create Substrate"));
    QPlainTextEdit *output = w->presenter().console().findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit"));
    EXPECT_TRUE(output->toPlainText().contains(QStringLiteral("Create Substrate: substrate created successfully.")));

    const int id = volume->getId();
    undo->trigger();
    EXPECT_TRUE(ws.document().getObjects().isEmpty());
    QAction *redo = w->action(QStringLiteral("actionRedo"));
    EXPECT_EQ(redo->text(), QStringLiteral("Redo Create Substrate"));
    EXPECT_FALSE(undo->isEnabled());
    redo->trigger();
    ASSERT_EQ(ws.document().getObjects().size(), 1);
    EXPECT_EQ(ws.document().getObjects().first()->getId(), id);
}

TEST(MainWindow, NewClearsTheHistoryAndTheScene)
{
    Window w;
    whenModal(pressOk);
    w->action(QStringLiteral("actionCreate_Substrate"))->trigger();
    ASSERT_TRUE(w->action(QStringLiteral("actionUndo"))->isEnabled());

    // Cancel keeps everything.
    whenModal([](QWidget *box) { qobject_cast<QMessageBox *>(box)->button(QMessageBox::Cancel)->click(); });
    w->action(QStringLiteral("actionNew"))->trigger();
    EXPECT_EQ(w->presenter().workspace().document().getObjects().size(), 1);

    whenModal([](QWidget *box) {
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Create new document"));
        pressOk(box);
    });
    w->action(QStringLiteral("actionNew"))->trigger();
    EXPECT_TRUE(w->presenter().workspace().document().getObjects().isEmpty());
    EXPECT_FALSE(w->action(QStringLiteral("actionUndo"))->isEnabled());
    EXPECT_EQ(w->action(QStringLiteral("actionUndo"))->text(), QStringLiteral("Undo "));
    EXPECT_EQ(w->action(QStringLiteral("actionRedo"))->text(), QStringLiteral("Redo "));
    EXPECT_FALSE(w->action(QStringLiteral("actionRedo"))->isEnabled());
}

TEST(MainWindow, ActivationByNumberTextCancelsTheCurrentOperation)
{
    Window w;
    Core::Operations::Workspace &ws = w->presenter().workspace();
    // Create Substrate whose dialog is cancelled stays current.
    whenModal([](QWidget *dialog) { qobject_cast<QDialog *>(dialog)->reject(); });
    w->presenter().operationActivated(QStringLiteral("0002"));
    ASSERT_TRUE(ws.currentOperation());
    EXPECT_EQ(ws.currentOperation()->getTypeNumber(), 2);
    w->presenter().operationActivated(QStringLiteral("5"));
    EXPECT_FALSE(ws.currentOperation());
    EXPECT_TRUE(ws.console().lastMessage().isEmpty());

    // Escape with no operation only clears the selection.
    w->presenter().cancelPressed();
    EXPECT_FALSE(ws.currentOperation());
}

TEST(MainWindow, SelectEntryFollowsTheSelectionModeAndConsoleToggles)
{
    Window w;
    w->show();
    QAction *select = w->action(QStringLiteral("actionSelect"));
    w->presenter().workspace().selection().setSelectionMode(true);
    EXPECT_TRUE(select->isChecked());
    select->trigger();
    EXPECT_FALSE(w->presenter().workspace().selection().isSelectionMode());

    Ui::Console::CommandConsole &console = w->presenter().console();
    EXPECT_TRUE(console.isVisible());
    w->action(QStringLiteral("actionConsole"))->trigger();
    EXPECT_FALSE(console.isVisible());
    w->presenter().workspace().console().write(QStringLiteral("while hidden"));
    w->action(QStringLiteral("actionConsole"))->trigger();
    EXPECT_TRUE(console.isVisible());
    EXPECT_TRUE(console.findChild<QPlainTextEdit *>()->toPlainText().contains(QStringLiteral("while hidden")));
}

TEST(MainWindow, PresetViewsAndStatusMessages)
{
    Window w;
    w->setView(QStringLiteral("top"));
    EXPECT_EQ(w->view()->rotation(), (std::vector<float>{0, 0, 0}));
    EXPECT_EQ(w->statusBar()->currentMessage(), QStringLiteral("Rotation angles: X Axis = 0 Y Axis = 0 Z axis = 0"));
    w->setView(QStringLiteral("front"));
    EXPECT_EQ(w->view()->rotation(), (std::vector<float>{-90, 0, 0}));
    w->setView(QStringLiteral("sideways"));
    EXPECT_EQ(w->view()->rotation(), (std::vector<float>{-90, 0, 0}));
    w->changeZoomValue_statusBar(110.0f);
    EXPECT_EQ(w->statusBar()->currentMessage(), QStringLiteral("Zoom = 110%"));
    w->changeLampPosition_statusBar({2.7f, 300.0f, 1.5f, 0.25f});
    EXPECT_EQ(w->statusBar()->currentMessage(),
              QString::fromUtf8("Lamp 2 Position : Radius = 300 Angle θ = 1.5 Angle φ = 0.25"));
}

TEST(CommandConsole, HistoryUpAndDown)
{
    Core::Operations::ConsoleModel model;
    Ui::Console::CommandConsole console(nullptr, Qt::Tool, &model);
    QLineEdit *input = console.findChild<QLineEdit *>(QStringLiteral("linCommand"));
    ASSERT_TRUE(input);
    input->setText(QStringLiteral("typed"));
    console.upArrowPressed(); // empty history: nothing
    EXPECT_EQ(input->text(), QStringLiteral("typed"));
    console.downArrowPressed(); // empty history: clears
    EXPECT_TRUE(input->text().isEmpty());

    input->setText(QStringLiteral("a"));
    QTest::keyClick(input, Qt::Key_Return);
    input->setText(QStringLiteral("b"));
    QTest::keyClick(input, Qt::Key_Return);
    EXPECT_TRUE(input->text().isEmpty());
    EXPECT_EQ(console.history(), QStringList({QStringLiteral("b"), QStringLiteral("a")}));
    console.upArrowPressed();
    EXPECT_EQ(input->text(), QStringLiteral("b"));
    console.upArrowPressed();
    EXPECT_EQ(input->text(), QStringLiteral("a"));
    console.upArrowPressed();
    EXPECT_EQ(input->text(), QStringLiteral("a"));
    console.downArrowPressed();
    EXPECT_EQ(input->text(), QStringLiteral("a"));
    console.downArrowPressed();
    EXPECT_TRUE(input->text().isEmpty());

    // Entered lines are echoed; empty ones are not stored.
    QTest::keyClick(input, Qt::Key_Return);
    EXPECT_EQ(console.history().size(), 2);
    const QString output = console.findChild<QPlainTextEdit *>()->toPlainText();
    EXPECT_EQ(output, QStringLiteral("a\nb"));
}

TEST(Observers, TurnNotificationsIntoSignals)
{
    Ui::Observers::UpdateObserver update;
    QSignalSpy updates(&update, &Ui::Observers::UpdateObserver::updateGL);
    update.notify();
    EXPECT_EQ(updates.count(), 1);

    Ui::Observers::UndoRedoObserver undo;
    QSignalSpy stacks(&undo, &Ui::Observers::UndoRedoObserver::stackChanged);
    undo.notify();
    EXPECT_EQ(stacks.count(), 1);

    Core::Operations::ConsoleModel console;
    boost::shared_ptr<Ui::Observers::ConsoleObserver> observer(new Ui::Observers::ConsoleObserver(&console));
    console.addObserver(observer);
    QSignalSpy messages(observer.get(), &Ui::Observers::ConsoleObserver::messageWritten);
    console.write(QStringLiteral("Copy: Object(s) copied"));
    console.write(QString());
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.first().first().toString(), QStringLiteral("Copy: Object(s) copied"));
}

TEST(GLWidget, ReportsEachMissingFormatFeature)
{
    QGLFormat poor;
    poor.setDoubleBuffer(false);
    poor.setAlpha(false);
    poor.setDepth(false);
    poor.setRgba(false);
    poor.setDirectRendering(false);
    EXPECT_EQ(Ui::GLWidget::formatWarnings(poor).size(), 5);
    EXPECT_EQ(Ui::GLWidget::formatWarnings(poor).first(),
              QStringLiteral("Could not get double buffer; results will be suboptimal"));
}

// Closing the console by its own window button must leave the menu entry unchecked, so
// the next click shows it again at once.
TEST(MainWindow, ConsoleClosedByItsWindowButtonUnchecksTheMenuEntry)
{
    UiTest::ShownWindow w;
    Ui::Console::CommandConsole &console = w.window->presenter().console();
    QAction *entry = w.window->action(QStringLiteral("actionConsole"));
    ASSERT_TRUE(console.isVisible());
    ASSERT_TRUE(entry->isChecked());
    QCloseEvent close; // what the window manager delivers for the title-bar button
    QApplication::sendEvent(&console, &close);
    ASSERT_TRUE(close.isAccepted());
    console.hide();
    EXPECT_FALSE(entry->isChecked());
    entry->trigger();
    EXPECT_TRUE(entry->isChecked());
    EXPECT_TRUE(console.isVisible());
    ASSERT_TRUE(console.close());
    EXPECT_FALSE(console.isVisible());
    EXPECT_FALSE(entry->isChecked());
}

// All seven presets reach the view through the view mapper; "manual" leaves the camera
// to the view dialog.
TEST(MainWindow, ViewMapperKnowsTheSevenPresets)
{
    Window w;
    QSignalMapper *views = nullptr;
    for (QSignalMapper *mapper : w.window->findChildren<QSignalMapper *>())
        if (mapper->mapping(QStringLiteral("front")))
            views = mapper;
    ASSERT_TRUE(views);
    for (const char *name : {"front", "back", "top", "bottom", "left", "right", "manual"})
        EXPECT_TRUE(views->mapping(QLatin1String(name))) << name;
    EXPECT_EQ(views->mapping(QStringLiteral("manual")), w->action(QStringLiteral("actionSet_View")));
    w->setView(QStringLiteral("front"));
    w->setView(QStringLiteral("manual"));
    EXPECT_EQ(w->view()->rotation(), (std::vector<float>{-90, 0, 0}));
}

namespace {

// Calls handle with the modal widget called objectName once it is up (a box
// over a dialog that is modal itself).
void whenModalNamed(const QString &objectName, const std::function<void(QWidget *)> &handle)
{
    QTimer::singleShot(0, [objectName, handle]() {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != objectName) {
            whenModalNamed(objectName, handle);
            return;
        }
        handle(modal);
    });
}

// Whatever modal widget is up at the next turn of the event loop is rejected
// and recorded; none being up is recorded too.
struct NoQuestion
{
    QString asked;
    bool looked = false;
    QObject alive; // the check dies with the guard if it has not run by then
    NoQuestion()
    {
        QTimer::singleShot(0, &alive, [this]() {
            looked = true;
            if (QWidget *modal = QApplication::activeModalWidget()) {
                asked = modal->objectName().isEmpty() ? QStringLiteral("?") : modal->objectName();
                if (QDialog *dialog = qobject_cast<QDialog *>(modal))
                    dialog->reject();
            }
        });
    }
};

QString consoleText(MainWindow *window)
{
    return window->presenter().console().findChild<QPlainTextEdit *>(QStringLiteral("plainTextEdit"))->toPlainText();
}

} // namespace

// File > New asks only when there is something to lose.
TEST(MainWindow, NewOnAnEmptySceneAsksNothing)
{
    Window w;
    w->show();
    NoQuestion guard;
    w->action(QStringLiteral("actionNew"))->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&guard] { return guard.looked; }, 5000));
    EXPECT_TRUE(guard.asked.isEmpty()) << guard.asked.toStdString();
    EXPECT_FALSE(w->presenter().hasWorkToLose());

    // A volume, or a step left to redo, is something to lose.
    whenModal(pressOk);
    w->action(QStringLiteral("actionCreate_Substrate"))->trigger();
    EXPECT_TRUE(w->presenter().hasWorkToLose());
    w->action(QStringLiteral("actionUndo"))->trigger();
    ASSERT_TRUE(w->presenter().workspace().document().getObjects().isEmpty());
    EXPECT_TRUE(w->presenter().hasWorkToLose()) << "Redo would bring the volume back";
    QString title;
    whenModal([&title](QWidget *box) {
        title = box->objectName();
        qobject_cast<QMessageBox *>(box)->button(QMessageBox::Cancel)->click();
    });
    w->action(QStringLiteral("actionNew"))->trigger();
    EXPECT_EQ(title, QStringLiteral("newDocumentMessageBox"));
    EXPECT_TRUE(w->action(QStringLiteral("actionRedo"))->isEnabled()) << "Cancel kept the history";
}

// Windows > Console brings the console to the front, not behind the main window.
TEST(MainWindow, TickingConsoleRaisesIt)
{
    UiTest::ShownWindow w;
    Ui::Console::CommandConsole &console = w.window->presenter().console();
    QAction *entry = w.window->action(QStringLiteral("actionConsole"));
    entry->trigger();
    ASSERT_FALSE(console.isVisible());
    w.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == w.window; }, 5000));
    entry->trigger();
    EXPECT_TRUE(console.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &console; }, 5000));
    EXPECT_TRUE(console.isActiveWindow());
}

// Save Image suggests a PNG, turns a name without an extension into one, and
// a failed save is said in the console and in a message box.
TEST(MainWindow, SaveImageSuggestsPngAndReportsAFailure)
{
    UiTest::ShownWindow w;
    QString suggested;
    whenModal([&suggested](QWidget *modal) {
        QFileDialog *dialog = qobject_cast<QFileDialog *>(modal);
        ASSERT_TRUE(dialog);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Save Screen Image"));
        suggested = dialog->selectedFiles().value(0);
        dialog->reject();
    });
    w.window->action(QStringLiteral("actionSave_Image"))->trigger();
    EXPECT_TRUE(suggested.endsWith(QStringLiteral(".png"))) << suggested.toStdString();
    EXPECT_EQ(QFileInfo(suggested).absolutePath(), QDir::homePath());

    QTemporaryDir dir;
    w.window->saveImage(dir.filePath(QStringLiteral("view")));
    EXPECT_FALSE(QImage(dir.filePath(QStringLiteral("view.png"))).isNull());
    EXPECT_TRUE(consoleText(w.window).contains(QStringLiteral("Save Image: ") + dir.filePath(QStringLiteral("view.png")) +
                                               QStringLiteral(" written.")));

    const QString unwritable = dir.filePath(QStringLiteral("no/such/folder/view.png"));
    QString told;
    whenModalNamed(QStringLiteral("imageNotSavedMessageBox"), [&told](QWidget *box) {
        told = qobject_cast<QMessageBox *>(box)->text();
        pressOk(box);
    });
    w.window->saveImage(unwritable);
    EXPECT_TRUE(told.startsWith(QStringLiteral("The image could not be saved to ") + unwritable)) << told.toStdString();
    EXPECT_TRUE(consoleText(w.window).contains(QStringLiteral("Save Image: The image could not be saved to ") + unwritable));
    EXPECT_FALSE(QFileInfo::exists(unwritable));
}

// The About box names the project's version, the one --version prints.
TEST(MainWindow, AboutShowsTheVersion)
{
    Window w;
    QString version;
    whenModal([&version](QWidget *dialog) {
        if (QLabel *label = dialog->findChild<QLabel *>(QStringLiteral("lblVersion")))
            version = label->text();
        pressOk(dialog);
    });
    w->action(QStringLiteral("actionAbout_Torvane"))->trigger();
    EXPECT_EQ(version, QStringLiteral("Version ") + Util::projectVersion());
    EXPECT_FALSE(Util::projectVersion().isEmpty());
}

// Photolithography with no mask removes every run of the film open to the
// air: the dialog says so and asks first; going back changes nothing.
TEST(MainWindow, PhotolithographyWithoutAMaskAsksBeforeRunning)
{
    Window w;
    w->show();
    Core::Operations::Workspace &ws = w->presenter().workspace();
    // Silicon with a layer of positive resist on top, open above.
    std::vector<uint32_t> cells(8 * 8 * 8);
    for (size_t i = 0; i < cells.size(); ++i)
        cells[i] = i % 8 < 4 ? 1u : i % 8 < 6 ? 11u : 0u;
    boost::shared_ptr<Model::Automaton::TotalVolume> volume(
        new Model::Automaton::TotalVolume(8, 8, 8, 1.0f, 1.0f, 1.0f, Util::Vector3D(), cells));
    ws.document().addObject(volume);
    const auto resistCells = [&volume]() {
        Model::Automaton::CellLock lock(*volume);
        int count = 0;
        for (uint64_t i = 0; i < volume->getCellCount(); ++i)
            count += lock.cells()[i].material == 11u ? 1 : 0;
        return count;
    };
    ASSERT_EQ(resistCells(), 8 * 8 * 2);

    QStringList warnings;
    int boxes = 0;
    whenModal([&](QWidget *dialog) {
        EXPECT_EQ(dialog->objectName(), QStringLiteral("PhotolithographyDialog"));
        Ui::Operations::MaterialComboBox::select(dialog->findChild<QComboBox *>(QStringLiteral("cbxFilm")), 11u);
        QDialogButtonBox *buttons = dialog->findChild<QDialogButtonBox *>();
        // First: back to the masks; the dialog stays.
        whenModalNamed(QStringLiteral("noMaskMessageBox"), [&](QWidget *box) {
            ++boxes;
            warnings << qobject_cast<QMessageBox *>(box)->text();
            box->findChild<QPushButton *>(QStringLiteral("btnBackToMasks"))->click();
        });
        buttons->button(QDialogButtonBox::Ok)->click();
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(resistCells(), 8 * 8 * 2);
        // Then on without one.
        whenModalNamed(QStringLiteral("noMaskMessageBox"), [&](QWidget *box) {
            ++boxes;
            box->findChild<QPushButton *>(QStringLiteral("btnContinueWithoutMask"))->click();
        });
        buttons->button(QDialogButtonBox::Ok)->click();
    });
    w->action(QStringLiteral("actionPhotolithography"))->trigger();
    EXPECT_EQ(boxes, 2);
    ASSERT_FALSE(warnings.isEmpty());
    EXPECT_TRUE(warnings.first().startsWith(QStringLiteral("No mask is loaded."))) << warnings.first().toStdString();
    EXPECT_TRUE(warnings.first().contains(QStringLiteral("Photoresist +")));
    // What it said came true: the open resist is gone, the silicon is not.
    EXPECT_EQ(resistCells(), 0);
    EXPECT_EQ(ws.console().lastMessage(), QStringLiteral("Photolithography: Operation finished."));
}
