#include "AEApplication.h"
#include "AEAudioEngine.h"
#include "ManualLocation.h"
#include "StringTable.h"

#include "FMessageQueue.h"
#include "FString.h"
#include "support/AppStandIns.h"
#include "support/QtTestApp.h"
#include "support/TestDirs.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

namespace {

struct Tracked : FString {
    Tracked(std::string text, bool* gone) : FString(std::move(text)), gone_(gone) {}
    ~Tracked() override { *gone_ = true; }
    bool* gone_;
};

class AEApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        qtTestApp();
        RegistryStore().writeText("customLang", "-");
    }
};

TEST(AEApplicationLanguage, CustomLangThenLocale) {
    bool japanese = true;
    const uint32_t german = 0x0407, french = 0x040C, japaneseLocale = 0x0411, english = 0x0409;
    EXPECT_EQ(AEApplication::chooseLanguage(true, "de", french, japanese), 1000);
    EXPECT_FALSE(japanese);
    EXPECT_EQ(AEApplication::chooseLanguage(true, "jp", german, japanese), 3000);
    EXPECT_TRUE(japanese);
    EXPECT_EQ(AEApplication::chooseLanguage(true, "fr", english, japanese), 6000);
    EXPECT_FALSE(japanese);
    // Any other stored text is English, even on a French system; the test is exact.
    for (const char* other : {"-", "", "DE", "de ", "en", "ja"}) {
        EXPECT_EQ(AEApplication::chooseLanguage(true, other, french, japanese), 0) << other;
        EXPECT_FALSE(japanese);
    }
    EXPECT_EQ(AEApplication::chooseLanguage(false, "", german, japanese), 1000);
    EXPECT_EQ(AEApplication::chooseLanguage(false, "", french, japanese), 6000);
    EXPECT_EQ(AEApplication::chooseLanguage(false, "", japaneseLocale, japanese), 3000);
    EXPECT_TRUE(japanese);
    EXPECT_EQ(AEApplication::chooseLanguage(false, "", english, japanese), 0);
    EXPECT_EQ(AEApplication::chooseLanguage(false, "", 0x0410, japanese), 0);
}

TEST(AEApplicationLanguage, TheManualIsFoundInTheLanguageOrElseInEnglish) {
    TestDir dir;
    const std::string bin = dir.file("usr/bin");
    const std::vector<std::string> folders = ManualLocation::folders(bin);
    ASSERT_GE(folders.size(), 2u);
    EXPECT_EQ(folders[0], dir.file("usr/share/doc/gleam/manual"));
    // The source tree's manual comes last, for a program run from its build tree.
    EXPECT_EQ(ManualLocation::find({folders.back()}, StringTable::kJapanese),
              folders.back() + "/ja.html");
    std::filesystem::create_directories(folders[0]);
    EXPECT_EQ(ManualLocation::find({folders[0]}, StringTable::kGerman), "");
    std::ofstream(folders[0] + "/en.html") << "<html></html>";
    EXPECT_EQ(ManualLocation::find(folders, StringTable::kEnglish), folders[0] + "/en.html");
    // The first folder with a manual wins, in English where it has none in the language.
    EXPECT_EQ(ManualLocation::find(folders, StringTable::kFrench), folders[0] + "/en.html");
    std::ofstream(folders[0] + "/fr.html") << "<html></html>";
    EXPECT_EQ(ManualLocation::find(folders, StringTable::kFrench), folders[0] + "/fr.html");
}

TEST_F(AEApplicationTest, StoredLanguageAndStringIds) {
    RegistryStore().writeText("customLang", "jp");
    AEApplication app;
    EXPECT_EQ(app.languageOffset(), 3000);
    EXPECT_TRUE(app.directorySettings().japaneseLayout());
    EXPECT_EQ(app.stringId(3009, 0), 6009);
    EXPECT_EQ(app.stringId(3009, 1), 3009);
    EXPECT_STREQ(app.loadString(app.stringId(3009, 0)),
                 StringTable::instance().find(6009)->c_str());
    EXPECT_STREQ(app.loadString(2500), "error") << "no such string";
}

// Posting only queues: the messages are handled when delivered. An alert comes as a string
// id, a text the message holds until then, or nothing (the string table's own failure);
// the end of an operation frees the program; a lack of memory is told; the in-place
// editor is closed once; a tag the program does not know is only logged.
TEST_F(AEApplicationTest, MessagesAreHandledWhenDelivered) {
    setenv("GLEAM_LOG", "1", 1);
    AEApplication app;
    unsetenv("GLEAM_LOG");
    RecordingWindow window;
    ScriptedDialogs dialogs;
    struct Editor : AEInPlaceEditor {
        void close() override { ++closes; }
        int closes = 0;
    } editor;
    app.setMainWindow(&window);
    app.setDialogs(&dialogs);
    app.setInPlaceEditor(&editor);
    app.setBusy(true);
    bool released = false;
    app.postAppMessage(20, app.stringId(3008, 0));
    app.postAppMessage(20, 0, 0, FRef<FShared>::adopt(new Tracked("Disk full", &released)));
    app.postAppMessage(20);
    app.postAppMessage(20, 9999); // no such string
    for (int32_t tag :
         {int32_t{8}, int32_t{AppHost::kTagOutOfMemory}, int32_t{AppHost::kTagEndOfOperation},
          int32_t{29}, int32_t{3}, int32_t{3}}) {
        app.postAppMessage(tag);
    }
    EXPECT_TRUE(dialogs.alerts.empty()) << "posting must not handle";
    EXPECT_FALSE(released) << "the message holds the text until it is handled";
    FMessageQueue::deliverPending();
    EXPECT_EQ(dialogs.alerts,
              (std::vector<std::string>{"Not enough diskspace to complete this operation.",
                                        "Disk full", "Could not read application string table",
                                        "There's not enough memory to complete this operation."}));
    EXPECT_EQ(dialogs.ownedFlags, (std::vector<bool>{true, true, false, true}));
    EXPECT_TRUE(released);
    EXPECT_FALSE(app.isBusy());
    EXPECT_EQ(window.callsOf("endOfOperation").size(), 1u);
    EXPECT_EQ(editor.closes, 1);
    EXPECT_EQ(app.inPlaceEditor(), nullptr);
    const std::string log = fileText(app.runLog().path());
    size_t unknown = 0;
    for (size_t at = log.find("Application notify: unknown event received");
         at != std::string::npos;
         at = log.find("Application notify: unknown event received", at + 1)) {
        ++unknown;
    }
    EXPECT_EQ(unknown, 2u) << "tags 8 and 29";
    app.setMainWindow(nullptr);
    app.setDialogs(nullptr);
}

