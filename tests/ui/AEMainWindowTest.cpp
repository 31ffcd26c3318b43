#include "AEMainWindow.h"
#include "AEApplication.h"
#include "AEDialogCommands.h"
#include "AEMainView.h"
#include "AEProjectFile.h"
#include "MainWindowTestFixture.h"
#include "ProjectTestSupport.h"
#include "RegistryStore.h"
#include "UiTestSupport.h"
#include "support/TestDirs.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

class AEMainWindowTest : public MainWindowTestFixture {
protected:
    void SetUp() override { makeWindow(false); }

    QString text(int32_t id) { return QString::fromUtf8(app_->loadString(app_->stringId(id, 0))); }
    bool enabled(int32_t tag) { return window_->view().control(tag)->isEnabled(); }
    // Makes a new empty project at `path` through the New command.
    void newProjectAt(const std::string& path) {
        chooser_.answers.push_back(QString::fromStdString(path));
        ASSERT_TRUE(window_->command(AEMainWindow::kNewProject));
    }
};

} // namespace

TEST_F(AEMainWindowTest, WindowTitleCarriesTheProjectPath) {
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("Gleam!"));
    EXPECT_EQ(AEMainWindow::windowTitleFor("C:\\Rec\\Party.dat"),
              QStringLiteral("C:\\Rec\\Party.dat  -  Gleam!"));
    window_->setProjectTitle("/records/side-a.dat");
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("/records/side-a.dat  -  Gleam!"));
    window_->setProjectTitle({});
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("Gleam!"));
}

TEST_F(AEMainWindowTest, MenuHoldsEveryCommandWithItsText) {
    const std::pair<int32_t, int32_t> entries[] = {
        {12000, 3074}, {12001, 3075}, {12002, 3076}, {12006, 3077}, {12007, 3078}, {12010, 3079},
        {12003, 3080}, {12004, 3081}, {12009, 3082}, {12014, 3109}, {12015, 3110}, {12016, 3116},
        {12013, 3092}, {12012, 3093}, {12011, 3086}, {12018, 3114}, {12019, 3115}};
    for (const auto& [number, textId] : entries) {
        QAction* a = window_->action(number);
        ASSERT_NE(a, nullptr) << number;
        EXPECT_EQ(a->text(), text(textId)) << number;
    }
    QStringList menus;
    for (QAction* a : window_->menuBar()->actions()) {
        menus << a->text();
    }
    EXPECT_EQ(menus, (QStringList{text(3073), text(3108), text(3091), text(3085), text(3113)}));
    EXPECT_FALSE(window_->command(12345));
}

TEST_F(AEMainWindowTest, ControlsAreDisabledWithoutAProject) {
    EXPECT_FALSE(window_->projectLoaded());
    for (int32_t tag : {12, 13, 86, 95, 9877, 9878, 5, 9, 92}) {
        ASSERT_NE(window_->view().control(tag), nullptr) << tag;
        EXPECT_FALSE(enabled(tag)) << tag;
        EXPECT_FALSE(window_->view().control(tag)->toolTip().isEmpty()) << tag;
    }
    EXPECT_EQ(window_->view().remainingTime(), QString());
}

TEST_F(AEMainWindowTest, NewProjectIsCreatedSavedAndEnablesTheView) {
    const std::string path = dir_.file("Party.dat");
    newProjectAt(path);
    ASSERT_NE(app_->project(), nullptr);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(app_->projectPath(), path);
    EXPECT_TRUE(window_->projectLoaded());
    EXPECT_EQ(window_->windowTitle(), QString::fromStdString(path + "  -  Gleam!"));
    EXPECT_EQ(window_->view().remainingTime(), QStringLiteral("80:00"));
    EXPECT_TRUE(enabled(AEMainView::kRecord));
    EXPECT_TRUE(enabled(AEMainView::kSliderClick));
}

TEST_F(AEMainWindowTest, CancelledNewProjectChangesNothing) {
    chooser_.answers.push_back(QString());
    window_->command(AEMainWindow::kNewProject);
    EXPECT_EQ(app_->project(), nullptr);
    EXPECT_FALSE(window_->projectLoaded());
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("Gleam!"));
}

