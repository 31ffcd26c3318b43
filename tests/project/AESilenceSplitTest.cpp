// Finding the songs of a side: the level measure that ignores impulses, the silences, the
// songs between them, and the titles that replace a split title in its project.
#include "AESilenceSplit.h"
#include "AEFileManager.h"
#include "AETitleSplit.h"
#include "PeakBlocks.h"
#include "ProjectTestSupport.h"
#include "SplitTestSides.h"

#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using AESilenceSplit::Range;
using SplitTest::kRate;
using SplitTest::SideBuilder;

constexpr int32_t kFiftyMs = kRate / 20;

TEST(SilenceLevel, IgnoresAFewImpulseSamplesButNotSustainedSound) {
    std::vector<int16_t> window(2 * AESilenceSplit::kWindowFrames, 10);
    std::vector<int32_t> scratch(AESilenceSplit::kWindowFrames);
    for (int32_t i = 0; i < AESilenceSplit::kImpulseSamples; ++i) {
        window[static_cast<size_t>(4 * i)] = 30000;
    }
    EXPECT_EQ(
        AESilenceSplit::robustLevel(window.data(), AESilenceSplit::kWindowFrames, scratch.data()),
        10);
    // A few samples more are sound, not an impulse.
    for (int32_t i = 0; i < 40; ++i) {
        window[static_cast<size_t>(2 * (200 + i) + 1)] = -20000;
    }
    EXPECT_EQ(
        AESilenceSplit::robustLevel(window.data(), AESilenceSplit::kWindowFrames, scratch.data()),
        20000);
}

TEST(SilenceLevel, ThresholdIsRelativeToThePeak) {
    EXPECT_EQ(AESilenceSplit::thresholdLevel(20000, -40.0), 200);
    EXPECT_EQ(AESilenceSplit::thresholdLevel(20000, 0.0), 20000);
}

TEST(SilencePeaks, ClicksNeitherSetThePeakNorBreakACandidate) {
    const auto side = SideBuilder(3).song(8).gap(3, 10, 32000).song(8).build();
    const int32_t blocks = side.frames() / PeakBlocks::kFramesPerBlock;
    std::vector<int8_t> peaks(static_cast<size_t>(blocks) * PeakBlocks::kBytesPerBlock);
    PeakBlocks::computeFull(side.samples.data(), blocks, peaks.data());
    const Range whole{0, side.frames()};
    const int32_t peak = AESilenceSplit::sustainedPeak(peaks.data(), blocks, whole);
    EXPECT_GT(peak, 12000);
    EXPECT_LT(peak, 24000) << "the clicks at 32000 are not the side's peak";
    const int32_t threshold = AESilenceSplit::thresholdLevel(peak, -45.0);
    const auto found =
        AESilenceSplit::candidates(peaks.data(), blocks, whole, threshold, 3 * kRate / 2);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_LE(found[0].start, side.songStarts[1] - 3 * kRate);
    EXPECT_GE(found[0].end, side.songStarts[1]);
    // The songs themselves are ruled out by the peaks alone.
    EXPECT_LT(found[0].length(), 3 * kRate + 4 * PeakBlocks::kFramesPerBlock);
}

TEST(SilenceGaps, FindsOnlyLongEnoughSilencesWithClicksInThem) {
    const auto side = SideBuilder(4).song(2).gap(1.0).song(2).gap(2.0, 8).song(2).build();
    AESilenceSplit::GapFinder finder(100, 3 * kRate / 2);
    finder.begin(0);
    // Fed in uneven whole-window pieces.
    const int32_t piece = AESilenceSplit::kWindowFrames * 37;
    for (int32_t at = 0; at < side.frames(); at += piece) {
        finder.feed(side.samples.data() + 2 * static_cast<size_t>(at),
                    std::min(piece, side.frames() - at));
    }
    finder.end();
    ASSERT_EQ(finder.gaps().size(), 1u);
    EXPECT_NEAR(finder.gaps()[0].end, side.songStarts[2], AESilenceSplit::kWindowFrames);
    EXPECT_NEAR(finder.gaps()[0].start, side.songStarts[2] - 2 * kRate,
                AESilenceSplit::kWindowFrames);
}