TEST_F(AEApplicationTest, StartChoiceAndCommandLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "openProject"}, {"/records/side-a.dat", "openPath /records/side-a.dat"}};
    for (const auto& [commandLine, call] : cases) {
        AEApplication app(commandLine);
        RecordingWindow window;
        window.startChoice = *commandLine ? 1 : 1012;
        app.setMainWindow(&window);
        QTimer::singleShot(0, [&app] { app.quit(); });
        app.run();
        EXPECT_EQ(window.calls.back(), call);
        app.setMainWindow(nullptr);
    }
}

TEST_F(AEApplicationTest, SettingsAtStartAndExit) {
    RegistryStore store;
    store.writeInt("volOutLeft", 1234);
    store.writeInt("wndXpos", 3000);
    store.writeText("mp3ImportDir", "/music/import/");
    {
        AEApplication app;
        EXPECT_EQ(app.volume(0), 1234);
        EXPECT_EQ(app.volume(3), 65535);
        EXPECT_EQ(app.cdCapacitySeconds(), 4800);
        const std::string home = std::string(std::getenv("HOME")) + "/";
        EXPECT_EQ(DirectorySettings::defaultDirectory(), home);
        EXPECT_EQ(app.directory(3), home);
        EXPECT_EQ(app.defaultProjectPath(), home + "No artist.dat");
        EXPECT_TRUE(app.open());
        // Open stores every directory, an existing one as it was.
        std::string text;
        for (const char* name : DirectorySettings::kNames) {
            EXPECT_TRUE(store.readText(name, text, "-")) << name;
            EXPECT_EQ(text, std::string(name) == "mp3ImportDir" ? "/music/import/" : home) << name;
        }
        EXPECT_GE(app.freePercent(), 0);
        EXPECT_LE(app.freePercent(), 100);
        EXPECT_GT(app.freeSpace(), 0.0f);
        app.setDirectory(1, "/exports/");
        app.setVolume(3, 77);
    }
    std::string text;
    EXPECT_TRUE(store.readText("exportAudioDir", text, "-"));
    EXPECT_EQ(text, "/exports/");
    int32_t n = 0;
    EXPECT_TRUE(store.readInt("volInRight", n, 0));
    EXPECT_EQ(n, 77);
    EXPECT_TRUE(store.readInt("volOutRight", n, 0));
    EXPECT_EQ(n, 65535);
    // The language choice is never written back.
    EXPECT_TRUE(store.readText("customLang", text, "?"));
    EXPECT_EQ(text, "-");
}

TEST_F(AEApplicationTest, ARefusedQuitLeavesEverythingRunning) {
    AEApplication app;
    RecordingWindow window;
    app.setMainWindow(&window);
    ASSERT_TRUE(app.engine().startThread());
    app.setBusy(true);
    app.requestQuit();
    EXPECT_FALSE(app.quitRequested());
    EXPECT_TRUE(app.engine().threadRunning()) << "playback must still work afterwards";
    EXPECT_TRUE(std::find(window.calls.begin(), window.calls.end(), "end") == window.calls.end());
    app.setBusy(false);
    app.requestQuit();
    EXPECT_TRUE(app.quitRequested());
    EXPECT_TRUE(app.quitCalled());
    app.setMainWindow(nullptr);
}

TEST_F(AEApplicationTest, ProgressFromAnotherThreadReachesTheObserverAndTheCounters) {
    AEApplication app;
    std::vector<std::pair<int64_t, int64_t>> seen;
    std::mutex guard;
    app.setProgressObserver([&](int64_t value, int64_t maximum) {
        std::lock_guard lock(guard);
        seen.emplace_back(value, maximum);
    });
    std::thread worker([&app] {
        app.progressBegin(3);
        for (int i = 0; i < 3; ++i) {
            app.progressAdvance();
        }
    });
    worker.join();
    EXPECT_TRUE(app.progressActive());
    EXPECT_EQ(app.progressValue(), 3);
    EXPECT_EQ(app.progressMaximum(), 3);
    app.progressEnd();
    EXPECT_FALSE(app.progressActive());
    std::vector<std::pair<int64_t, int64_t>> expected{{0, 3}, {1, 3}, {2, 3}, {3, 3}, {-1, 0}};
    EXPECT_EQ(seen, expected);
}

} // namespace
