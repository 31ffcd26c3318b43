#pragma once

#include <cstdint>

// The peak outline of 16-bit interleaved stereo audio: one block of four signed bytes
// (left minimum, left maximum, right minimum, right maximum) per 256 frames. The running
// extremes start at 0 and each value is its sample's high byte (arithmetic shift by 8).
namespace PeakBlocks {

constexpr int32_t kFramesPerBlock = 256;
constexpr int32_t kBytesPerBlock = 4;

// The running extremes of one block while its frames come in.
struct Range {
    int16_t minL = 0;
    int16_t maxL = 0;
    int16_t minR = 0;
    int16_t maxR = 0;

    // Takes `frames` interleaved stereo frames into the extremes.
    void add(const int16_t* samples, int32_t frames);
    // The block's four bytes.
    void store(int8_t* out) const {
        out[0] = static_cast<int8_t>(minL >> 8);
        out[1] = static_cast<int8_t>(maxL >> 8);
        out[2] = static_cast<int8_t>(minR >> 8);
        out[3] = static_cast<int8_t>(maxR >> 8);
    }
};

// Writes `blocks` complete blocks of 256 frames each from `samples` to `out`.
void computeFull(const int16_t* samples, int32_t blocks, int8_t* out);

} // namespace PeakBlocks
