#pragma once

// A short burst in quiet hiss, and where it lands after processing: for checking that a
// processing run puts every frame back where it was.

#include "SignalTestSupport.h"

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace burst_test {

constexpr int32_t kBurstFrames = 1323;

// A Hann-windowed chirp from 500 Hz to 5 kHz: a sharp peak in its autocorrelation, smooth
// enough that no repair stage takes it for a disturbance.
inline std::vector<float> chirp(int32_t length, double amplitude) {
    std::vector<float> out(length);
    const double seconds = length / signal_test::kRate;
    for (int32_t i = 0; i < length; ++i) {
        const double t = i / signal_test::kRate;
        const double phase = 2 * std::numbers::pi * (500.0 * t + 0.5 * 4500.0 / seconds * t * t);
        const double window = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / (length - 1));
        out[i] = static_cast<float>(amplitude * window * std::sin(phase));
    }
    return out;
}

// Quiet hiss on both channels with the chirp on the left from frame `at`.
inline std::vector<int16_t> burstSource(int32_t frames, int32_t at, uint32_t seed) {
    const auto hissL = signal_test::noise(frames, 30.0, seed);
    const auto hissR = signal_test::noise(frames, 30.0, seed + 1);
    const auto burst = chirp(kBurstFrames, 10000.0);
    return signal_test::frames(
        frames,
        [&](int32_t i) {
            const int32_t k = i - at;
            return std::lround(hissL[i] + (k >= 0 && k < kBurstFrames ? burst[k] : 0.0f));
        },
        [&](int32_t i) { return std::lround(hissR[i]); });
}

// The lag in -range..range at which the left channel of `output` best matches that of
// `input` around the burst at frame `at`.
inline int32_t burstLag(const std::vector<int16_t>& input, const std::vector<int16_t>& output,
                        int32_t at, int32_t range) {
    int32_t best = 0;
    double bestScore = -1e300;
    for (int32_t lag = -range; lag <= range; ++lag) {
        double score = 0;
        for (int32_t i = at; i < at + kBurstFrames; ++i) {
            const int64_t j = int64_t{i} + lag;
            if (j >= 0 && 2 * j < static_cast<int64_t>(output.size())) {
                score += static_cast<double>(input[2 * i]) * output[2 * j];
            }
        }
        if (score > bestScore) {
            bestScore = score;
            best = lag;
        }
    }
    return best;
}

} // namespace burst_test
