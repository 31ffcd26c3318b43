#include "LoudnessLimiter.h"

#include <algorithm>
#include <cmath>

LoudnessLimiter::LoudnessLimiter(double gainDb, double ceilingDb)
    : limiter_(kMaxBlock),
      // The limiter holds its own threshold of full scale: the ceiling is reached by
      // scaling down before it and back up after it.
      inputScale_(static_cast<float>(std::pow(10.0, (gainDb - ceilingDb) / 20.0))),
      outputScale_(static_cast<float>(std::pow(10.0, ceilingDb / 20.0))),
      zeros_(static_cast<size_t>(kHeld) * kChannels, 0.0f) {
    for (auto& channel : planar_) {
        channel.resize(kMaxBlock);
    }
}

int32_t LoudnessLimiter::process(const float* in, int32_t frames, float* out) {
    int32_t written = 0;
    for (int32_t done = 0; done < frames;) {
        const int32_t piece = std::min(frames - done, kMaxBlock);
        written += processPiece(in + static_cast<size_t>(done) * kChannels, piece,
                                out + static_cast<size_t>(written) * kChannels);
        done += piece;
    }
    return written;
}

int32_t LoudnessLimiter::flush(float* out) {
    return processPiece(zeros_.data(), kHeld, out);
}

int32_t LoudnessLimiter::processPiece(const float* in, int32_t frames, float* out) {
    float* left = planar_[0].data();
    float* right = planar_[1].data();
    for (int32_t i = 0; i < frames; ++i) {
        left[i] = in[2 * i] * inputScale_;
        right[i] = in[2 * i + 1] * inputScale_;
    }
    float* const channels[kChannels] = {left, right};
    limiter_.process(channels, channels, kChannels, frames);
    // The first frames out are the limiter's delay line, not audio.
    const int32_t skipped = std::min(skip_, frames);
    skip_ -= skipped;
    for (int32_t i = skipped; i < frames; ++i) {
        const int32_t k = i - skipped;
        out[2 * k] = left[i] * outputScale_;
        out[2 * k + 1] = right[i] * outputScale_;
    }
    return frames - skipped;
}
