// The project model: adding, importing, deleting, moving, stepping and selecting titles,
// the defaults of titles and of missing titles, and the disc time.
#include "AEProject.h"
#include "AEPeakData.h"

#include "ProjectTestSupport.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <filesystem>

using ProjectTest::kSevenSeconds;

namespace {

using ProjectTest::EngineProbe;

class ProjectTest_ : public ::testing::Test {
protected:
    // A project of `count` titles named after their first position ("T0", "T1" ...).
    void fill(int32_t count) {
        for (int32_t i = 0; i < count; ++i) {
            ASSERT_TRUE(project.addTitle(true));
            const std::string name = "T" + std::to_string(project.titleCount() - 1);
            project.title(project.titleCount() - 1)->setDisplayName(name);
            project.title(project.titleCount() - 1)->setAudioBase(dir.file(name));
        }
    }
    std::vector<std::string> names() const {
        std::vector<std::string> list;
        for (int32_t i = 0; i < project.titleCount(); ++i) {
            list.push_back(project.displayName(i));
            EXPECT_EQ(project.fileIndex(i), i);
        }
        return list;
    }
    int selectedCount() const {
        int count = 0;
        for (int32_t i = 0; i < project.titleCount(); ++i) {
            count += project.isSelected(i);
        }
        return count;
    }

    ProjectTest::RecordingHost host;
    EngineProbe engine;
    TestDir dir;
    AEProject project;
};

// A new title is numbered in the program's language (English without one) and not made
// current unless asked; titles are numbered up to 99 and no more; an import takes the
// file's name and length, plays all of it and has nothing switched on.
TEST_F(ProjectTest_, NewTitlesAreNumberedUpTo99AndImportsTakeTheirFile) {
    ASSERT_TRUE(project.addTitle(false));
    EXPECT_EQ(project.displayName(0), "S3007 1");
    EXPECT_EQ(project.currentTitle(), -1) << "not made current";
    const std::string file = dir.file("Side A.take2.wav");
    ProjectTest::writeWave(file, kSevenSeconds + 1000);
    ASSERT_TRUE(project.addImportedFile(file));
    const AETitle& t = *project.title(1);
    EXPECT_EQ(t.displayName(), "Side A.take2");
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(t.fadePoint(k), k < 2 ? 0 : kSevenSeconds + 1000) << k;
    }
    for (int slot = 0; slot < AETitle::kSlots; ++slot) {
        EXPECT_FALSE(t.processorEnabled(slot));
    }
    EXPECT_EQ(project.currentTitle(), 1);
    EXPECT_FALSE(project.addImportedFile(dir.file("nothing.wav")));
    EXPECT_EQ(project.titleCount(), 2) << "no title points at a missing file";

    fill(96);
    ASSERT_TRUE(project.addTitle(true));
    EXPECT_EQ(project.displayName(98), "S3007 99");
    EXPECT_EQ(project.currentTitle(), 98);
    EXPECT_EQ(selectedCount(), 1);
    EXPECT_FALSE(project.addTitle(true));
    EXPECT_FALSE(project.addImportedFile(file));
    EXPECT_EQ(project.titleCount(), 99);
    for (int32_t index : {99, -1}) {
        EXPECT_EQ(project.title(index), nullptr);
        EXPECT_EQ(project.fileIndex(index), -1);
        EXPECT_EQ(project.currentAudioPath(index), "");
    }
}

// With its files a title takes its audio and peaks along: the processed file it plays
// (not the recording), and no audio another title shares (in any letter case).
TEST_F(ProjectTest_, DeletingWithFilesRemovesWhatTheTitleAlonePlays) {
    fill(4);
    project.title(1)->setAudioBase(dir.file("t0")); // "T0" in other letters
    const std::string processed = dir.file("x.p.wav");
    project.title(2)->setProcessedPath(processed);
    project.title(2)->setStateCode(3);
    for (const std::string& file :
         {dir.file("T0.wav"), AEPeakData::peakPath(dir.file("T0.wav")), processed,
          dir.file("x.p.pk"), dir.file("T2.wav"), dir.file("T3.wav"), dir.file("T3.pk")}) {
        ProjectTest::writeFile(file, "data");
    }
    ASSERT_TRUE(project.deleteTitle(3, true));
    EXPECT_FALSE(std::filesystem::exists(dir.file("T3.wav")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("T3.pk")));
    ASSERT_TRUE(project.deleteTitle(2, true));
    EXPECT_FALSE(std::filesystem::exists(processed));
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.p.pk")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("T2.wav"))) << "only the file the title plays";
    ASSERT_TRUE(project.deleteTitle(0, true));
    EXPECT_TRUE(std::filesystem::exists(dir.file("T0.wav"))) << "title 1 still plays it";
    ASSERT_TRUE(project.deleteTitle(0, true)) << "missing files are no error";
    EXPECT_EQ(engine.loaded, (std::vector<int32_t>{-1})) << "the last title releases the engine";
}

