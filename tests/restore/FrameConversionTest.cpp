#include "FrameConversion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

constexpr float kStep = 1.0f / 32768.0f;

} // namespace

TEST(FrameConversion, OffsetStartsPositiveOnEveryCallAndAlternates) {
    const std::vector<int16_t> frames = {0, 0, 0, 0, 16384, -16384, 0, 0, 0, 0};
    std::vector<float> left(5), right(5);
    for (int call = 0; call < 2; ++call) {
        FrameConversion::toFloat(frames.data(), 5, left.data(), right.data());
        EXPECT_EQ(left[0], 1e-7f);
        EXPECT_EQ(left[1], -1e-7f);
        EXPECT_EQ(left[2], 0.5f + 1e-7f);
        EXPECT_EQ(right[2], -0.5f + 1e-7f);
        EXPECT_EQ(left[3], -1e-7f);
        EXPECT_EQ(right[4], 1e-7f);
    }
}

TEST(FrameConversion, MonoTakesTheChosenChannelIntoBothBuffers) {
    const std::vector<int16_t> frames = {100, -200, 300, -400};
    std::vector<float> left(2), right(2);
    FrameConversion::toFloatMono(frames.data(), 2, false, left.data(), right.data());
    EXPECT_EQ(left[0], -200 * kStep + 1e-7f);
    EXPECT_EQ(right[0], left[0]);
    EXPECT_EQ(left[1], -400 * kStep - 1e-7f);
    EXPECT_EQ(right[1], left[1]);
    FrameConversion::toFloatMono(frames.data(), 2, true, left.data(), right.data());
    EXPECT_EQ(left[1], 300 * kStep - 1e-7f);
    EXPECT_EQ(right[1], left[1]);
}

TEST(FrameConversion, BackToSixteenBitsScalesBy32767AndTruncatesTowardZero) {
    const std::vector<float> left = {1.0f, -1.0f, 0.5f, -0.5f, 0.00003f, -0.99999f};
    const std::vector<float> right = {0.0f, 0.25f, 2.0f, -3.0f, 1e-7f, -1e-7f};
    std::vector<int16_t> frames(12);
    FrameConversion::toFrames(left.data(), right.data(), 6, frames.data());
    const std::vector<int16_t> expected = {32767,  0,      -32767, 8191, 16383,  32767,
                                           -16383, -32768, 0,      0,    -32766, 0};
    EXPECT_EQ(frames, expected); // 2.0 and -3.0 saturate instead of wrapping
}

TEST(FrameConversion, RoundTripDependsOnTheSignOfTheOffset) {
    const std::vector<int16_t> frames = {32767, -32768, 32767, -32768, 12345, -12345};
    std::vector<float> left(3), right(3);
    FrameConversion::toFloat(frames.data(), 3, left.data(), right.data());
    std::vector<int16_t> back(6);
    FrameConversion::toFrames(left.data(), right.data(), 3, back.data());
    // +1e-7 on frames 0 and 2, -1e-7 on frame 1.
    EXPECT_EQ(back, (std::vector<int16_t>{32766, -32766, 32765, -32767, 12344, -12344}));
}

TEST(FrameConversion, MonoBackWritesOneChannelToBothSides) {
    const std::vector<float> mono = {0.5f, -0.25f};
    std::vector<int16_t> frames(4, 99);
    FrameConversion::toFramesMono(mono.data(), 2, frames.data());
    EXPECT_EQ(frames, (std::vector<int16_t>{16383, 16383, -8191, -8191}));
}
