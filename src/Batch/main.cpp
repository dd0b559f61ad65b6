#include "Model/Process/processfactory.h"
#include "Util/stoptoken.h"
#include "Util/version.h"
#include "batchprogram.h"
#include "steplisting.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <memory>

namespace {

Util::StopToken stopToken;

// Only an atomic store: safe in a signal handler. The run ends between steps or
// at the next iteration of a long engine, and the document is still written.
extern "C" void requestStop(int) { stopToken.request(); }

void stopOnSignals()
{
    struct sigaction action = {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// A picture needs a window system. Without one the program still runs the
// list and writes the document, and says why there is no picture.
bool hasDisplay()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        return platform.startsWith("xcb") || platform.startsWith("wayland");
    return !qgetenv("DISPLAY").isEmpty() || !qgetenv("WAYLAND_DISPLAY").isEmpty();
}

} // namespace

int main(int argc, char *argv[])
{
    Model::Process::initializeCatalogues();
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const Batch::BatchOptions options = Batch::BatchOptions::parse(arguments);
    if (options.version) {
        std::printf("torvane-batch %s\n", Util::projectVersion().toLocal8Bit().constData());
        return Batch::ExitSuccess;
    }
    if (options.help) {
        std::fputs(Batch::BatchOptions::usage().toLocal8Bit().constData(), stdout);
        return Batch::ExitSuccess;
    }
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "torvane-batch: %s\n%s", options.error.toLocal8Bit().constData(),
                     Batch::BatchOptions::usage().toLocal8Bit().constData());
        return Batch::ExitUsage;
    }
    if (options.listSteps) {
        // UTF-8 whatever the locale: the listing holds units such as m²/s, and docs/STEPS.md is this text.
        const QString listing = options.markdown ? Batch::stepListingMarkdown() : Batch::stepListing();
        std::fputs(listing.toUtf8().constData(), stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? Batch::ExitSuccess : Batch::ExitNotWritten;
    }

    const bool display = hasDisplay();
    std::unique_ptr<QCoreApplication> app;
    if (display) {
        app.reset(new QApplication(argc, argv));
    } else if (options.analysis.needsGui()) {
        // Cross-sections draw text, which needs a GUI application but no screen.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app.reset(new QGuiApplication(argc, argv));
    } else
        app.reset(new QCoreApplication(argc, argv));
    stopOnSignals();
    Batch::BatchProgram program(options, display, stdout, stderr, &stopToken);
    return program.exec();
}
