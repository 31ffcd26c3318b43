// The per-buffer work beside the chain: peaks, meter levels and clip flags (recording at
// once, playback through the output latency ring) and the software volumes.
#include "AELevelMeters.h"
#include "AEBufferKernels.h"
#include "AEVolumes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A buffer of `frames` quiet frames with one peak on the given side.
std::vector<int16_t> peakBuffer(int32_t frames, int16_t left, int16_t right) {
    std::vector<int16_t> samples(static_cast<size_t>(frames) * 2, 3);
    samples[10] = left;
    samples[static_cast<size_t>(frames)] = 100;
    samples[static_cast<size_t>(frames) + 1] = right;
    return samples;
}

TEST(AEBufferKernelsTest, PeaksAreTheLargestMagnitudeOfEachChannel) {
    const auto samples = peakBuffer(64, -32768, 1234);
    const AEBufferKernels::ChannelPeaks peaks = AEBufferKernels::peaks(samples.data(), 64);
    EXPECT_EQ(peaks.left, 32768);
    EXPECT_EQ(peaks.right, 1234);
    EXPECT_EQ(AEBufferKernels::peaks(samples.data(), 0).left, 0);
}

TEST(AELevelMetersTest, ClipsAbove32760AndShows99AtFullScale) {
    EXPECT_TRUE(AELevelMeters::clips(32761));
    EXPECT_FALSE(AELevelMeters::clips(32760));
    EXPECT_EQ(AELevelMeters::level(32767), 99);
    EXPECT_EQ(AELevelMeters::level(32768), 99);
    EXPECT_EQ(AELevelMeters::level(329), 0);
    EXPECT_EQ(AELevelMeters::level(330), 1);

    AELevelMeters meters;
    meters.setEnabled(true);
    meters.reset(4);
    auto below = peakBuffer(256, 32760, -32760);
    meters.showRecorded(below.data(), 256);
    EXPECT_FALSE(meters.clipFlag(0));
    EXPECT_FALSE(meters.clipFlag(1));
    EXPECT_EQ(meters.value(AELevelMeters::kInLeft), 99);
    auto left = peakBuffer(256, 32761, 0);
    meters.showRecorded(left.data(), 256);
    EXPECT_TRUE(meters.clipFlag(0));
    EXPECT_FALSE(meters.clipFlag(1));
    auto right = peakBuffer(256, 0, -32767);
    meters.showRecorded(right.data(), 256);
    EXPECT_TRUE(meters.clipFlag(0)) << "a clip mark stays until cleared";
    EXPECT_TRUE(meters.clipFlag(1));
    EXPECT_EQ(meters.value(AELevelMeters::kInRight), 99);
    EXPECT_EQ(meters.value(AELevelMeters::kInLeft), 0);
    EXPECT_EQ(meters.value(AELevelMeters::kOutLeft), 0);
}

TEST(AELevelMetersTest, PlaybackLevelsShowWhenTheirBufferIsHeard) {
    AELevelMeters meters;
    meters.reset(4);
    auto loud = peakBuffer(128, 32767, 32767);
    meters.showPlayed(loud.data(), 128);
    meters.showRecorded(loud.data(), 128);
    EXPECT_EQ(meters.value(AELevelMeters::kInLeft), 0) << "disabled meters stay at zero";
    EXPECT_FALSE(meters.clipFlag(0));
    meters.setEnabled(true);
    meters.reset(4);
    // Buffer k peaks at 330 × (k + 1): level k + 1.
    std::vector<int32_t> shown;
    for (int k = 0; k < 8; ++k) {
        auto buffer = peakBuffer(128, static_cast<int16_t>(330 * (k + 1)), 0);
        meters.showPlayed(buffer.data(), 128);
        shown.push_back(meters.value(AELevelMeters::kOutLeft));
        EXPECT_EQ(meters.value(AELevelMeters::kInLeft), 0);
    }
    // Three buffers wait in the queue ahead of the one just filled.
    EXPECT_EQ(shown, (std::vector<int32_t>{0, 0, 0, 1, 2, 3, 4, 5}));
}

// Full volumes (65534 counts as untouched) leave the buffer alone; half on the left halves
// only the left channel, truncating; the input volumes are separate.
TEST(AEVolumesTest, OnlyTheChannelTurnedDownChanges) {
    AEVolumes volumes;
    std::vector<int16_t> samples = {1000, 1000, -1001, -1001, 32767, 32767, 3, 3, -32768, 9};
    const std::vector<int16_t> original = samples;
    volumes.setVolume(AEVolumes::kOutput, 0, 65534);
    volumes.apply(AEVolumes::kOutput, samples.data(), 5);
    EXPECT_EQ(samples, original);
    volumes.setVolume(AEVolumes::kOutput, 0, 32768);
    volumes.apply(AEVolumes::kOutput, samples.data(), 5);
    EXPECT_EQ(samples,
              (std::vector<int16_t>{500, 1000, -500, -1001, 16383, 32767, 1, 3, -16384, 9}));
    std::vector<int16_t> input = {1000, 1000};
    volumes.apply(AEVolumes::kInput, input.data(), 1);
    EXPECT_EQ(input, (std::vector<int16_t>{1000, 1000}));
}

TEST(AEVolumesTest, EachSideAndDirectionKeepsItsOwnValueWithinRange) {
    AEVolumes volumes;
    volumes.setVolume(AEVolumes::kInput, 1, 100);
    volumes.setVolume(AEVolumes::kOutput, 0, -5);
    volumes.setVolume(AEVolumes::kOutput, 1, 70000);
    volumes.setVolume(AEVolumes::kInput, 2, 1); // no such channel
    EXPECT_EQ(volumes.volume(AEVolumes::kInput, 0), 65535);
    EXPECT_EQ(volumes.volume(AEVolumes::kInput, 1), 100);
    EXPECT_EQ(volumes.volume(AEVolumes::kOutput, 0), 0);
    EXPECT_EQ(volumes.volume(AEVolumes::kOutput, 1), 65535);
    std::vector<int16_t> samples = {32767, 32767};
    volumes.apply(AEVolumes::kInput, samples.data(), 1);
    EXPECT_EQ(samples, (std::vector<int16_t>{32767, 32767 * 100 / 65535}));
}

} // namespace
