#pragma once

#include "Core/Operations/workspace.h"
#include "UI/mainwindow.h"
#include "UI/mainwindowpresenter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

// What the widget tests that drive the main window share.
namespace UiTest {

// Calls handle with the modal dialog as soon as one is open.
inline void whenModal(const std::function<void(QWidget *)> &handle)
{
    QTimer::singleShot(0, [handle]() {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal) {
            whenModal(handle);
            return;
        }
        handle(modal);
    });
}

// OK of a message box or of a dialog's button box.
inline void pressOk(QWidget *dialog)
{
    if (QMessageBox *box = qobject_cast<QMessageBox *>(dialog)) {
        box->button(QMessageBox::Ok)->click();
        return;
    }
    QDialogButtonBox *buttons = dialog->findChild<QDialogButtonBox *>();
    ASSERT_TRUE(buttons);
    buttons->button(QDialogButtonBox::Ok)->click();
}

// A main window shown at the given size, deleted with the test.
struct ShownWindow
{
    Ui::MainWindow *window = new Ui::MainWindow;
    explicit ShownWindow(int width = 800, int height = 600)
    {
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->resize(width, height);
        window->show();
        QApplication::setActiveWindow(window);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    }
    ~ShownWindow() { delete window; }
    ShownWindow(const ShownWindow &) = delete;
    ShownWindow &operator=(const ShownWindow &) = delete;
    Core::Operations::Workspace &workspace() const { return window->presenter().workspace(); }
};

} // namespace UiTest
