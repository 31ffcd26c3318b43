#include "FrameConversion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

// To float with its alternating offset, and mono both ways: ProcessorChainTest, exactly.
TEST(FrameConversion, BackToSixteenBitsScalesBy32767AndTruncatesTowardZero) {
    const std::vector<float> left = {1.0f, -1.0f, 0.5f, -0.5f, 0.00003f, -0.99999f};
    const std::vector<float> right = {0.0f, 0.25f, 2.0f, -3.0f, 1e-7f, -1e-7f};
    std::vector<int16_t> frames(12);
    FrameConversion::toFrames(left.data(), right.data(), 6, frames.data());
    const std::vector<int16_t> expected = {32767,  0,      -32767, 8191, 16383,  32767,
                                           -16383, -32768, 0,      0,    -32766, 0};
    EXPECT_EQ(frames, expected); // 2.0 and -3.0 saturate instead of wrapping
}