TEST_F(AEMainWindowTest, OpenProjectFromDiskAndFromPath) {
    const std::string path = dir_.file("Tapes.dat");
    ASSERT_TRUE(AEProject::createForPath(path)->save(path) || std::filesystem::exists(path));
    chooser_.answers.push_back(QString::fromStdString(path));
    window_->command(AEMainWindow::kOpenProject);
    ASSERT_NE(app_->project(), nullptr);
    EXPECT_EQ(app_->projectPath(), path);
    EXPECT_EQ(chooser_.titles.back(), text(3061));
    EXPECT_EQ(window_->windowTitle(), QString::fromStdString(path + "  -  Gleam!"));

    // A file that is no project leaves the program as it was and says why.
    const std::string broken = dir_.file("broken.dat");
    QFile f(QString::fromStdString(broken));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a project at all");
    f.close();
    AEProject* before = app_->project();
    window_->openProjectFromPath(broken);
    EXPECT_EQ(app_->project(), before);
    EXPECT_EQ(app_->projectPath(), path);
    ASSERT_EQ(dialogs_.alerts.size(), 1u);
    EXPECT_NE(dialogs_.alerts[0].find(app_->loadString(app_->stringId(3003, 0))),
              std::string::npos);
}

// While a long operation runs, every command that would start work or change the project
// is refused without a dialog, a question or a change; the same for the main view's edit
// controls. Only Quit, Save, About, the restoration mode and Help go on.
TEST_F(AEMainWindowTest, WhileBusyNothingStartsOrChanges) {
    newProjectAt(dir_.file("Busy.dat"));
    ProjectTest::writeWave(dir_.file("t.wav"), 8 * 44100);
    ASSERT_TRUE(app_->project()->addImportedFile(dir_.file("t.wav")));
    ASSERT_TRUE(app_->project()->addImportedFile(dir_.file("t.wav")));
    // The project as a file, to see that nothing in it changed.
    auto saved = [&] {
        const std::string path = dir_.file("snapshot.dat");
        EXPECT_TRUE(AEProjectFile::write(*app_->project(), path));
        return ProjectTest::readFile(path);
    };
    const std::string before = saved();
    const size_t asked = chooser_.titles.size();
    const std::vector<int32_t> goOn = {AEMainWindow::kQuit,
                                       AEMainWindow::kSaveProject,
                                       AEMainWindow::kAbout,
                                       AEMainWindow::kRestorationClassic,
                                       AEMainWindow::kRestorationEnhanced,
                                       AEMainWindow::kHomePage,
                                       AEMainWindow::kServicePage};
    app_->setBusy(true);
    std::vector<int32_t> tried;
    for (QAction* menu : window_->menuBar()->actions()) {
        for (QAction* a : menu->menu()->findChildren<QAction*>()) {
            const int32_t number = a->data().toInt();
            if (number != 0 && std::find(goOn.begin(), goOn.end(), number) == goOn.end()) {
                EXPECT_TRUE(window_->command(number));
                tried.push_back(number);
            }
        }
    }
    for (int32_t tag : {AEMainView::kImportWave, AEMainView::kDeleteTitle, AEMainView::kRemoveTitle,
                        AEMainView::kProcessCurrent, AEMainView::kProcessAll,
                        AEMainView::kSplitAtSilences, AEMainView::kMoveUp, AEMainView::kMoveDown}) {
        window_->control(tag, 1);
    }
    QApplication::processEvents();
    EXPECT_GE(tried.size(), 15u);
    EXPECT_EQ(chooser_.titles.size(), asked);
    EXPECT_TRUE(dialogs_.alerts.empty());
    EXPECT_TRUE(dialogs_.questions.empty());
    EXPECT_EQ(window_->dialogCommands().soundcardDialog(), nullptr);
    EXPECT_EQ(window_->dialogCommands().cdImportDialog(), nullptr);
    EXPECT_FALSE(window_->dialogCommands().working());
    EXPECT_TRUE(window_->monoUseLeft());
    EXPECT_EQ(saved(), before);
    app_->setBusy(false);
}