TEST(SilenceSongs, ShortStretchesBetweenGapsAreNoSongs) {
    const int32_t seven = 7 * kRate;
    const Range range{1000, 1000 + 40 * kRate};
    // A leading gap, a 9 s song, a 5 s stretch, a 10 s song running to the end.
    const std::vector<Range> gaps{
        {0, 2 * kRate}, {11 * kRate, 13 * kRate}, {18 * kRate, 20 * kRate}};
    const auto songs = AESilenceSplit::songsBetween(gaps, range, seven);
    ASSERT_EQ(songs.size(), 2u);
    EXPECT_EQ(songs[0].start, 2 * kRate);
    EXPECT_EQ(songs[0].end, 11 * kRate);
    EXPECT_EQ(songs[1].start, 20 * kRate);
    EXPECT_EQ(songs[1].end, range.end);
}

class TitleSplitTest : public ::testing::Test {
protected:
    // A title of the side's samples, with some settings of its own to be copied.
    int32_t addSide(const SplitTest::Side& side, const std::string& name) {
        const std::string path = dir.file(name + "-44100-2-16.wav");
        ProjectTest::writeWaveSamples(path, side.samples);
        EXPECT_TRUE(project.addImportedFile(path));
        const int32_t index = project.titleCount() - 1;
        AETitle& title = *project.title(index);
        title.setArtist("Side artist");
        title.setPauseSeconds("3");
        title.setProcessorParam(2, 77);
        title.setProcessorEnabled(2, true);
        title.setMarker(0, 5000);
        return index;
    }

    AETitleSplit::Result split(int32_t index, AETitleSplit::Proposal& proposal,
                               const AESilenceSplit::Settings& settings = {}) {
        const auto result = AETitleSplit::propose(project, index, settings, proposal);
        return result == AETitleSplit::kDone ? AETitleSplit::accept(project, proposal) : result;
    }

    TestDir dir;
    AEProject project;
};

TEST_F(TitleSplitTest, ThreeSongsBecomeThreeTitlesStartingWhereTheSongsStart) {
    const auto side = SideBuilder(5).gap(2).song(9).gap(2).song(13).gap(2).song(8).gap(2).build();
    addSide(SideBuilder(6).song(8).build(), "before");
    const int32_t index = addSide(side, "side");
    addSide(SideBuilder(7).song(8).build(), "after");
    const std::string base = project.title(index)->audioBase();

    AETitleSplit::Proposal proposal;
    ASSERT_EQ(split(index, proposal), AETitleSplit::kDone);
    ASSERT_EQ(project.titleCount(), 5);
    EXPECT_EQ(project.title(4)->displayName(), "after-44100-2-16");
    EXPECT_EQ(project.currentTitle(), index);
    for (int32_t s = 0; s < 3; ++s) {
        const AETitle& made = *project.title(index + s);
        const int32_t trueStart = side.songStarts[static_cast<size_t>(s)];
        EXPECT_NEAR(made.fadePoint(0), trueStart, kFiftyMs) << "song " << s + 1;
        EXPECT_NEAR(made.fadePoint(1), trueStart, kFiftyMs) << "song " << s + 1;
        EXPECT_LE(made.fadePoint(1), trueStart) << "no note of the song is faded";
        EXPECT_EQ(made.fadePoint(1) - made.fadePoint(0), AETitleSplit::kCutFadeFrames);
        EXPECT_EQ(made.fadePoint(3) - made.fadePoint(2), AETitleSplit::kCutFadeFrames);
        EXPECT_EQ(made.displayName(), "Title " + std::to_string(index + s + 1));
        EXPECT_EQ(made.audioBase(), base) << "no audio is copied";
        EXPECT_EQ(made.artist(), "Side artist");
        EXPECT_EQ(made.pauseSeconds(), "3");
        EXPECT_EQ(made.processorParam(2), 77);
        EXPECT_TRUE(made.processorEnabled(2));
        EXPECT_EQ(made.marker(0), -1);
        EXPECT_EQ(made.fileIndex(), index + s);
    }
    // Each song ends in the gap after it, before the next one starts; the lead-in and
    // run-out silences are trimmed away.
    const int32_t songEnds[3] = {side.songStarts[1] - 2 * kRate, side.songStarts[2] - 2 * kRate,
                                 side.frames() - 2 * kRate};
    EXPECT_NEAR(project.title(index + 2)->fadePoint(2), songEnds[2], kFiftyMs);
    for (int32_t s = 0; s < 2; ++s) {
        EXPECT_NEAR(project.title(index + s)->fadePoint(2), songEnds[s], kFiftyMs);
        EXPECT_LT(project.title(index + s)->fadePoint(3),
                  project.title(index + s + 1)->fadePoint(0));
    }

    // Deleting one with its files keeps the audio the others share.
    ASSERT_TRUE(project.deleteTitle(index, true));
    EXPECT_GT(AEFileManager::framesOf(base + ".wav"), 0);
}

