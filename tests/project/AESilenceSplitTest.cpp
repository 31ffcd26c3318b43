// Finding the songs of a side: the level measure, the gaps and the songs between them on
// damaged sides of many kinds, and the titles that replace a split title in its project.
#include "AESilenceSplit.h"
#include "AETitleSplit.h"
#include "ProjectTestSupport.h"
#include "SplitTestSides.h"

#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using AESilenceSplit::Range;
using SplitTest::hiss;
using SplitTest::kRate;
using SplitTest::Side;
using SplitTest::SideBuilder;
using SplitTest::SongShape;
using SplitTest::worn;

constexpr int32_t kFiftyMs = kRate / 20;
// Three to six songs at -20 dBFS RMS with gaps of 1.5 to 4 s, built from `shape`.
Side songs(uint32_t seed, const std::vector<double>& gaps, const SongShape& shape = {}) {
    SideBuilder side(seed);
    side.silence(1.0037);
    int32_t n = 0;
    // Lengths of no whole number of hops, so no song starts where a hop does.
    for (double gap : gaps) {
        side.song(9.0 + 2 * (n % 3), -20.0, shape).silence(gap + 0.0029 * (n + 1));
        ++n;
    }
    return side.song(8.0, -20.0, shape).silence(1.0).build();
}

struct SideCase {
    const char* name;
    // Songs of `songs(seed, gaps, shape)` under `wear`; or the side `make` makes (no
    // samples: its recordings are not installed).
    uint32_t seed = 0;
    std::vector<double> gaps = {};
    WornRecordOptions wear = {};
    SongShape shape = {};
    std::function<Side()> make = nullptr;
    bool oneTitle = false; // the songs are too close to be told apart
};

const SideCase kSides[] = {
    {"HissAt45", 4, {2.0, 1.5, 3.0, 4.0, 2.0}, hiss(-45)},
    {"PopsAndCrackle", 5, {2.0, 1.5, 3.0}, hiss(-60, 4.0, 80.0)},
    {"RumbleUnderAll", 6, {2.0, 1.5, 3.0}, hiss(-65, 1.0, 20.0, -38)},
    {"LongFades", 7, {2.0, 1.5, 2.5}, hiss(-60, 2.0, 40.0), {.fadeOutSeconds = 5.0}},
    {.name = "QuietSongAmongLoud",
     .make =
         [] {
             SideBuilder side(8);
             side.silence(1.5031).song(10, -20, {}).silence(2.0043).song(12, -35, {});
             return worn(side.silence(2.0017).song(9, -20, {}).silence(1.0).build(),
                         hiss(-60, 2.0, 40.0));
         }},
    {.name = "PauseAndPianissimoInsideASong",
     .make =
         [] {
             const SongShape inside{.pauseAt = 4.0,
                                    .pauseSeconds = 1.0,
                                    .quietAt = 8.0,
                                    .quietSeconds = 3.0,
                                    .quietDb = 22.0};
             SideBuilder side(9);
             side.song(10, -20, {}).silence(2.0041).song(16, -20, inside).silence(2.0023);
             return worn(side.song(9, -20, {}).build(), hiss(-60, 2.0, 40.0));
         }},
    {.name = "CardNoiseBeforeTheLeadIn",
     .make =
         [] {
             // The recording began before the needle dropped: the sound card's own noise, far
             // below the record's.
             const Side card = worn(SideBuilder(12).silence(3.0).build(), hiss(-96));
             Side s = worn(songs(13, {2.0, 1.5}), hiss(-58, 2.0, 40.0));
             s.samples.insert(s.samples.begin(), card.samples.begin(), card.samples.end());
             for (std::vector<int32_t>* marks : {&s.songStarts, &s.songEnds}) {
                 for (int32_t& at : *marks) {
                     at += card.frames();
                 }
             }
             return s;
         }},
    {.name = "NoGaps",
     .make =
         [] {
             SideBuilder side(10);
             side.song(12, -20, {}).silence(0.6).song(15, -24, {}).silence(0.9);
             return worn(side.song(10, -20, {}).build(), hiss(-60, 2.0, 40.0));
         },
     .oneTitle = true},
    {.name = "RealRecordings", .make = [] { return SplitTest::recordedSide(); }},
};

Side sideOf(const SideCase& c) {
    return c.make ? c.make() : worn(songs(c.seed, c.gaps, c.shape), c.wear);
}

class SideTest : public ::testing::TestWithParam<SideCase> {};

// The hop energies of the side, fed to the meter in pieces of `piece` frames.
std::vector<float> energies(const Side& side, int32_t piece) {
    SilenceLevelMeter meter;
    std::vector<float> out;
    for (int32_t at = 0; at < side.frames(); at += piece) {
        meter.feed(side.samples.data() + 2 * static_cast<size_t>(at),
                   std::min(piece, side.frames() - at), out);
    }
    meter.finish(out);
    return out;
}

