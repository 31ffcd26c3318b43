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

TEST(AETimeTextTest, MinutesAndSeconds) {
    EXPECT_EQ(AETimeText::minutesSeconds(kSecond), "00:01");
    EXPECT_EQ(AETimeText::minutesSeconds(kSecond - 1), "00:00");
    EXPECT_EQ(AETimeText::minutesSeconds(frames(3, 5)), "03:05");
    EXPECT_EQ(AETimeText::minutesSeconds(frames(10, 0)), "10:00");
    EXPECT_EQ(AETimeText::minutesSeconds(frames(9, 59)), "09:59");
    EXPECT_EQ(AETimeText::minutesSeconds(frames(10, 10)), "10:10");
    EXPECT_EQ(AETimeText::minutesSeconds(frames(123, 5)), "123:05");
}

TEST(AETimeTextTest, HoursMinutesAndSeconds) {
    EXPECT_EQ(AETimeText::hoursMinutesSeconds(158760000), "1:00:00");
    EXPECT_EQ(AETimeText::hoursMinutesSeconds(158760000 - 1), "0:59:59");
    EXPECT_EQ(AETimeText::hoursMinutesSeconds(0), "0:00:00");
    EXPECT_EQ(AETimeText::hoursMinutesSeconds(frames(9, 9)), "0:09:09");
    EXPECT_EQ(AETimeText::hoursMinutesSeconds(frames(130, 10)), "2:10:10");
    EXPECT_EQ(AETimeText::hoursMinutesSecondsOfSeconds(3725), "1:02:05");
    EXPECT_EQ(AETimeText::hoursMinutesSecondsOfSeconds(36000 + 59), "10:00:59");
}

TEST(AETimeTextTest, FromPeakBlocks) {
    // 172 blocks are 44 032 frames, 173 are 44 288: the first whole second.
    EXPECT_EQ(AETimeText::hoursMinutesSecondsOfBlocks(172), "0:00:00");
    EXPECT_EQ(AETimeText::hoursMinutesSecondsOfBlocks(173), "0:00:01");
    // An hour is 620 156.25 blocks.
    EXPECT_EQ(AETimeText::hoursMinutesSecondsOfBlocks(620156), "0:59:59");
    EXPECT_EQ(AETimeText::hoursMinutesSecondsOfBlocks(620157), "1:00:00");
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

TEST(AEExportTest, ATotalBeyondTheDiscNamesTheDiscsCapacity) {
    AEProject project;
    project.setProjectTitle("Long");
    addTitle(project, "A", "All", frames(81, 8), "2");
    const std::string text = AEExport::titleListText(project, 4800);
    EXPECT_NE(text.find("\nTotal time is greater than 80 Min (81:10).\n"), std::string::npos)
        << text;
    // A disc of 74 minutes says so.
    EXPECT_NE(AEExport::titleListText(project, 74 * 60).find("greater than 74 Min (81:10)."),
              std::string::npos);
}

TEST(AEExportTest, ATotalThatFitsIsShownAsItIs) {
    AEProject project;
    addTitle(project, "A", "One", frames(40, 0), "0");
    addTitle(project, "B", "Two", frames(35, 8), "2");
    const std::string text = AEExport::titleListText(project);
    EXPECT_NE(text.find("\nTotal time: 75:10.\n"), std::string::npos) << text;
}

TEST(AEExportTest, TheListUsesTheUsersLanguageAndTwoDigitNumbers) {
    ProjectTest::RecordingHost host;
    AEProject project;
    project.setProjectTitle("X");
    for (int i = 0; i < 12; ++i) {
        addTitle(project, "a", "t" + std::to_string(i + 1), frames(0, 8), "0");
    }
    const std::string text = AEExport::titleListText(project);
    EXPECT_EQ(text.substr(0, 10), "S3062:\nX\n\n");
    EXPECT_NE(text.find("\n09\ta\tt9\t00:08\n10\ta\tt10\t00:08\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nS3063: 01:36.\n\nS3065\n"), std::string::npos) << text;
}

TEST(AEExportTest, TheListFileIsWrittenOnlyForTitles) {
    TestDir dir;
    AEProject project;
    const std::string path = dir.file("Tracklist.txt");
    EXPECT_FALSE(AEExport::exportTitleList(nullptr, path));
    EXPECT_FALSE(AEExport::exportTitleList(&project, path));
    EXPECT_FALSE(std::filesystem::exists(path));

    addTitle(project, "A", "One", frames(7, 0), "2");
    EXPECT_FALSE(AEExport::exportTitleList(&project, dir.file("missing/Tracklist.txt")));
    ASSERT_TRUE(AEExport::exportTitleList(&project, path));
    EXPECT_EQ(ProjectTest::readFile(path), AEExport::titleListText(project));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1)
        << "nothing beside it";
}

TEST(AEExportTest, AFullDiskLeavesNoPartialList) {
    TestDir dir;
    AEProject project;
    for (int i = 0; i < 90; ++i) {
        addTitle(project, std::string(200, 'a'), std::string(200, 'n'), frames(0, 8), "0");
    }
    {
        ProjectTest::FileSizeLimit limit(4096);
        EXPECT_FALSE(AEExport::exportTitleList(&project, dir.file("Tracklist.txt")));
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

} // namespace
