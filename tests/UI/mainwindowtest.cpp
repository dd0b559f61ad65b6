#include "Core/Operations/consolemodel.h"
#include "UI/Observers/consoleobserver.h"
#include "UI/Observers/undoredoobserver.h"
#include "UI/Observers/updateobserver.h"
#include "UI/mainwindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QSignalSpy>
#include <QTest>

TEST(MainWindow, ExitClosesTheWindow)
{
    Ui::MainWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QAction *exit = window.findChild<QAction *>(QStringLiteral("actionExit"));
    ASSERT_TRUE(exit);
    exit->trigger();
    EXPECT_FALSE(window.isVisible());
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
