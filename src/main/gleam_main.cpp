// gleam: the desktop program. Its only argument is a project path.
#include "AEApplication.h"
#include "AEMainWindow.h"
#include "SingleInstance.h"
#include "WidgetDialogs.h"

#include <QApplication>
#include <QScreen>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <memory>
#include <string>

namespace {

// The application of the window program: its start-up checks also need a screen of at
// least 15 bits per pixel, and they end by opening the main window.
class WindowApplication : public AEApplication {
public:
    using AEApplication::AEApplication;
    ~WindowApplication() override {
        setMainWindow(nullptr);
        window_.reset();
    }

    bool open() override {
        if (!AEApplication::open()) {
            return false;
        }
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (screen && screen->depth() < 15) {
            alertNoOwner("You need at least 32768 colors to run Gleam!");
            return false;
        }
        window_ = std::make_unique<AEMainWindow>(*this);
        setMainWindow(window_.get());
        window_->centreOnScreen();
        window_->show();
        return true;
    }

private:
    std::unique_ptr<AEMainWindow> window_;
};

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

    SingleInstance instance;
    if (!instance.claim()) {
        // The running program raises its window; the second start ends here.
        return 0;
    }
    std::signal(SIGTERM, quitOnSignal);
    std::signal(SIGINT, quitOnSignal);

    WindowApplication app(argc > 1 ? std::string(argv[1]) : std::string());
    WidgetDialogs dialogs;
    app.setDialogs(&dialogs);
    instance.setRaiseHandler([&app] {
        app.log("raise requested by a second start");
        if (app.mainWindow()) {
            app.mainWindow()->raise();
        }
    });
    QTimer signalWatch;
    QObject::connect(&signalWatch, &QTimer::timeout, [&app] {
        if (quitSignalled.load()) {
            app.quit();
        }
    });
    signalWatch.start(100);
    app.run();
    signalWatch.stop();
    app.setDialogs(nullptr);
    return 0;
}