TEST_F(AEMainWindowTest, SaveAsWritesTheNewPathAndRetitles) {
    newProjectAt(dir_.file("First.dat"));
    const std::string second = dir_.file("Second.dat");
    chooser_.answers.push_back(QString::fromStdString(second));
    window_->command(AEMainWindow::kSaveProjectAs);
    EXPECT_EQ(chooser_.titles.back(), text(3060));
    EXPECT_TRUE(chooser_.proposed.back().endsWith(text(3066)));
    EXPECT_TRUE(std::filesystem::exists(second));
    EXPECT_EQ(app_->projectPath(), second);
    EXPECT_EQ(window_->windowTitle(), QString::fromStdString(second + "  -  Gleam!"));
    EXPECT_FALSE(app_->isBusy());
}

TEST_F(AEMainWindowTest, NewAndOpenSaveTheProjectTheyReplace) {
    const std::string other = dir_.file("Other.dat");
    ASSERT_TRUE(AEProject::createForPath(other)->save(other) || std::filesystem::exists(other));
    for (const int32_t command : {AEMainWindow::kNewProject, AEMainWindow::kOpenProject}) {
        const std::string path = dir_.file("Sides-" + std::to_string(command) + ".dat");
        newProjectAt(path);
        ASSERT_TRUE(app_->project()->addTitle(true)); // not saved yet
        chooser_.answers.push_back(QString::fromStdString(
            command == AEMainWindow::kNewProject ? dir_.file("Fresh.dat") : other));
        window_->command(command);
        std::string error;
        const std::unique_ptr<AEProject> saved = AEProjectFile::read(path, error);
        ASSERT_NE(saved, nullptr) << error;
        EXPECT_EQ(saved->titleCount(), 1) << command;
        EXPECT_NE(app_->projectPath(), path) << command;
        EXPECT_TRUE(dialogs_.questions.empty()) << command;
    }
}

TEST_F(AEMainWindowTest, AProjectThatCannotBeSavedIsKeptUntilSavedElsewhere) {
    const std::function<void(const std::string&)> spoil[] = {
        [](const std::string& path) {
            std::filesystem::permissions(path, std::filesystem::perms::owner_read |
                                                   std::filesystem::perms::group_read |
                                                   std::filesystem::perms::others_read);
        },
        [](const std::string& path) {
            std::filesystem::remove_all(std::filesystem::path(path).parent_path());
        },
    };
    for (size_t i = 0; i < std::size(spoil); ++i) {
        const std::string folder = dir_.file("case-" + std::to_string(i));
        std::filesystem::create_directories(folder);
        const std::string path = folder + "/Party.dat";
        newProjectAt(path);
        AEProject* project = app_->project();
        ASSERT_TRUE(project->addTitle(true));
        spoil[i](path);

        // Declined: the project stays, nothing else is made.
        dialogs_.answer = false;
        dialogs_.questions.clear();
        const std::string fresh = dir_.file("Fresh-" + std::to_string(i) + ".dat");
        newProjectAt(fresh);
        ASSERT_EQ(dialogs_.questions.size(), 1u) << i;
        EXPECT_EQ(dialogs_.questions[0],
                  text(3301).arg(QString::fromStdString(path)).toStdString());
        EXPECT_EQ(app_->project(), project) << i;
        EXPECT_EQ(app_->projectPath(), path) << i;
        EXPECT_FALSE(std::filesystem::exists(fresh)) << i;
        chooser_.answers.clear();
        window_->command(AEMainWindow::kSaveProject); // the same saving, the same refusal
        ASSERT_FALSE(dialogs_.alerts.empty());
        EXPECT_EQ(dialogs_.alerts.back(), text(3004).toStdString());

        // Saved elsewhere first, then replaced.
        dialogs_.answer = true;
        const std::string rescued = dir_.file("Rescued-" + std::to_string(i) + ".dat");
        chooser_.answers.push_back(QString::fromStdString(rescued));
        newProjectAt(fresh);
        std::string error;
        const std::unique_ptr<AEProject> saved = AEProjectFile::read(rescued, error);
        ASSERT_NE(saved, nullptr) << error;
        EXPECT_EQ(saved->titleCount(), 1) << i;
        EXPECT_EQ(app_->projectPath(), fresh) << i;
    }
}

