// gleam: the desktop program. Its only argument is a project path.
#include "AEWindowApplication.h"
#include "SingleInstance.h"
#include "WidgetDialogs.h"

#include <QApplication>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <string>

namespace {

// A termination signal only raises this flag (nothing else is safe in a signal handler);
// a timer on the main thread then ends the program through the application's own quit,
// which also leaves a dialog that is open at the time.
std::atomic<bool> quitSignalled{false};

void quitOnSignal(int) {
    quitSignalled.store(true);
}

} // namespace

int main(int argc, char** argv) {
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Gleam!"));
    QApplication::setApplicationVersion(QStringLiteral(GLEAM_VERSION));

    const std::string projectArgument = argc > 1 ? std::string(argv[1]) : std::string();
    SingleInstance instance;
    if (!instance.claim(projectArgument)) {
        // The running program raises its window (and opens the project handed over, as
        // when a project file is opened from the desktop); the second start ends here.
        return 0;
    }
    std::signal(SIGTERM, quitOnSignal);
    std::signal(SIGINT, quitOnSignal);

    AEWindowApplication app(projectArgument);
    WidgetDialogs dialogs;
    app.setDialogs(&dialogs);
    instance.setRaiseHandler([&app] {
        app.log("raise requested by a second start");
        if (app.mainWindow()) {
            app.mainWindow()->raise();
        }
    });
    instance.setOpenHandler([&app](const std::string& path) {
        app.log(("open requested by a second start: " + path).c_str());
        // The project already open stays as it is; another one replaces it as Open does,
        // but not under a dialog that is waiting for the user (the start question).
        if (app.mainWindow() && path != app.projectPath() && !QApplication::activeModalWidget()) {
            app.mainWindow()->openProjectFromPath(path);
        }
    });
    QTimer signalWatch;
    QObject::connect(&signalWatch, &QTimer::timeout, [&app] {
        if (quitSignalled.load()) {
            // A long run stops at its next block instead of holding up the end.
            app.setCancelRequested(true);
            app.quit();
        }
    });
    signalWatch.start(100);
    app.run();
    signalWatch.stop();
    app.setDialogs(nullptr);
    return 0;
}
