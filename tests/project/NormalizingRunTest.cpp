// The two-pass normalizing run of a file and of a title: the common gain, cancelling in
// either pass, silence, what the title becomes.
#include "AENormalizingRun.h"
#include "AEProcessedFile.h"
#include "RunTestSupport.h"

#include "support/TestDirs.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

using RunTest::importTitle;
using RunTest::readStereo;

constexpr int32_t kBlock = 4096;

// A 441 Hz sine on each channel with its own peak, 10 blocks and a bit long.
std::vector<int16_t> sines(double left, double right, int32_t frames = 10 * kBlock + 100) {
    return TestSignals::stereoSine16(frames, 441.0, left, right);
}

class NormalizingRunTest : public ::testing::Test {
protected:
    AERunResult normalize(const std::vector<int16_t>& samples, float* gain = nullptr) {
        ProjectTest::writeWaveSamples(dir.file("in.wav"), samples);
        AEProcessedFile output(dir.file("out.wav"));
        return normalizeFile(dir.file("in.wav"), output, nullptr, gain);
    }

    ProjectTest::RecordingHost host;
    TestDir dir;
};

// Both passes over the file: one gain for both channels brings the larger peak to full
// scale; digital silence is copied unchanged. (Which peak sets the gain, of either sign,
// channel or block: LevelNormalizerTest.)
TEST_F(NormalizingRunTest, TheLargestPeakOfEitherChannelReachesFullScale) {
    const struct {
        const char* what;
        std::vector<int16_t> samples;
        float gain;
    } cases[] = {{"half and quarter scale", sines(16384.0, 8192.0), 2.0f},
                 {"digital silence", std::vector<int16_t>(2 * 3 * kBlock, 0), 1.0f}};
    for (const auto& c : cases) {
        std::filesystem::remove(dir.file("out.wav"));
        float gain = 0.0f;
        ASSERT_EQ(normalize(c.samples, &gain), AERunResult::kDone) << c.what;
        EXPECT_NEAR(gain, c.gain, 1e-4f) << c.what;
        const auto out = readStereo(dir.file("out.wav"));
        ASSERT_EQ(out.size(), c.samples.size()) << c.what;
        for (size_t i = 0; i < out.size(); ++i) {
            ASSERT_NEAR(out[i], std::clamp(c.samples[i] * c.gain, -32768.0f, 32767.0f), 2)
                << c.what << ", sample " << i;
        }
    }
}

TEST_F(NormalizingRunTest, ATitleGetsTheNewFileAndLosesItsFadePoints) {
    AEProject project;
    project.setBaseDirectory(dir.path());
    AETitle& title = importTitle(project, dir.path(), "quiet", sines(4000.0, 2000.0));
    title.setProcessorEnabled(1, true);
    ASSERT_EQ(normalizeTitle(project, 0, dir.file("Disc.dat")), AERunResult::kDone);
    const std::string first = dir.file("quiet000.Disc.p.wav");
    EXPECT_EQ(title.processedPath(), first);
    EXPECT_EQ(title.stateCode(), 3);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(title.fadePoint(k), -1) << k;
    }
    EXPECT_TRUE(title.processorEnabled(1)) << "normalizing leaves the switches alone";
    const auto out = readStereo(first);
    EXPECT_GE(*std::max_element(out.begin(), out.end()), 32766);
    // (A file replaced by a later run goes: ProcessingRunTest.)
    EXPECT_EQ(normalizeTitle(project, 3, dir.file("Disc.dat")), AERunResult::kNoSuchTitle);
}

// A cancel in the first pass (the measure) or the second (the write) of a file or a title
// leaves no file, and the title as it was.
TEST_F(NormalizingRunTest, ACancelInEitherPassLeavesNoFileAndTheTitleAsItWas) {
    AEProject project;
    project.setBaseDirectory(dir.path());
    AETitle& title = importTitle(project, dir.path(), "t", sines(4000.0, 2000.0));
    for (const int64_t at : {3, 14, 15}) {
        host.setCancelRequested(false);
        host.onAdvance = [&](int64_t steps) {
            if (steps == at) {
                host.setCancelRequested(true);
            }
        };
        if (at == 15) {
            EXPECT_EQ(normalizeTitle(project, 0, dir.file("Disc.dat")), AERunResult::kCancelled);
            EXPECT_EQ(RunTest::filesIn(dir.path()), (std::vector<std::string>{"in.wav", "t.wav"}));
        } else {
            EXPECT_EQ(normalize(sines(1000.0, 1000.0)), AERunResult::kCancelled) << at;
            EXPECT_EQ(host.progressMaximum, 2 * 11 - 1);
            EXPECT_EQ(host.progressValue, at);
            EXPECT_EQ(RunTest::filesIn(dir.path()), (std::vector<std::string>{"in.wav", "t.wav"}));
        }
    }
    EXPECT_EQ(title.stateCode(), 0);
    EXPECT_EQ(title.processedPath(), AETitle::kNotProcessed);
    EXPECT_EQ(title.fadePoint(3), 10 * kBlock + 100);
}

} // namespace