TEST_F(AEMainWindowTest, QuitWithAnUnsaveableProjectWaitsForTheUsersWord) {
    const std::string path = dir_.file("Party.dat");
    newProjectAt(path);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    dialogs_.answer = false; // neither Save As nor quitting unsaved
    window_->command(AEMainWindow::kQuit);
    EXPECT_FALSE(app_->quitRequested());
    ASSERT_EQ(dialogs_.questions.size(), 2u);
    EXPECT_EQ(dialogs_.questions[1], text(3302).toStdString());
    dialogs_.answer = true; // Save As, cancelled in the file dialog, then quit unsaved
    window_->command(AEMainWindow::kQuit);
    EXPECT_TRUE(app_->quitRequested());
}

TEST_F(AEMainWindowTest, TheStatusLineTellsWhatARecordingLost) {
    newProjectAt(dir_.file("Tapes.dat"));
    for (const auto& [dropouts, milliseconds] : {std::pair{3, 30}, std::pair{0, 0}}) {
        app_->postAppMessage(AppHost::kTagRecordingStopped, dropouts, milliseconds);
        QApplication::processEvents();
        EXPECT_EQ(window_->statusBar()->currentMessage(),
                  dropouts > 0 ? text(3300).arg(dropouts).arg(milliseconds) : QString());
    }
}

TEST_F(AEMainWindowTest, ExportTitleListOfAnEmptyProjectOpensNoDialog) {
    newProjectAt(dir_.file("Empty.dat"));
    const size_t asked = chooser_.titles.size();
    window_->command(AEMainWindow::kExportTitleList);
    EXPECT_EQ(chooser_.titles.size(), asked);
    EXPECT_FALSE(app_->isBusy());
}

TEST_F(AEMainWindowTest, ExportTitleListWritesTheFileOrSaysWhyNot) {
    newProjectAt(dir_.file("Full.dat"));
    ASSERT_TRUE(app_->project()->addTitle(true));
    const std::string out = dir_.file("list.txt");
    chooser_.answers.push_back(QString::fromStdString(out));
    window_->command(AEMainWindow::kExportTitleList);
    EXPECT_EQ(chooser_.titles.back(), text(3056));
    EXPECT_TRUE(chooser_.proposed.back().endsWith(QStringLiteral("Tracklist.txt")));
    EXPECT_TRUE(std::filesystem::exists(out));
    EXPECT_GT(std::filesystem::file_size(out), 0u);
    EXPECT_TRUE(dialogs_.alerts.empty());
    // A place that cannot be written is reported, not passed over.
    const std::string nowhere = dir_.file("gone/list.txt");
    chooser_.answers.push_back(QString::fromStdString(nowhere));
    window_->command(AEMainWindow::kExportTitleList);
    ASSERT_EQ(dialogs_.alerts.size(), 1u);
    EXPECT_EQ(QString::fromStdString(dialogs_.alerts[0]),
              text(3292).arg(QString::fromStdString(nowhere)));
    EXPECT_FALSE(app_->isBusy());
}

TEST_F(AEMainWindowTest, MonoChannelChoiceIsCheckedAndStored) {
    EXPECT_TRUE(window_->monoUseLeft());
    EXPECT_TRUE(window_->action(AEMainWindow::kUseLeftChannel)->isChecked());
    window_->command(AEMainWindow::kUseRightChannel);
    EXPECT_FALSE(window_->monoUseLeft());
    EXPECT_TRUE(window_->action(AEMainWindow::kUseRightChannel)->isChecked());
    EXPECT_FALSE(window_->action(AEMainWindow::kUseLeftChannel)->isChecked());
    int32_t stored = -1;
    RegistryStore().readInt("monoUseLeft", stored, -1);
    EXPECT_EQ(stored, 0);

    window_->command(AEMainWindow::kUseLeftChannel);
    EXPECT_TRUE(window_->monoUseLeft());
}

