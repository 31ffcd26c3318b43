#include "AEMainWindow.h"
#include "AEApplication.h"
#include "AEDialogCommands.h"
#include "AEFaderCaption.h"
#include "AEInfoDialog.h"
#include "AEMainView.h"
#include "AEProjectFile.h"
#include "AETrackListDisplay.h"
#include "AEWaveformView.h"
#include "HelpMenu.h"
#include "ProjectTestSupport.h"
#include "RegistryStore.h"
#include "StringTable.h"
#include "WidgetDialogs.h"
#include "WindowHarness.h"
#include "support/TestDirs.h"

#include <QAction>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

class AEMainWindowTest : public WindowTest {
protected:
    bool enabled(int32_t tag) { return window_->view().control(tag)->isEnabled(); }
    // Makes a new empty project at `path` through the New command.
    void newProjectAt(const std::string& path) {
        chooser_.answers.push_back(QString::fromStdString(path));
        ASSERT_TRUE(window_->command(AEMainWindow::kNewProject));
    }
};

} // namespace

// Without a project the controls that need one rest; an unknown command is refused.
TEST_F(AEMainWindowTest, WithoutAProjectTheControlsRest) {
    EXPECT_FALSE(window_->projectLoaded());
    for (int32_t tag : {12, 13, 86, 95, 9877, 9878, 5, 9, 92}) {
        ASSERT_NE(window_->view().control(tag), nullptr) << tag;
        EXPECT_FALSE(enabled(tag)) << tag;
    }
    EXPECT_FALSE(window_->command(12345));
}

// New makes and saves the project, names it in the window title and enables the view; a
// cancelled file dialog changes nothing. Save As moves it.
TEST_F(AEMainWindowTest, NewAndSaveAsNameTheProjectAndEnableTheView) {
    chooser_.answers.push_back(QString());
    window_->command(AEMainWindow::kNewProject);
    EXPECT_EQ(app_->project(), nullptr);
    EXPECT_FALSE(window_->projectLoaded());
    EXPECT_EQ(window_->windowTitle(), QStringLiteral("Gleam!"));
    const std::string path = dir_.file("Party.dat");
    newProjectAt(path);
    ASSERT_NE(app_->project(), nullptr);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(app_->projectPath(), path);
    EXPECT_TRUE(window_->projectLoaded());
    EXPECT_EQ(window_->windowTitle(), QString::fromStdString(path + "  -  Gleam!"));
    EXPECT_TRUE(enabled(AEMainView::kRecord));
    EXPECT_TRUE(enabled(AEMainView::kSliderClick));
    // Process All without titles starts nothing; Cancel asks the run to stop.
    window_->command(AEMainWindow::kProcessAll);
    EXPECT_FALSE(app_->isBusy());
    window_->view().button(AEMainView::kCancelProcessing)->click();
    EXPECT_TRUE(app_->cancelRequested());

    // Save As writes the project under the new name and retitles the window.
    const std::string second = dir_.file("Second.dat");
    chooser_.answers.push_back(QString::fromStdString(second));
    window_->command(AEMainWindow::kSaveProjectAs);
    EXPECT_TRUE(std::filesystem::exists(second));
    EXPECT_EQ(app_->projectPath(), second);
    EXPECT_EQ(window_->windowTitle(), QString::fromStdString(second + "  -  Gleam!"));
    EXPECT_FALSE(app_->isBusy());
}

// A file that is no project leaves the open project in place and says why.
TEST_F(AEMainWindowTest, AFileThatIsNoProjectLeavesTheOpenOneInPlace) {
    const std::string path = dir_.file("Tapes.dat");
    newProjectAt(path);
    const std::string broken = dir_.file("broken.dat");
    ProjectTest::writeFile(broken, "not a project at all");
    AEProject* before = app_->project();
    window_->openProjectFromPath(broken);
    EXPECT_EQ(app_->project(), before);
    EXPECT_EQ(app_->projectPath(), path);
    ASSERT_EQ(dialogs_.alerts.size(), 1u);
    EXPECT_NE(dialogs_.alerts[0].find(stdText(3003)), std::string::npos);
}

// While a long operation runs, every command that would start work or change the project
// is refused without a dialog, a question or a change; the same for the main view's edit
// controls, and About is not shown. Only Quit, Save, the restoration mode and Help go on.
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
    EXPECT_FALSE(window_->aboutShown());
    EXPECT_EQ(saved(), before);
    app_->setBusy(false);
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

