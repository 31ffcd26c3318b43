// The window program's start: the checks, the window at its size in the middle of the
// screen, the start dialog's three answers (given by the test, never left waiting), the
// project named on the command line, and the project saved at shutdown.
#include "AEMainWindow.h"
#include "AEProject.h"
#include "AETitle.h"
#include "AEWindowApplication.h"
#include "RegistryStore.h"
#include "project/ProjectTestSupport.h"
#include "support/TestDirs.h"
#include "ui/WindowHarness.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int32_t kQuestion = 3100;
constexpr int32_t kCreateNew = 3101;
constexpr int32_t kOpenExisting = 3102;
constexpr int32_t kCancel = 3103;

// The window application as the program makes it, with the test's file chooser and,
// when asked, a screen of another colour depth.
class TestApplication : public AEWindowApplication {
public:
    TestApplication(std::string commandLine, ScriptedChooser::Shared& chooser,
                    ScriptedDialogs& dialogs)
        : AEWindowApplication(std::move(commandLine)), chooser_(chooser) {
        setDialogs(&dialogs);
    }
    ~TestApplication() override { setDialogs(nullptr); }
    int32_t depth = 0; // 0: the real screen's

protected:
    int32_t screenBitsPerPixel() const override {
        return depth > 0 ? depth : AEWindowApplication::screenBitsPerPixel();
    }
    void windowMade(AEMainWindow& window) override {
        window.setFileChooser(std::make_unique<ScriptedChooser>(chooser_));
    }

private:
    ScriptedChooser::Shared& chooser_;
};

// What the start dialog asked, and what the program was like meanwhile.
struct StartDialogAnswer {
    QString question;
    QStringList buttons;
    bool windowShownMeanwhile = false;
    bool engineRunningMeanwhile = false;
    QRect windowGeometry;
};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        widgetTestApp();
        RegistryStore().writeText("customLang", "-");
    }

    QString text(AEApplication& app, int32_t id) {
        return QString::fromUtf8(app.loadString(app.stringId(id, 0)));
    }

    // Runs `app` whole: start hook, message loop, then a quit asked through the
    // program's own request. The start dialog, when it comes, gets button `answer`.
    // One timer does both, so the quit can never reach the dialog's own loop first.
    StartDialogAnswer runAnswering(TestApplication& app, int32_t answer) {
        StartDialogAnswer seen;
        const QString wanted = text(app, answer);
        QTimer driver;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) {
                // The main loop runs: the start is over.
                driver.stop();
                app.requestQuit();
                return;
            }
            seen.question = box->text();
            seen.engineRunningMeanwhile = app.engine().threadRunning();
            if (AEMainWindow* window = app.window()) {
                seen.windowShownMeanwhile = window->isVisible();
                seen.windowGeometry = QRect(window->pos(), window->size());
            }
            for (QAbstractButton* button : box->buttons()) {
                seen.buttons << button->text();
            }
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == wanted) {
                    button->click();
                    return;
                }
            }
            box->reject();
        });
        driver.start(10);
        EXPECT_EQ(app.run(), 0);
        return seen;
    }

    // The project of `path` is the program's, and the window says so.
    static void expectProjectOpen(TestApplication& app, const std::string& path) {
        ASSERT_NE(app.project(), nullptr);
        EXPECT_EQ(app.projectPath(), path);
        ASSERT_NE(app.window(), nullptr);
        EXPECT_TRUE(app.window()->projectLoaded());
        EXPECT_EQ(app.window()->windowTitle(), QString::fromStdString(path + "  -  Gleam!"));
    }

    TestDir dir_;
    ScriptedDialogs dialogs_;
    ScriptedChooser::Shared chooser_;
};

// A project at `path` with one title of 8 seconds of test audio.
void makeProject(const std::string& directory, const std::string& path) {
    const std::string wave = directory + "/44100-2-16-8s.wav";
    ProjectTest::writeWave(wave, 8 * 44100);
    std::unique_ptr<AEProject> project = AEProject::createForPath(path);
    ASSERT_TRUE(project->addImportedFile(wave));
    ASSERT_TRUE(project->save(path));
}

} // namespace

// The window opens centred at its size whatever the position stored; Cancel leaves no project.
TEST_F(StartupTest, CancelLeavesTheProgramWithoutAProjectAndQuitsCleanly) {
    RegistryStore store;
    store.writeInt("wndXpos", 3000);
    store.writeInt("wndYpos", -40);
    TestApplication app({}, chooser_, dialogs_);
    const StartDialogAnswer seen = runAnswering(app, kCancel);
    EXPECT_EQ(seen.question, text(app, kQuestion));
    EXPECT_EQ(seen.buttons,
              (QStringList{text(app, kCreateNew), text(app, kOpenExisting), text(app, kCancel)}));
    // The window is up before the question is asked.
    EXPECT_TRUE(seen.windowShownMeanwhile);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(seen.windowGeometry.size(), QSize(738, 548));
    EXPECT_EQ(seen.windowGeometry.topLeft(), QPoint(screen.x() + (screen.width() - 738) / 2,
                                                    screen.y() + (screen.height() - 548) / 2));
    EXPECT_EQ(app.project(), nullptr);
    EXPECT_TRUE(chooser_.titles.empty()) << "Cancel opens no file dialog";
    EXPECT_TRUE(seen.engineRunningMeanwhile);
    EXPECT_TRUE(app.quitRequested());
    EXPECT_TRUE(dialogs_.alerts.empty());
}

