#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QtGlobal>

#ifdef TORVANE_TEST_WIDGETS
#include <QApplication>
typedef QApplication TestApplication;
#elif defined(TORVANE_TEST_GUI)
#include <QGuiApplication>
typedef QGuiApplication TestApplication;
#else
#include <QCoreApplication>
typedef QCoreApplication TestApplication;
#endif

#include <cstdlib>

int main(int argc, char **argv)
{
    // Before anything reads HOME: tests never see the user's real files.
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/torvane-test-home-XXXXXX"));
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/torvane-test-work-XXXXXX"));
    if (!home.isValid() || !work.isValid())
        return 2;
    qputenv("HOME", home.path().toLocal8Bit());
    QDir::setCurrent(work.path());

#ifdef TORVANE_TEST_GUI
    // Drawing into images needs a GUI application, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    ::testing::InitGoogleTest(&argc, argv);
    TestApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    QDir::setCurrent(QDir::tempPath());
    return result;
}
