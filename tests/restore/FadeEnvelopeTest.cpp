#include "FadeEnvelope.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

std::vector<int16_t> constantFrames(int32_t count, int16_t left, int16_t right) {
    std::vector<int16_t> out(2 * count);
    for (int32_t i = 0; i < count; ++i) {
        out[2 * i] = left;
        out[2 * i + 1] = right;
    }
    return out;
}

struct FadeFixture : ::testing::Test {
    std::shared_ptr<ProcessorSwitches> switches = std::make_shared<ProcessorSwitches>();
    FadeEnvelope fade{switches};
};

} // namespace

TEST_F(FadeFixture, TrimsFadesInAndOut) {
    fade.setFades(10, 20, 30, 40);
    auto data = constantFrames(50, 1000, -1000);
    fade.process(data.data(), 50);
    for (int32_t i = 0; i < 50; ++i) {
        int32_t expected = 0;
        if (i >= 10 && i <= 20) {
            expected = (i - 10) * 100; // gain (pos − a) / (b − a)
        } else if (i > 20 && i < 30) {
            expected = 1000;
        } else if (i >= 30 && i <= 40) {
            expected = (40 - i) * 100;
        }
        EXPECT_NEAR(data[2 * i], expected, 1) << i;
        EXPECT_NEAR(data[2 * i + 1], -expected, 1) << i;
    }
    EXPECT_EQ(data[2 * 15], 500);
    EXPECT_EQ(fade.position(), 50);
}

TEST_F(FadeFixture, FadeOfLengthZeroStillWorks) {
    fade.setFades(5, 5, 8, 8);
    auto data = constantFrames(10, 2000, 2000);
    fade.process(data.data(), 10);
    // Frames 0..4 lie before a, frame 5 (a = b) and frame 8 (c = d) get gain 0, 6 and 7
    // lie between the fades, 9 after d.
    const std::vector<int16_t> expected = {0, 0, 0,    0,    0,    0,    0, 0, 0, 0,
                                           0, 0, 2000, 2000, 2000, 2000, 0, 0, 0, 0};
    EXPECT_EQ(data, expected);
}

TEST_F(FadeFixture, RunningPositionCarriesAcrossCallsAndCanBeSet) {
    fade.setFades(0, 100, 200, 300);
    auto whole = constantFrames(300, 10000, 10000);
    auto split = whole;
    fade.process(whole.data(), 300);
    FadeEnvelope other(switches);
    other.setFades(0, 100, 200, 300);
    for (int32_t at = 0; at < 300; at += 37) {
        other.process(split.data() + 2 * at, std::min(37, 300 - at));
    }
    EXPECT_EQ(whole, split);

    auto jumped = constantFrames(10, 10000, 10000);
    fade.setPosition(50);
    fade.process(jumped.data(), 10);
    EXPECT_EQ(jumped[0], 5000);
    EXPECT_EQ(fade.position(), 60);
}

TEST_F(FadeFixture, MonoWritesTheScaledLeftSampleToBothChannels) {
    switches->setMonoButton(true);
    fade.setFades(0, 10, 20, 30);
    auto data = constantFrames(30, 1000, 7);
    fade.process(data.data(), 30);
    for (int32_t i = 0; i < 30; ++i) {
        if (i <= 10 || i >= 20) {
            EXPECT_EQ(data[2 * i + 1], data[2 * i]) << i;
        }
    }
    EXPECT_EQ(data[2 * 5], 500);
    // Between the fades the frames are left as they are.
    EXPECT_EQ(data[2 * 15], 1000);
    EXPECT_EQ(data[2 * 15 + 1], 7);
}