TEST_F(ProjectTest_, MovingTheCurrentTitle) {
    fill(3);
    ASSERT_TRUE(project.select(0));
    ASSERT_TRUE(project.moveCurrentDown());
    EXPECT_EQ(names(), (std::vector<std::string>{"T1", "T0", "T2"}));
    EXPECT_EQ(project.currentTitle(), 1);
    ASSERT_TRUE(project.moveCurrentDown());
    EXPECT_EQ(project.currentTitle(), 2);
    EXPECT_FALSE(project.moveCurrentDown()) << "already last";
    EXPECT_TRUE(project.isSelected(2));
    project.deleteTitle(0, false);
    EXPECT_FALSE(project.moveCurrentUp()) << "no current title";
    EXPECT_FALSE(project.moveCurrentDown());
}

TEST_F(ProjectTest_, SteppingThroughTitles) {
    fill(1);
    project.select(0);
    for (int32_t direction = 0; direction < 4; ++direction) {
        EXPECT_FALSE(project.step(direction)) << "one title";
    }
    fill(3);
    ASSERT_TRUE(project.select(1));
    project.title(1)->setMarker(1, 5000);
    project.title(1)->setMarker(0, 7);
    ASSERT_TRUE(project.step(AEProject::kNext));
    EXPECT_EQ(project.currentTitle(), 2);
    EXPECT_EQ(project.marker(1, 1), -1) << "the left title's marker is unset";
    EXPECT_EQ(project.marker(1, 0), 7);
    EXPECT_EQ(selectedCount(), 1);
    EXPECT_TRUE(project.isSelected(2));
    ASSERT_TRUE(project.step(AEProject::kLast));
    EXPECT_EQ(project.currentTitle(), 3);
    EXPECT_FALSE(project.step(AEProject::kNext));
    EXPECT_FALSE(project.step(AEProject::kLast));
    ASSERT_TRUE(project.step(AEProject::kFirst));
    EXPECT_EQ(project.currentTitle(), 0);
    EXPECT_FALSE(project.step(AEProject::kFirst));
    EXPECT_FALSE(project.step(7));
    engine.playing = true;
    EXPECT_FALSE(project.step(AEProject::kNext));
    EXPECT_EQ(project.currentTitle(), 0);
}

TEST_F(ProjectTest_, SelectingIsRefusedWhileBusyOrPlaying) {
    fill(3);
    EXPECT_EQ(project.currentTitle(), 2) << "each added title was made current";
    EXPECT_FALSE(project.select(2)) << "already current";
    EXPECT_TRUE(project.select(1));
    EXPECT_TRUE(project.select(2));
    EXPECT_FALSE(project.select(3));
    EXPECT_FALSE(project.select(-1));
    // (Busy: TrackListTest.ClicksAndDropsAreRefusedWhileBusyOrAdding.)
    engine.playing = true;
    EXPECT_FALSE(project.select(0));
    engine.playing = false;
    EXPECT_TRUE(project.select(0));
    EXPECT_TRUE(project.isSelected(0));
    EXPECT_FALSE(project.isSelected(2));
}

TEST_F(ProjectTest_, TotalTimeCountsPlayingLengthsAndPausesAgainstTheDisc) {
    fill(2);
    // Title 0: unprocessed, trimmed to 60 s, pause 2 s.
    project.title(0)->setFadePoint(0, 44100);
    project.title(0)->setFadePoint(3, 61 * 44100);
    // Title 1: processed, 90 s long, pause "9" counts as 4 s.
    project.title(1)->setStateCode(3);
    project.title(1)->setLength(90 * 44100);
    project.title(1)->setPauseSeconds("9");
    std::string text;
    EXPECT_TRUE(project.totalTime(text));
    EXPECT_EQ(text, "02:36");
    EXPECT_EQ(project.totalFrames(), 156 * 44100);
    EXPECT_FALSE(project.totalTime(text, 156)) << "exactly the capacity does not fit";
    EXPECT_TRUE(project.totalTime(text, 157));
    project.title(1)->setLength(90 * 44100 - 1);
    EXPECT_TRUE(project.totalTime(text, 156));

    EXPECT_EQ(project.lengthText(5), "00:00") << "no such title";
}

} // namespace