TEST_F(TitleSplitTest, SideWithoutGapsStaysOneTitle) {
    const auto side = SideBuilder(8).gap(0.3).song(20).build();
    const int32_t index = addSide(side, "nogaps");
    AETitleSplit::Proposal proposal;
    EXPECT_EQ(split(index, proposal), AETitleSplit::kNoGaps);
    ASSERT_EQ(project.titleCount(), 1);
    EXPECT_EQ(project.title(0)->fadePoint(0), 0);
    EXPECT_EQ(project.title(0)->displayName(), "nogaps-44100-2-16");
}

TEST_F(TitleSplitTest, GapFullOfLoudClicksStillSplits) {
    // Clicks louder than the music, every fifth of a second.
    const auto side = SideBuilder(9).song(8).gap(2, 10, 32000).song(8).build();
    const int32_t index = addSide(side, "clicks");
    AETitleSplit::Proposal proposal;
    ASSERT_EQ(split(index, proposal), AETitleSplit::kDone);
    ASSERT_EQ(project.titleCount(), 2);
    EXPECT_NEAR(project.title(1)->fadePoint(1), side.songStarts[1], kFiftyMs);
    // The first song keeps the title's own start.
    EXPECT_EQ(project.title(0)->fadePoint(0), 0);
}

TEST_F(TitleSplitTest, SongsShorterThanSevenSecondsAreNotMade) {
    const auto side = SideBuilder(10).song(8).gap(2).song(5).gap(2).song(9).build();
    const int32_t index = addSide(side, "short");
    AETitleSplit::Proposal proposal;
    ASSERT_EQ(split(index, proposal), AETitleSplit::kDone);
    ASSERT_EQ(project.titleCount(), 2);
    EXPECT_NEAR(project.title(1)->fadePoint(1), side.songStarts[2], kFiftyMs);
    // A longer minimum leaves only one song: nothing to split.
    AEProject again;
    ASSERT_TRUE(again.addImportedFile(project.title(0)->audioBase() + ".wav"));
    AESilenceSplit::Settings longer;
    longer.minTitleSeconds = 8.5;
    EXPECT_EQ(AETitleSplit::propose(again, 0, longer, proposal), AETitleSplit::kNoGaps);
}

TEST_F(TitleSplitTest, NinetyNineTitleLimitHolds) {
    const auto side = SideBuilder(11).song(8).gap(2).song(8).gap(2).song(8).build();
    const std::string filler = dir.file("filler-44100-2-16.wav");
    ProjectTest::writeWave(filler, ProjectTest::kSevenSeconds);
    for (int32_t i = 0; i < 97; ++i) {
        ASSERT_TRUE(project.addImportedFile(filler));
    }
    const int32_t index = addSide(side, "limit");
    ASSERT_EQ(project.titleCount(), 98);
    AETitleSplit::Proposal proposal;
    // 97 others and three songs would be 100.
    EXPECT_EQ(split(index, proposal), AETitleSplit::kTooManyTitles);
    EXPECT_EQ(project.titleCount(), 98);
    EXPECT_NE(AETitleSplit::messageId(AETitleSplit::kTooManyTitles), 0);
    // With one title fewer it fits exactly.
    ASSERT_TRUE(project.deleteTitle(0, false));
    ASSERT_EQ(split(index - 1, proposal), AETitleSplit::kDone);
    EXPECT_EQ(project.titleCount(), AEProject::kMaxTitles);
}

TEST_F(TitleSplitTest, ProcessedTitleIsNotSplit) {
    const auto side = SideBuilder(12).song(8).gap(2).song(8).build();
    const int32_t index = addSide(side, "processed");
    project.title(index)->setStateCode(AETitleProcessState::kProcessed);
    AETitleSplit::Proposal proposal;
    EXPECT_EQ(split(index, proposal), AETitleSplit::kProcessed);
    EXPECT_EQ(project.titleCount(), 1);
}

} // namespace