TEST_F(AEMainWindowTest, AboutIsRefusedWhileBusyAndAlwaysLeadsBack) {
    app_->setBusy(true);
    window_->command(AEMainWindow::kAbout);
    EXPECT_FALSE(window_->aboutShown());
    app_->setBusy(false);
    window_->command(AEMainWindow::kAbout);
    EXPECT_TRUE(window_->aboutShown());
    auto* stack = window_->findChild<QStackedWidget*>();
    ASSERT_NE(stack, nullptr);
    EXPECT_NE(stack->currentWidget(), &window_->view());
    // A second About, a click on it or Escape brings the main view back.
    window_->command(AEMainWindow::kAbout);
    EXPECT_FALSE(window_->aboutShown());
    EXPECT_EQ(stack->currentWidget(), &window_->view());
    for (int way = 0; way < 2; ++way) {
        window_->command(AEMainWindow::kAbout);
        ASSERT_TRUE(window_->aboutShown());
        if (way == 0) {
            QTest::mouseClick(stack->currentWidget(), Qt::LeftButton);
        } else {
            QTest::keyClick(stack->currentWidget(), Qt::Key_Escape);
        }
        EXPECT_FALSE(window_->aboutShown()) << way;
        EXPECT_EQ(stack->currentWidget(), &window_->view()) << way;
    }
}

TEST_F(AEMainWindowTest, ProcessAllNeedsTitles) {
    newProjectAt(dir_.file("NoTitles.dat"));
    window_->command(AEMainWindow::kProcessAll);
    EXPECT_FALSE(app_->isBusy());
    window_->view().button(AEMainView::kCancelProcessing)->click();
    EXPECT_TRUE(app_->cancelRequested());
}

TEST_F(AEMainWindowTest, ButtonStatesPersistAcrossWindows) {
    newProjectAt(dir_.file("States.dat"));
    window_->view().button(AEMainView::kLoop)->click();
    window_->view().button(AEMainView::kBypass)->click();
    app_->setMainWindow(nullptr);
    window_.reset(); // the old window stores its states as it goes
    window_ = std::make_unique<AEMainWindow>(*app_);
    EXPECT_TRUE(window_->view().button(AEMainView::kLoop)->isChecked());
    EXPECT_TRUE(window_->view().button(AEMainView::kBypass)->isChecked());
    EXPECT_FALSE(window_->view().button(AEMainView::kMono)->isChecked());
}

TEST_F(AEMainWindowTest, SlidersSpanAMillion) {
    for (int slot = 0; slot < AEMainView::kSliders; ++slot) {
        EXPECT_EQ(window_->view().slider(slot)->minimum(), 0);
        EXPECT_EQ(window_->view().slider(slot)->maximum(), 1000000);
        EXPECT_EQ(window_->view().slider(slot)->toolTip(), text(3027 + slot));
    }
}

// Screenshots of the window in the four languages, for a look before release.
TEST(AEMainWindowScreens, FourLanguages) {
    widgetTestApp();
    QDir().mkpath(QStringLiteral(GLEAM_SCREENSHOT_DIR));
    for (const char* lang : {"en", "de", "jp", "fr"}) {
        RegistryStore().writeText("customLang", lang);
        // The playback buttons as a first start shows them.
        for (const char* button : {"monoButton", "loopButton", "bypassButton"}) {
            RegistryStore().writeFlag(button, false);
        }
        AEApplication app;
        app.setSaveSettingsAtExit(false);
        AEMainWindow window(app);
        window.resize(AEMainWindow::kWidth, AEMainWindow::kHeight);
        const std::string path = std::string(GLEAM_SCREENSHOT_DIR "/Party.dat");
        app.setProject(AEProject::createForPath(path), path);
        window.setProjectTitle(path);
        window.refreshMainView(true);
        EXPECT_EQ(window.view().remainingTime(), QStringLiteral("80:00")) << lang;
        window.show();
        QApplication::processEvents();
        EXPECT_EQ(window.size(), QSize(AEMainWindow::kWidth, AEMainWindow::kHeight)) << lang;
        const QString file =
            QStringLiteral(GLEAM_SCREENSHOT_DIR "/main-window-%1.png").arg(QLatin1String(lang));
        EXPECT_TRUE(window.grab().save(file)) << lang;
        // Every fader label is in the chosen language.
        EXPECT_EQ(window.view().slider(0)->toolTip(),
                  QString::fromUtf8(app.loadString(app.stringId(3027, 0))));
    }
    RegistryStore().writeText("customLang", "-");
}
