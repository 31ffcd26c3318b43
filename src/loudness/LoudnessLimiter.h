#pragma once

#include "LookAheadLimiter.h"

#include <cstdint>
#include <vector>

// A gain followed by the restoration chain's look-ahead limiter, set so that no sample
// rises above `ceilingDb` (dBFS); the limiter's own delay is taken out, so frame k of the
// output is frame k of the input, and the output is exactly as long as the input once
// flush() has given the last frames. Interleaved stereo floats of full scale 1.0.
// Buffers are made in the constructor; process() and flush() allocate nothing.
class LoudnessLimiter {
public:
    static constexpr int32_t kChannels = 2;
    static constexpr int32_t kMaxBlock = 4096;

    LoudnessLimiter(double gainDb, double ceilingDb);

    // Takes `frames` frames (any number) and writes to `out` the frames ready, which it
    // returns: fewer than given at the start, while the limiter looks ahead.
    int32_t process(const float* in, int32_t frames, float* out);
    // After the last frames: writes the frames still held (at most kHeld) and returns them.
    int32_t flush(float* out);

    static constexpr int32_t kHeld = LookAheadLimiter::kDelay;

private:
    int32_t processPiece(const float* in, int32_t frames, float* out);

    LookAheadLimiter limiter_;
    float inputScale_;
    float outputScale_;
    int32_t skip_ = kHeld;
    std::vector<float> planar_[kChannels];
    std::vector<float> zeros_;
};