TEST_P(SideTest, FindsEverySongStartAndCutsInTheGaps) {
    const Side side = sideOf(GetParam());
    if (side.samples.empty()) {
        GTEST_SKIP() << SplitTest::kNoRecordings;
    }
    const std::vector<float> measured = energies(side, 4093);
    ASSERT_EQ(measured, energies(side, 441 * 37)) << "the levels depend on the block size";
    const Range whole{0, side.frames()};
    const auto found = AESilenceSplit::findSongs(measured, whole, {});

    std::string report = "found starts (frames):";
    for (const auto& song : found) {
        report += " " + std::to_string(song.music.start);
    }

    if (GetParam().oneTitle) {
        ASSERT_EQ(found.size(), 1u) << report;
        EXPECT_EQ(found[0].title.start, 0);
        EXPECT_EQ(found[0].title.end, side.frames());
        return;
    }
    ASSERT_EQ(found.size(), side.songStarts.size()) << report;
    for (size_t s = 0; s < found.size(); ++s) {
        const int32_t start = side.songStarts[s];
        const int32_t end = side.songEnds[s];
        EXPECT_NEAR(found[s].music.start, start, kFiftyMs) << "song " << s + 1;
        // The title holds its song whole, and no more than the gaps around it.
        EXPECT_LE(found[s].title.start, start) << "song " << s + 1;
        EXPECT_GE(found[s].title.end, end) << "song " << s + 1;
        EXPECT_GE(found[s].title.start, s > 0 ? side.songEnds[s - 1] : 0) << "song " << s + 1;
        EXPECT_LE(found[s].title.end, s + 1 < found.size() ? side.songStarts[s + 1] : side.frames())
            << "song " << s + 1;
        if (s > 0) {
            EXPECT_EQ(found[s].title.start, found[s - 1].title.end) << "titles meet at the cut";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sides, SideTest, ::testing::ValuesIn(kSides),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SilenceThreshold, FollowsTheFloorUnlessTheUserSetsIt) {
    using AESilenceSplit::thresholds;
    const AESilenceSplit::Loudness side{-15.0, -62.0};
    EXPECT_DOUBLE_EQ(thresholds(side, {}).typicalDb, -62.0 + AESilenceSplit::kNearFloorDb);
    // A floor close under the music: the gap must still lie well below the music.
    EXPECT_DOUBLE_EQ(thresholds({-15.0, -30.0}, {}).typicalDb,
                     -15.0 - AESilenceSplit::kBelowLoudDb);
    EXPECT_DOUBLE_EQ(thresholds(side, -40.0).typicalDb, -55.0);
    EXPECT_DOUBLE_EQ(thresholds(side, -40.0).highestDb, -55.0 + AESilenceSplit::kSwellDb);
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

TEST_F(TitleSplitTest, ThreeSongsBecomeThreeTitlesMeetingInTheGaps) {
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
        EXPECT_NEAR(proposal.songs[static_cast<size_t>(s)].music.start, trueStart, kFiftyMs);
        // Cut in the middle of the 2 s gap before the song, faded in within it.
        EXPECT_NEAR(made.fadePoint(0), trueStart - kRate, kRate / 10) << "song " << s + 1;
        EXPECT_EQ(made.fadePoint(1) - made.fadePoint(0), AETitleSplit::kCutFadeFrames);
        EXPECT_EQ(made.fadePoint(3) - made.fadePoint(2), AETitleSplit::kCutFadeFrames);
        const int32_t songSeconds[3] = {9, 13, 8};
        EXPECT_NEAR(made.fadePoint(3), trueStart + (songSeconds[s] + 1) * kRate, kRate / 10);
        EXPECT_EQ(made.displayName(), "Title " + std::to_string(index + s + 1));
        EXPECT_EQ(made.audioBase(), base) << "no audio is copied";
        EXPECT_EQ(made.artist(), "Side artist");
        EXPECT_EQ(made.pauseSeconds(), "3");
        EXPECT_EQ(made.processorParam(2), 77);
        EXPECT_TRUE(made.processorEnabled(2));
        EXPECT_EQ(made.marker(0), -1);
        EXPECT_EQ(made.fileIndex(), index + s);
        if (s > 0) {
            EXPECT_EQ(made.fadePoint(0), project.title(index + s - 1)->fadePoint(3));
        }
    }
}

TEST_F(TitleSplitTest, SongsShorterThanSevenSecondsAreNotMade) {
    const auto side = SideBuilder(10).song(8).gap(2).song(5).gap(2).song(9).build();
    const int32_t index = addSide(side, "short");
    AETitleSplit::Proposal proposal;
    ASSERT_EQ(split(index, proposal), AETitleSplit::kDone);
    ASSERT_EQ(project.titleCount(), 2);
    EXPECT_NEAR(proposal.songs[1].music.start, side.songStarts[2], kFiftyMs);
    // The short one belongs to neither title.
    EXPECT_LE(project.title(0)->fadePoint(3), side.songStarts[1]);
    EXPECT_GE(project.title(1)->fadePoint(0), side.songStarts[1] + 5 * kRate);
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
