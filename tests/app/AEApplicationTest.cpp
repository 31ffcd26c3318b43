#include "AEApplication.h"
#include "ManualLocation.h"
#include "StringTable.h"

#include "FMessageQueue.h"
#include "FString.h"
#include "support/AppStandIns.h"
#include "support/QtTestApp.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
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
    // A stored language wins over the locale (each of the four: MainWindowLanguageTest); any
    // other stored text is English, even on a French system; the test is exact.
    EXPECT_EQ(AEApplication::chooseLanguage(true, "jp", english, japanese), 3000);
    EXPECT_TRUE(japanese);
    for (const char* other : {"-", "", "DE", "de ", "en", "ja"}) {
        EXPECT_EQ(AEApplication::chooseLanguage(true, other, french, japanese), 0) << other;
        EXPECT_FALSE(japanese);
    }
    EXPECT_EQ(AEApplication::chooseLanguage(false, "", german, japanese), 1000);
    EXPECT_EQ(AEApplication::chooseLanguage(false, "", french, japanese), 6000);
    EXPECT_EQ(AEApplication::chooseLanguage(false, "", japaneseLocale, japanese), 3000);
    EXPECT_TRUE(japanese);
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
    AEApplication app; // the texts in each language: MainWindowLanguageTest
    EXPECT_TRUE(app.directorySettings().japaneseLayout());
    EXPECT_EQ(app.stringId(3009, 1), 3009);
    EXPECT_STREQ(app.loadString(2500), "error") << "no such string";
}

// Posting only queues: the messages are handled when delivered. An alert comes as a string
// id, a text the message holds until then, or nothing (the string table's own failure);
// the end of an operation frees the program; a lack of memory is told; the in-place
// editor is closed once; a tag the program does not know changes nothing.
TEST_F(AEApplicationTest, MessagesAreHandledWhenDelivered) {
    AEApplication app;
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
    app.setMainWindow(nullptr);
    app.setDialogs(nullptr);
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
        const std::string home = std::string(std::getenv("HOME")) + "/";
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

} // namespace