TEST_F(AEMainWindowTest, ExportTitleListWritesTheFileOrSaysWhyNot) {
    newProjectAt(dir_.file("Full.dat"));
    const size_t asked = chooser_.titles.size();
    window_->command(AEMainWindow::kExportTitleList);
    EXPECT_EQ(chooser_.titles.size(), asked) << "no titles, no dialog";
    ASSERT_TRUE(app_->project()->addTitle(true));
    const std::string out = dir_.file("list.txt");
    chooser_.answers.push_back(QString::fromStdString(out));
    window_->command(AEMainWindow::kExportTitleList);
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

// A second About, a click on it or Escape brings the main view back.
TEST_F(AEMainWindowTest, AboutAlwaysLeadsBack) {
    auto* stack = window_->findChild<QStackedWidget*>();
    ASSERT_NE(stack, nullptr);
    const std::function<void()> ways[] = {
        [&] { window_->command(AEMainWindow::kAbout); },
        [&] { QTest::mouseClick(stack->currentWidget(), Qt::LeftButton); },
        [&] { QTest::keyClick(stack->currentWidget(), Qt::Key_Escape); }};
    for (size_t way = 0; way < std::size(ways); ++way) {
        window_->command(AEMainWindow::kAbout);
        ASSERT_TRUE(window_->aboutShown());
        EXPECT_NE(stack->currentWidget(), &window_->view());
        ways[way]();
        EXPECT_FALSE(window_->aboutShown()) << way;
        EXPECT_EQ(stack->currentWidget(), &window_->view()) << way;
    }
}

// The mono channel choice (checked in the menu) and the playback buttons are stored as
// they change, and a new window starts with them.
TEST_F(AEMainWindowTest, ChoicesAreStoredForTheNextWindow) {
    newProjectAt(dir_.file("States.dat"));
    EXPECT_TRUE(window_->monoUseLeft());
    EXPECT_TRUE(window_->action(AEMainWindow::kUseLeftChannel)->isChecked());
    window_->command(AEMainWindow::kUseRightChannel);
    EXPECT_FALSE(window_->monoUseLeft());
    EXPECT_TRUE(window_->action(AEMainWindow::kUseRightChannel)->isChecked());
    EXPECT_FALSE(window_->action(AEMainWindow::kUseLeftChannel)->isChecked());
    window_->view().button(AEMainView::kLoop)->click();
    window_->view().button(AEMainView::kBypass)->click();
    app_->setMainWindow(nullptr);
    window_.reset();
    window_ = std::make_unique<AEMainWindow>(*app_);
    EXPECT_FALSE(window_->monoUseLeft());
    EXPECT_TRUE(window_->action(AEMainWindow::kUseRightChannel)->isChecked());
    EXPECT_TRUE(window_->view().button(AEMainView::kLoop)->isChecked());
    EXPECT_TRUE(window_->view().button(AEMainView::kBypass)->isChecked());
    EXPECT_FALSE(window_->view().button(AEMainView::kMono)->isChecked());
    window_->command(AEMainWindow::kUseLeftChannel);
    EXPECT_TRUE(window_->monoUseLeft());
}

TEST_F(AEMainWindowTest, HelpWithoutAManualSaysWhereItWasLookedFor) {
    const std::vector<std::string> nowhere = {dir_.file("share/doc"), dir_.file("resources")};
    EXPECT_FALSE(HelpMenu::openManual(*app_, nowhere));
    ASSERT_EQ(dialogs_.alerts.size(), 1u);
    EXPECT_NE(dialogs_.alerts[0].find(nowhere[0] + "\n" + nowhere[1]), std::string::npos)
        << dialogs_.alerts[0];
}

namespace {

// The texts of the string table in one language.
QSet<QString> tableTexts(int32_t offset) {
    QSet<QString> texts;
    for (int32_t id = StringTable::kFirstId; id < StringTable::kFirstId + StringTable::kGerman;
         ++id) {
        if (const std::string* text = StringTable::instance().find(id + offset)) {
            texts.insert(QString::fromStdString(*text));
        }
    }
    return texts;
}

void addMenuTexts(const QList<QAction*>& actions, QStringList& texts) {
    for (const QAction* a : actions) {
        // A menu entry's key follows a tab.
        texts << a->text().section(QLatin1Char('\t'), 0, 0);
        if (a->menu()) {
            addMenuTexts(a->menu()->actions(), texts);
        }
    }
}

// What the user can read in `top`: window title, labels, buttons, group boxes, menus and
// tooltips of every widget shown.
QStringList visibleTexts(QWidget* top) {
    QStringList texts{top->windowTitle()};
    QList<QWidget*> widgets = top->findChildren<QWidget*>();
    widgets.prepend(top);
    for (QWidget* w : widgets) {
        if (w != top && !w->isVisibleTo(top)) {
            continue;
        }
        texts << w->toolTip();
        if (const auto* label = qobject_cast<QLabel*>(w)) {
            texts << label->text();
        } else if (const auto* button = qobject_cast<QAbstractButton*>(w)) {
            texts << button->text();
        } else if (const auto* group = qobject_cast<QGroupBox*>(w)) {
            texts << group->title();
        } else if (const auto* bar = qobject_cast<QMenuBar*>(w)) {
            addMenuTexts(bar->actions(), texts);
        }
    }
    texts.removeAll(QString());
    return texts;
}

// The texts of `texts` that are English words of the string table the language's own
// table does not have (an untranslated text).
QStringList english(const QStringList& texts, int32_t offset) {
    static const QSet<QString> englishTexts = tableTexts(StringTable::kEnglish);
    const QSet<QString> own = tableTexts(offset);
    QStringList found;
    for (const QString& text : texts) {
        if (englishTexts.contains(text) && !own.contains(text)) {
            found << text;
        }
    }
    return found;
}

} // namespace

// The window in one of the four languages, as a first start shows it.
class MainWindowLanguageTest
    : public WindowTest,
      public ::testing::WithParamInterface<std::pair<const char*, int32_t>> {
protected:
    MainWindowLanguageTest() : WindowTest(Start::kNothing) {}
    void SetUp() override {
        WindowTest::SetUp();
        RegistryStore().writeText("customLang", GetParam().first);
        makeWindow(false);
    }
    void TearDown() override {
        WindowTest::TearDown();
        RegistryStore().writeText("customLang", "-");
    }
};

// The window with a project of three titles (processed, not processed, missing), the
// information dialog and a question box: nothing the user reads is left in English where the
// language has its own word, every fader name keeps whole words at one readable size.
TEST_P(MainWindowLanguageTest, EverythingTheUserReadsIsInTheLanguage) {
    const int32_t offset = GetParam().second;
    ASSERT_EQ(app_->languageOffset(), offset);
    window_->resize(AEMainWindow::kWidth, AEMainWindow::kHeight);
    AEProject& project = projectOf(3);
    window_->setProjectTitle(app_->projectPath());
    project.title(0)->setStateCode(AETitleProcessState::kProcessed);
    project.title(0)->setProcessedPath(project.title(0)->audioBase() + ".wav");
    project.title(2)->setAudioMissing(true);
    window_->refreshMainView(true);
    window_->show();
    QApplication::processEvents();

    QStringList shown = visibleTexts(window_.get());
    const auto& rows = window_->trackList().rows();
    ASSERT_EQ(rows.size(), 3u);
    for (const AETrackListDisplay::Row& row : rows) {
        shown << row.length << row.pause;
    }
    EXPECT_EQ(rows[2].length, text(3280));
    if (offset == StringTable::kEnglish) {
        // The check has something to find: the English window shows many texts that
        // another language words differently.
        EXPECT_GT(english(shown, StringTable::kGerman).size(), 40);
    } else {
        EXPECT_EQ(english(shown, offset), QStringList());
    }
    for (int slot = 0; slot < AEMainView::kSliders; ++slot) {
        const AEFaderCaption* caption = window_->view().caption(slot);
        EXPECT_TRUE(caption->wordsWhole()) << caption->text().toStdString();
        EXPECT_GE(caption->fittedPoints(), AEFaderCaption::kSmallestPoints);
        EXPECT_EQ(caption->fittedPoints(), window_->view().caption(0)->fittedPoints());
    }

    // The information dialog tells where things are (one dialog however often asked) and
    // copies all of it.
    window_->command(AEMainWindow::kServicePage);
    window_->command(AEMainWindow::kServicePage);
    ASSERT_EQ(window_->findChildren<AEInfoDialog*>().size(), 1);
    QPointer<AEInfoDialog> info = window_->findChild<AEInfoDialog*>();
    QApplication::processEvents();
    const QStringList facts = {
        QStringLiteral(GLEAM_VERSION), QString::fromStdString(RegistryStore().filePath()),
        QString::fromStdString(app_->runLog().path()), text(3317), text(3319)};
    const QStringList infoTexts = visibleTexts(info);
    for (const QString& fact : facts) {
        EXPECT_TRUE(infoTexts.contains(fact)) << fact.toStdString();
    }
    if (offset != StringTable::kEnglish) {
        EXPECT_EQ(english(infoTexts, offset), QStringList());
    }
    info->copyButton()->click();
    const QString copied = QApplication::clipboard()->text();
    for (const QString& fact : facts + QStringList{text(3314), text(3316)}) {
        EXPECT_TRUE(copied.contains(fact)) << fact.toStdString();
    }
    info->closeButton()->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(info.isNull());

    EXPECT_TRUE(dialogs_.alerts.empty());
    const std::unique_ptr<QMessageBox> question = WidgetDialogs::questionBox("?");
    EXPECT_EQ(question->button(QMessageBox::Yes)->text(), text(3324));
    EXPECT_EQ(question->button(QMessageBox::No)->text(), text(3325));

    EXPECT_FALSE(app_->isBusy());
}

INSTANTIATE_TEST_SUITE_P(FourLanguages, MainWindowLanguageTest,
                         ::testing::Values(std::pair{"en", StringTable::kEnglish},
                                           std::pair{"de", StringTable::kGerman},
                                           std::pair{"jp", StringTable::kJapanese},
                                           std::pair{"fr", StringTable::kFrench}));
