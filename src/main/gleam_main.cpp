// gleam: the desktop program. Its only argument is a project path.
#include "AEApplication.h"
#include "SingleInstance.h"

#include <QApplication>
#include <QMessageBox>

#include <csignal>
#include <string>

namespace {

// Message boxes of the window program, caption "Gleam!".
class WidgetDialogs : public AEDialogs {
public:
    void alert(const std::string& text, bool owned) override {
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Gleam!"), QString::fromStdString(text),
                        QMessageBox::Ok, owned ? QApplication::activeWindow() : nullptr);
        box.exec();
    }
    bool askYesNo(const std::string& text) override {
        return QMessageBox::question(QApplication::activeWindow(), QStringLiteral("Gleam!"),
                                     QString::fromStdString(text),
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
};

void quitOnSignal(int) {
    QCoreApplication::exit(0);
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

    AEApplication app(argc > 1 ? std::string(argv[1]) : std::string());
    WidgetDialogs dialogs;
    app.setDialogs(&dialogs);
    instance.setRaiseHandler([&app] {
        app.log("raise requested by a second start");
        if (app.mainWindow()) {
            app.mainWindow()->raise();
        }
    });
    app.run();
    app.setDialogs(nullptr);
    return 0;
}
