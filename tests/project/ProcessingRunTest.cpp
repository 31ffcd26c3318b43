// The processing run of a title: names of processed files, what the title becomes, the
// frames of the result, cancelling, full disks, other source formats.
#include "AENormalizingRun.h"
#include "AEProcessedFile.h"
#include "AEProcessingRun.h"
#include "RunTestSupport.h"

#include "AudioTestSupport.h"
#include "support/TestDirs.h"
#include "support/TestSignals.h"

#include "DiskSpace.h"
#include "FFileSystem.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <optional>

namespace {

using RunTest::importTitle;
using RunTest::readStereo;
using RunTest::setStage;

constexpr int32_t kBlock = 4096;

class ProcessingRunTest : public ::testing::Test {
protected:
    void SetUp() override { project.setBaseDirectory(dir.path() + "/"); }

    std::string projectPath() const { return dir.file("Sunday.dat"); }

    ProjectTest::RecordingHost host;
    TestDir dir;
    AEProject project;
};

TEST(ProcessedFileNameTest, AClaimedNameIsNotChosenAgain) {
    TestDir dir;
    auto first = AEProcessedFile::claim(dir.path(), "s.wav", "p.dat");
    auto second = AEProcessedFile::claim(dir.path(), "s.wav", "p.dat");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->path(), dir.file("s000.p.p.wav"));
    EXPECT_EQ(second->path(), dir.file("s001.p.p.wav"));
    first.reset();
    second.reset();
    EXPECT_TRUE(RunTest::filesIn(dir.path()).empty()) << "unused claims are given back";
}

TEST(ProcessedFileNameTest, RoomOnTheDiskCountsAPercentAnd640KBMore) {
    TestDir dir;
    const int64_t freeKB = DiskSpace::freeKB(dir.path());
    ASSERT_GT(freeKB, 10000);
    EXPECT_TRUE(AEProcessedFile::fitsOnDisk(44100, dir.file("x.wav")));
    // The result alone would fit; with the percent and the 640 KB it does not.
    EXPECT_FALSE(AEProcessedFile::fitsOnDisk((freeKB - 700) * 256, dir.file("x.wav")));
}

TEST_F(ProcessingRunTest, TwoRunsOfATitleGiveCounters000Then001AndTheOlderFileGoes) {
    AETitle& title = importTitle(project, dir.path(), "Side A", ProjectTest::testSignal(30000));
    setStage(title, 2, 500000);
    ASSERT_EQ(processTitle(project, 0, projectPath()), AERunResult::kDone);
    const std::string first = dir.file("Side A000.Sunday.p.wav");
    EXPECT_EQ(title.processedPath(), first);
    EXPECT_EQ(title.stateCode(), 3);
    for (int slot = 0; slot < 6; ++slot) {
        EXPECT_FALSE(title.processorEnabled(slot)) << slot;
        EXPECT_FALSE(title.processorEnabledWorking(slot)) << slot;
    }
    EXPECT_EQ(readStereo(first).size(), 2u * 30000);
    ProjectTest::writeFile(dir.file("Side A000.Sunday.p.pk"), "peaks");

    EXPECT_EQ(processTitle(project, 0, projectPath()), AERunResult::kNothingToDo)
        << "processed, and nothing switched on";
    setStage(title, 4, 250000);
    ASSERT_EQ(processTitle(project, 0, projectPath()), AERunResult::kDone);
    EXPECT_EQ(title.processedPath(), dir.file("Side A001.Sunday.p.wav"));
    EXPECT_EQ(readStereo(title.processedPath()).size(), 2u * 30000) << "no trim the second time";
    EXPECT_EQ(RunTest::filesIn(dir.path()),
              (std::vector<std::string>{"Side A.wav", "Side A001.Sunday.p.wav"}))
        << "the replaced file and its peak file are gone, the recording stays";
}

TEST_F(ProcessingRunTest, AnOlderFileThatAnotherTitleNamesStays) {
    AETitle& a = importTitle(project, dir.path(), "a", ProjectTest::testSignal(20000, 1));
    AETitle& b = importTitle(project, dir.path(), "b", ProjectTest::testSignal(20000, 2));
    setStage(a, 3, 100000);
    ASSERT_EQ(processTitle(project, 0, projectPath()), AERunResult::kDone);
    const std::string older = a.processedPath();
    b.setProcessedPath(older);
    b.setStateCode(3);
    setStage(a, 3, 200000);
    ASSERT_EQ(processTitle(project, 0, projectPath()), AERunResult::kDone);
    EXPECT_NE(a.processedPath(), older);
    EXPECT_TRUE(FFileSystem::exists(older)) << "title b still plays it";
}

TEST_F(ProcessingRunTest, ABurstLandsOnTheSameFrameAsInTheTrimmedTitle) {
    const int32_t start = 7000;
    const int32_t at = start + 30000;
    const auto source = TestSignals::burstSource(90000, at, 21);
    AETitle& title = importTitle(project, dir.path(), "burst", source);
    const int32_t fades[4] = {start, start + 500, 80000, 80500};
    for (int k = 0; k < 4; ++k) {
        title.setFadePoint(k, fades[k]);
    }
    // All six stages, then the crackle remover alone: the classic one's 18 samples stay.
    RestorationChoice::set(RestorationMode::kClassic);
    for (const int32_t mask : {63, 2, 61}) {
        for (int slot = 0; slot < 6; ++slot) {
            title.setProcessorParam(slot, 500000);
            title.setProcessorEnabled(slot, (mask >> slot) & 1);
        }
        title.setStateCode(0);
        ASSERT_EQ(processTitle(project, 0, projectPath()), AERunResult::kDone);
        const auto out = readStereo(title.processedPath());
        ASSERT_EQ(out.size(), 2u * (80500 - start));
        const std::vector<int16_t> trimmed(source.begin() + 2 * start, source.begin() + 2 * 80500);
        EXPECT_EQ(TestSignals::burstLag(trimmed, out, at - start, 64), (mask & 2) ? 18 : 0)
            << "stages " << mask;
    }
    RestorationChoice::set(kDefaultRestorationMode);
}

