// Time texts and the title list.
#include "AEExport.h"

#include "AETimeText.h"
#include "ProjectTestSupport.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr int64_t kSecond = 44100;

int32_t frames(int64_t minutes, int64_t seconds) {
    return static_cast<int32_t>((minutes * 60 + seconds) * kSecond);
}

// A title of `length` frames, all of it played, with `pause` seconds before it.
void addTitle(AEProject& project, const std::string& artist, const std::string& name,
              int32_t length, const char* pause) {
    ASSERT_TRUE(project.addTitle(false));
    AETitle& title = *project.title(project.titleCount() - 1);
    title.setArtist(artist);
    title.setDisplayName(name);
    title.setLength(length);
    title.setPauseSeconds(pause);
    title.setFadePoint(0, 0);
    title.setFadePoint(1, 0);
    title.setFadePoint(2, length);
    title.setFadePoint(3, length);
}

// Times as the lists and the window show them, at the edges of their units. Peak blocks
// hold 256 frames: 172 are 44 032 frames, 173 are 44 288; an hour is 620 156.25 blocks.
TEST(AETimeTextTest, TimesAtTheEdgesOfTheirUnits) {
    namespace T = AETimeText;
    const std::pair<std::string, std::string> rows[] = {
        {T::minutesSeconds(kSecond), "00:01"},
        {T::minutesSeconds(kSecond - 1), "00:00"},
        {T::minutesSeconds(frames(10, 10)), "10:10"},
        {T::minutesSeconds(frames(123, 5)), "123:05"},
        {T::hoursMinutesSeconds(158760000), "1:00:00"},
        {T::hoursMinutesSeconds(158760000 - 1), "0:59:59"},
        {T::hoursMinutesSecondsOfSeconds(36000 + 59), "10:00:59"},
        {T::hoursMinutesSecondsOfBlocks(172), "0:00:00"},
        {T::hoursMinutesSecondsOfBlocks(173), "0:00:01"},
        {T::hoursMinutesSecondsOfBlocks(620156), "0:59:59"},
        {T::hoursMinutesSecondsOfBlocks(620157), "1:00:00"},
    };
    for (const auto& [shown, expected] : rows) {
        EXPECT_EQ(shown, expected);
    }
}

TEST(AEExportTest, TheTitleListOfThreeTitles) {
    // No application: the English texts.
    AEProject project;
    project.setProjectTitle("Sunday Records");
    addTitle(project, "Band A", "First", frames(3, 5), "2");
    addTitle(project, "Band B", "Second", frames(10, 0), "2");
    addTitle(project, "Band C", "Third", frames(0, 7), "1");
    EXPECT_EQ(AEExport::titleListText(project), "Tracklist of:\nSunday Records\n\n"
                                                "01\tBand A\tFirst\t03:05\n"
                                                "02\tBand B\tSecond\t10:00\n"
                                                "03\tBand C\tThird\t00:07\n"
                                                "\nTotal time: 13:17.\n"
                                                "\nEnd of Tracklist.\n");
}

// Beyond the disc's capacity the total names it. (A total that fits: TheTitleListOfThreeTitles.)
TEST(AEExportTest, ATotalBeyondTheDiscNamesTheDiscsCapacity) {
    AEProject project;
    addTitle(project, "A", "All", frames(81, 8), "2");
    const std::string text = AEExport::titleListText(project, 74 * 60);
    EXPECT_NE(text.find("\nTotal time is greater than 74 Min (81:10).\n"), std::string::npos)
        << text;
}

// The list file is written only for titles, and never in part (a full disk leaves none).
TEST(AEExportTest, TheListFileIsWrittenWholeOrNotAtAll) {
    TestDir dir;
    AEProject project;
    const std::string path = dir.file("Tracklist.txt");
    EXPECT_FALSE(AEExport::exportTitleList(nullptr, path));
    EXPECT_FALSE(AEExport::exportTitleList(&project, path));
    for (int i = 0; i < 90; ++i) {
        addTitle(project, std::string(200, 'a'), std::string(200, 'n'), frames(0, 8), "0");
    }
    EXPECT_FALSE(AEExport::exportTitleList(&project, dir.file("missing/Tracklist.txt")));
    {
        ProjectTest::FileSizeLimit limit(4096);
        EXPECT_FALSE(AEExport::exportTitleList(&project, path));
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    ASSERT_TRUE(AEExport::exportTitleList(&project, path));
    EXPECT_EQ(ProjectTest::readFile(path), AEExport::titleListText(project));
}

} // namespace
