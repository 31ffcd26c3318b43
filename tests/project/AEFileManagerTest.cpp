// The file manager: title files by index, lengths, the base directory, disk space and the
// peak file of an import. (The engine hand-over: EditOperationsTest; deleteFiles, which
// nothing calls, is left untested: a title's files go with AEProject::deleteTitle.)
#include "AEFileManager.h"

#include "AEPeakData.h"
#include "AEProject.h"

#include "AudioFile.h"

#include "ProjectTestSupport.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

namespace {

class FileManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        project.addTitle(true);
        project.title(0)->setAudioBase(dir.file("first"));
        manager.setProject(&project);
    }

    ProjectTest::RecordingHost host;
    TestDir dir;
    AEProject project;
    AEFileManager manager;
};

TEST_F(FileManagerTest, FileNamesAndLengthsFollowTheProcessingState) {
    EXPECT_EQ(manager.getFileName(0), dir.file("first.wav"));
    EXPECT_EQ(manager.getLength(0), -1);
    EXPECT_EQ(manager.getLengthOfPath(dir.file("first.wav")), 0);
    ProjectTest::writeWave(dir.file("first.wav"), 12345);
    EXPECT_EQ(manager.getLength(0), 12345);
    ProjectTest::writeFile(dir.file("text.wav"), "not audio at all");
    EXPECT_EQ(manager.getLengthOfPath(dir.file("text.wav")), 0);
    project.title(0)->setProcessedPath(dir.file("x.p.wav"));
    project.title(0)->setStateCode(3);
    EXPECT_EQ(manager.getFileName(0), dir.file("x.p.wav"));
    project.title(0)->setStateCode(2);
    EXPECT_EQ(manager.getFileName(0), dir.file("first.wav"));
    EXPECT_EQ(manager.getFileName(1), "") << "no such title";
    EXPECT_TRUE(host.messages.empty());

    manager.setProject(nullptr);
    EXPECT_EQ(manager.getFileName(0), "error");
    EXPECT_EQ(manager.getLength(0), -1);
}

TEST_F(FileManagerTest, TheBaseDirectoryIsTheProjectsOrTheLastDirectory) {
    project.setBaseDirectory(dir.path() + "/not/made/yet/");
    const int64_t total = manager.totalSpaceKB();
    const int64_t free = manager.freeSpaceKB();
    ASSERT_GT(total, 0);
    ASSERT_GT(free, 1722) << "the test needs some room";
    EXPECT_LE(free, total);
    EXPECT_TRUE(manager.hasRoomForFrames(441000)) << "10 s need more than 1722 KB";
    EXPECT_FALSE(manager.hasRoomForFrames((total + 1) * 256));
    project.setBaseDirectory("/records/2024/");
    EXPECT_EQ(manager.baseDirectory(), "/records/2024/");
    manager.setProject(nullptr);
    EXPECT_EQ(manager.baseDirectory(), AEFileManager::defaultDirectory());
    manager.setLastDirectorySource([] { return std::string("/last/used/"); });
    EXPECT_EQ(manager.baseDirectory(), "/last/used/");
}

TEST_F(FileManagerTest, AnImportGetsItsWholePeakFile) {
    const std::string file = dir.file("import.wav");
    const int32_t frames = 256 * 300 + 17;
    ProjectTest::writeWave(file, frames);
    ASSERT_TRUE(manager.newImportFile(file));
    const std::string peaks = ProjectTest::readFile(dir.file("import.pk"));
    ASSERT_EQ(peaks.size(), size_t{(frames / 256 + 1) * 4}) << "not the empty recording buffer";

    AudioFile audio(file);
    AEPeakData fresh(&audio);
    ASSERT_TRUE(fresh.compute());
    EXPECT_EQ(peaks, ProjectTest::readFile(dir.file("import.pk")));
    EXPECT_NE(peaks, std::string(peaks.size(), '\0'));

    // Importing again finds the peak file and leaves it as it is.
    ASSERT_TRUE(manager.newImportFile(file));
    EXPECT_EQ(ProjectTest::readFile(dir.file("import.pk")), peaks);
    EXPECT_FALSE(manager.newImportFile(dir.file("missing.wav")));
}

} // namespace