// A run that is cancelled, runs out of room, has no fade points or no recording at all leaves no
// file and the title as it was (its stages still on).
TEST_F(ProcessingRunTest, AFailedRunLeavesNoFileAndTheTitleAsItWas) {
    AETitle& title = importTitle(project, dir.path(), "t", ProjectTest::testSignal(20 * kBlock));
    setStage(title, 0, 500000);
    setStage(title, 2, 500000);
    const auto fades = [&title](std::array<int32_t, 4> points) {
        for (int k = 0; k < 4; ++k) {
            title.setFadePoint(k, points[static_cast<size_t>(k)]);
        }
    };
    const struct {
        const char* what;
        std::function<void()> spoil;
        int64_t limit; // bytes a file may grow to, 0: no limit
        AERunResult result;
    } cases[] = {
        {"cancelled at the fifth block",
         [&] { host.onAdvance = [&](int64_t steps) { host.cancel = host.cancel || steps == 5; }; },
         0, AERunResult::kCancelled},
        {"disk full", [] {}, 40000, AERunResult::kCannotWrite},
        {"no fade points",
         [&] {
             fades({-1, -1, -1, -1});
         },
         0, AERunResult::kEmptyTitle},
        {"no recording", [&] { std::filesystem::remove(dir.file("t.wav")); }, 0,
         AERunResult::kMissingAudio},
    };
    for (const auto& c : cases) {
        fades({0, 0, 20 * kBlock, 20 * kBlock});
        host.cancel = false;
        host.onAdvance = nullptr;
        c.spoil();
        AERunResult result;
        {
            std::optional<ProjectTest::FileSizeLimit> limit;
            if (c.limit > 0) {
                limit.emplace(c.limit);
            }
            result = processTitle(project, 0, projectPath());
        }
        EXPECT_EQ(result, c.result) << c.what;
        EXPECT_EQ(RunTest::filesIn(dir.path()), c.result == AERunResult::kMissingAudio
                                                    ? std::vector<std::string>{}
                                                    : std::vector<std::string>{"t.wav"})
            << c.what << ": the recording alone";
        EXPECT_EQ(title.stateCode(), 0) << c.what;
        EXPECT_EQ(title.processedPath(), AETitle::kNotProcessed) << c.what;
        EXPECT_TRUE(title.processorEnabled(0) && title.processorEnabled(2)) << c.what;
        if (c.result == AERunResult::kCancelled) {
            EXPECT_EQ(host.progressValue, 5) << "stopped at the next block";
            EXPECT_EQ(host.progressMaximum, 20);
        }
    }
    EXPECT_EQ(normalizeTitle(project, 0, projectPath()), AERunResult::kMissingAudio);
    EXPECT_EQ(processTitle(project, 5, projectPath()), AERunResult::kNoSuchTitle);
    EXPECT_TRUE(RunTest::filesIn(dir.path()).empty());
}

// A source in another format passes through the client format: the result is 16-bit
// stereo (the conversions of every sample format are the audio file's tests').
TEST_F(ProcessingRunTest, AMonoSourceIsConvertedOnTheWayIn) {
    const int32_t frames = 5000;
    const auto mono = AudioTest::sine16(frames, 1, 441.0, 44100.0, 12000.0);
    const std::string in = dir.file("in.wav");
    AudioTest::writeBytes(in, AudioTest::pcmWave(1, 44100, 16, AudioTest::asBytes(mono)));
    ProcessingSettings settings;
    settings.trimTo(0, 0, frames, frames, frames);
    AEProcessedFile output(dir.file("out.wav"));
    ASSERT_EQ(restoreFile(in, output, settings), AERunResult::kDone);
    const auto out = readStereo(output.path());
    ASSERT_EQ(out.size(), 2u * frames);
    for (int32_t i = 1000; i < 4000; i += 131) {
        EXPECT_EQ(out[2 * i], out[2 * i + 1]) << "mono on both channels, frame " << i;
        EXPECT_NEAR(out[2 * i], mono[i], 260) << "frame " << i;
    }
}

TEST_F(ProcessingRunTest, ASourceAtAnotherRateIsRefused) {
    const std::string in = dir.file("48k.wav");
    AudioTest::writeBytes(
        in, AudioTest::pcmWave(2, 48000, 16, AudioTest::asBytes(ProjectTest::testSignal(4800))));
    ProcessingSettings settings;
    settings.trimTo(0, 0, 4800, 4800, 4800);
    {
        AEProcessedFile output(dir.file("out.wav"));
        EXPECT_EQ(restoreFile(in, output, settings), AERunResult::kWrongRate);
    }
    EXPECT_EQ(RunTest::filesIn(dir.path()), std::vector<std::string>{"48k.wav"});
}

} // namespace