TEST_F(StartupTest, CreateNewMakesTheProjectAndShutdownSavesIt) {
    const std::string path = dir_.file("Side A.dat");
    const std::string wave = dir_.file("44100-2-16-8s.wav");
    ProjectTest::writeWave(wave, 8 * 44100);
    {
        TestApplication app({}, chooser_, dialogs_);
        chooser_.answers.push_back(QString::fromStdString(path));
        runAnswering(app, kCreateNew);
        ASSERT_EQ(chooser_.titles.size(), 1u);
        expectProjectOpen(app, path);
        ASSERT_NE(app.project(), nullptr);
        // Changed after the last save: only the shutdown can have written this.
        ASSERT_TRUE(app.project()->addImportedFile(wave));
        app.project()->title(0)->setDisplayName("Saved at exit");
    }
    std::unique_ptr<AEProject> reloaded = AEProject::load(path);
    ASSERT_NE(reloaded, nullptr);
    ASSERT_EQ(reloaded->titleCount(), 1);
    EXPECT_EQ(reloaded->title(0)->displayName(), "Saved at exit");
}

// Each way in: Open existing in the start dialog (its file dialog answered or cancelled), a
// project named on the command line (no start dialog); the project opened, or none. (A file
// that is no project: AEMainWindowTest.AFileThatIsNoProjectLeavesTheOpenOneInPlace, the same
// opening.)
TEST_F(StartupTest, EachWayInOpensTheProjectItNamesOrNone) {
    const std::string tapes = dir_.file("Tapes.dat");
    makeProject(dir_.path(), tapes);
    const struct {
        const char* what;
        std::string commandLine;
        int32_t answer;
        const char* chosen; // the file dialog's answer; null: no file dialog
        std::string opened;
    } cases[] = {
        {"open existing", "", kOpenExisting, "Tapes.dat", tapes},
        {"open existing, cancelled", "", kOpenExisting, "", ""},
        {"command line", tapes, kCancel, nullptr, tapes},
    };
    for (const auto& c : cases) {
        chooser_ = {};
        TestApplication app(c.commandLine, chooser_, dialogs_);
        if (c.chosen) {
            chooser_.answers.push_back(*c.chosen ? QString::fromStdString(dir_.file(c.chosen))
                                                 : QString());
        }
        const StartDialogAnswer seen = runAnswering(app, c.answer);
        EXPECT_EQ(chooser_.titles.size(), c.chosen ? 1u : 0u) << c.what;
        if (c.opened.empty()) {
            EXPECT_EQ(app.project(), nullptr) << c.what;
        } else {
            expectProjectOpen(app, c.opened);
            EXPECT_EQ(app.project()->titleCount(), 1) << c.what;
            EXPECT_EQ(seen.question.isEmpty(), !c.commandLine.empty()) << c.what;
        }
        EXPECT_TRUE(dialogs_.alerts.empty()) << c.what;
    }
}

// The colour check comes before the screen saver, the directories, the device and the
// worker: with too few colours nothing runs, and the whole start ends without a window or
// a start dialog; 16 bits are enough.
TEST_F(StartupTest, TooFewColoursStopTheStartBeforeAnythingRuns) {
    for (const int32_t depth : {8, 16}) {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "Vortanix", "Gleam")
            .remove("mp3ExportDir");
        dialogs_.alerts.clear();
        TestApplication app({}, chooser_, dialogs_);
        app.depth = depth;
        const bool enough = depth == 16;
        EXPECT_EQ(app.open(), enough) << depth;
        EXPECT_EQ(dialogs_.alerts, enough ? std::vector<std::string>{}
                                          : std::vector<std::string>{
                                                "You need at least 32768 colors to run Gleam!"});
        EXPECT_EQ(app.window() != nullptr, enough) << depth;
        EXPECT_EQ(app.engine().threadRunning(), enough) << depth;
        std::string text;
        EXPECT_EQ(RegistryStore().readText("mp3ExportDir", text, "-"), enough) << depth;
        if (!enough) {
            EXPECT_FALSE(app.deviceServices().screenSaverDisabled());
            const StartDialogAnswer seen = runAnswering(app, kCreateNew);
            EXPECT_TRUE(seen.question.isEmpty());
            EXPECT_TRUE(app.quitRequested());
            EXPECT_EQ(app.project(), nullptr);
            EXPECT_TRUE(chooser_.titles.empty());
        }
    }
}
