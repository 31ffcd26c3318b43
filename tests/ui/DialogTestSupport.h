#pragma once

// What the dialog tests share: the application with its window, message boxes and file
// dialogs answered by the test (also several files at once), a loaded project, and a wait
// that keeps the event loop turning while threads work.

#include "AEApplication.h"
#include "AEDialogCommands.h"
#include "AEMainWindow.h"
#include "RegistryStore.h"
#include "UiTestSupport.h"
#include "support/TestDirs.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QThread>

#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace DialogTest {

// File dialogs answered from queues; a multiple choice takes the next list.
class MultiChooser : public ScriptedChooser {
public:
    MultiChooser(Shared& shared, std::deque<QStringList>& lists)
        : ScriptedChooser(shared), shared_(shared), lists_(lists) {}
    QStringList openFiles(QWidget*, const QString& title, const QString& directory,
                          const QString&) override {
        shared_.titles.push_back(title);
        shared_.proposed.push_back(directory);
        if (lists_.empty()) {
            return {};
        }
        QStringList answer = lists_.front();
        lists_.pop_front();
        return answer;
    }

private:
    Shared& shared_;
    std::deque<QStringList>& lists_;
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

// Every label, button and check box of `dialog` shows its whole text.
inline void expectTextsFit(QWidget& dialog, const char* what) {
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (!label->wordWrap() && label->isVisible() && label->text().trimmed().size() > 1) {
            EXPECT_LE(label->sizeHint().width(), label->width())
                << what << ": " << label->text().toStdString();
        }
    }
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        if (button->isVisible()) {
            // The text and the frame around it; a button's width beyond that is style.
            const QString shown = QString(button->text()).remove(QLatin1Char('&'));
            const int needed = button->fontMetrics().horizontalAdvance(shown) + 8 +
                               (qobject_cast<QPushButton*>(button) ? 0 : 20);
            EXPECT_LE(needed, button->width()) << what << ": " << shown.toStdString();
        }
    }
}

class DialogCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        widgetTestApp();
        // Every test starts from stored settings of its own.
        if (const char* config = std::getenv("XDG_CONFIG_HOME")) {
            std::filesystem::remove(std::string(config) + "/Vortanix/Gleam.conf");
        }
        app_ = std::make_unique<AEApplication>();
        app_->setSaveSettingsAtExit(false);
        app_->setDialogs(&dialogs_);
        window_ = std::make_unique<AEMainWindow>(*app_);
        window_->setFileChooser(std::make_unique<MultiChooser>(chooser_, fileLists_));
        app_->setMainWindow(window_.get());
    }
    void TearDown() override {
        EXPECT_TRUE(waitUntil([this] { return !commands().working(); }));
        app_->setMainWindow(nullptr);
        window_.reset();
        app_->setDialogs(nullptr);
        app_.reset();
    }

    AEDialogCommands& commands() { return window_->dialogCommands(); }
    QString text(int32_t id) { return QString::fromUtf8(app_->loadString(app_->stringId(id, 0))); }
    std::string stdText(int32_t id) { return app_->loadString(app_->stringId(id, 0)); }

    // A new empty project "<name>.dat" in the test folder, made with the New command.
    AEProject& newProject(const std::string& name = "Tapes") {
        std::filesystem::create_directories(dir_.file("base"));
        chooser_.answers.push_back(QString::fromStdString(dir_.file(name + ".dat")));
        window_->command(AEMainWindow::kNewProject);
        EXPECT_NE(app_->project(), nullptr);
        app_->project()->setBaseDirectory(dir_.file("base") + "/");
        return *app_->project();
    }

    // Waits until the threads the commands started have ended and their messages arrived.
    void settle() {
        ASSERT_TRUE(waitUntil([this] { return !commands().working() && !app_->isBusy(); }));
        QApplication::processEvents();
    }

    TestDir dir_;
    ScriptedDialogs dialogs_;
    ScriptedChooser::Shared chooser_;
    std::deque<QStringList> fileLists_;
    std::unique_ptr<AEApplication> app_;
    std::unique_ptr<AEMainWindow> window_;
};

} // namespace DialogTest
