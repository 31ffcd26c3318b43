#pragma once

// The one window harness of the widget tests: the application (with its main window, its
// sound card opened if asked) as the tests drive it, message boxes and file dialogs
// answered by the test, files in a folder of the test's own, settings of its own, and a
// wait that keeps the event loop turning while threads work.

#include "AEApplication.h"
#include "AEAudioEngine.h"
#include "AEDialogCommands.h"
#include "AEMainWindow.h"
#include "AEProject.h"
#include "AEUserInterface.h"
#include "FileChooser.h"
#include "RegistryStore.h"
#include "support/AppStandIns.h"
#include "support/TestDirs.h"

#include <QApplication>
#include <QDir>
#include <QStringList>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The one QApplication of a widget test program. It lives until the process ends: a
// QApplication destroyed among the exit handlers outlives parts of Qt it still needs.
inline QApplication& widgetTestApp() {
    static int argc = 1;
    static char name[] = "gleam-ui-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// File dialogs answered by the test from queues: a path for one file ("" cancels), a list
// for several.
class ScriptedChooser : public FileChooser {
public:
    struct Shared {
        std::deque<QString> answers;
        std::deque<QStringList> lists;
        std::vector<QString> titles;
        std::vector<QString> proposed;
    };
    explicit ScriptedChooser(Shared& shared) : shared_(shared) {}
    QString openFile(QWidget*, const QString& title, const QString& directory,
                     const QString&) override {
        return next(title, directory);
    }
    QStringList openFiles(QWidget*, const QString& title, const QString& directory,
                          const QString&) override {
        asked(title, directory);
        return take(shared_.lists);
    }
    QString saveFile(QWidget*, const QString& title, const QString& proposedPath, const QString&,
                     const QString&) override {
        return next(title, proposedPath);
    }
    QString folder(QWidget*, const QString& title, const QString& directory) override {
        return next(title, directory);
    }

private:
    void asked(const QString& title, const QString& proposed) {
        shared_.titles.push_back(title);
        shared_.proposed.push_back(proposed);
    }
    template <class T> static T take(std::deque<T>& queue) {
        if (queue.empty()) {
            return {};
        }
        T answer = queue.front();
        queue.pop_front();
        return answer;
    }
    QString next(const QString& title, const QString& proposed) {
        asked(title, proposed);
        return take(shared_.answers);
    }
    Shared& shared_;
};

// Turns the event loop until `done` or `seconds` have passed; the result is `done()`.
inline bool waitUntil(const std::function<bool()>& done, double seconds = 20.0) {
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(static_cast<int64_t>(seconds * 1000));
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    QApplication::processEvents();
    return true;
}

class WindowTest : public ::testing::Test {
protected:
    // What SetUp makes: nothing (the test calls makeWindow), the application alone, its
    // window, or its window after the start-up checks (so the engine and its card run).
    enum class Start { kNothing, kApp, kWindow, kOpenWindow };
    explicit WindowTest(Start start = Start::kWindow) : start_(start) {}

    void SetUp() override {
        widgetTestApp();
        // Every test starts from stored settings of its own.
        if (const char* config = std::getenv("XDG_CONFIG_HOME")) {
            std::filesystem::remove(std::string(config) + "/Vortanix/Gleam.conf");
        }
        if (start_ == Start::kApp) {
            makeApp();
        } else if (start_ != Start::kNothing) {
            makeWindow(start_ == Start::kOpenWindow);
        }
    }
    void TearDown() override {
        if (app_ && start_ == Start::kOpenWindow) {
            app_->engine().stop();
            waitUntil([] { return false; }, 0.05); // the card's last callbacks arrive
        }
        if (window_) {
            EXPECT_TRUE(waitUntil([this] { return !commands().working(); }));
            app_->setMainWindow(nullptr);
            window_.reset();
        }
        if (app_) {
            app_->setDialogs(nullptr);
            app_.reset();
        }
        // Each test chooses the virtual card's pace, input and output of its own.
        for (const char* name :
             {"GLEAM_VIRTUAL_PACE", "GLEAM_VIRTUAL_OUTPUT", "GLEAM_VIRTUAL_INPUT"}) {
            unsetenv(name);
        }
    }

    void makeApp() {
        app_ = std::make_unique<AEApplication>();
        app_->setSaveSettingsAtExit(false);
        app_->setDialogs(&dialogs_);
    }
    void makeWindow(bool open) {
        makeApp();
        if (open) {
            ASSERT_TRUE(app_->open());
        }
        window_ = std::make_unique<AEMainWindow>(*app_);
        window_->setFileChooser(std::make_unique<ScriptedChooser>(chooser_));
        app_->setMainWindow(window_.get());
    }

    AEDialogCommands& commands() { return window_->dialogCommands(); }
    QString text(int32_t id) { return QString::fromUtf8(app_->loadString(app_->stringId(id, 0))); }
    std::string stdText(int32_t id) { return app_->loadString(app_->stringId(id, 0)); }

    // A new empty project "<name>.dat" in the test folder, made with the New command, its
    // files in "base".
    AEProject& newProject(const std::string& name = "Tapes") {
        std::filesystem::create_directories(dir_.file("base"));
        chooser_.answers.push_back(QString::fromStdString(dir_.file(name + ".dat")));
        window_->command(AEMainWindow::kNewProject);
        EXPECT_NE(app_->project(), nullptr);
        app_->project()->setBaseDirectory(dir_.file("base") + "/");
        return *app_->project();
    }

    // A project of `count` titles named "Song n" by "Artist n", each `frames` long with
    // its points at 0, 882, frames − 882, frames; the first is current.
    AEProject& projectOf(int count, int32_t frames = 441000) {
        const std::string path = dir_.file("p.dat");
        app_->setProject(AEProject::createForPath(path), path);
        AEProject& project = *app_->project();
        for (int i = 0; i < count; ++i) {
            EXPECT_TRUE(project.addTitle(false));
            AETitle* t = project.title(i);
            t->setDisplayName("Song " + std::to_string(i + 1));
            t->setArtist("Artist " + std::to_string(i + 1));
            t->setAudioBase(dir_.file("title" + std::to_string(i + 1)));
            t->setLength(frames);
            const int32_t points[4] = {0, 882, frames - 882, frames};
            for (int k = 0; k < 4; ++k) {
                t->setFadePoint(k, points[k]);
            }
        }
        if (count > 0) {
            EXPECT_TRUE(project.select(0));
        }
        return project;
    }

    // Waits until the threads the commands started have ended and their messages arrived.
    void settle() {
        ASSERT_TRUE(waitUntil([this] { return !commands().working() && !app_->isBusy(); }));
        QApplication::processEvents();
    }
    // Lets posted application messages (message boxes among them) arrive.
    static void deliver() {
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
        }
    }

    TestDir dir_;
    ScriptedDialogs dialogs_;
    ScriptedChooser::Shared chooser_;
    std::unique_ptr<AEApplication> app_;
    std::unique_ptr<AEMainWindow> window_;

private:
    Start start_;
};
