#include "AdaptivePredictor.h"

#include <algorithm>

float AdaptivePredictor::power(const float* h) {
    const float p = dot<kOrder>(h, h);
    return p < CrackleSettings::kPowerFloor ? 1.0f : p;
}

void AdaptivePredictor::powers(const float* newest, int32_t count, float* power) {
    // Four windows at a time, h_t .. h_(t+3) from the oldest up: lane k of every sum below
    // belongs to the window starting at base + k, and each sum adds the squares in the
    // order dot() does (its zero start adds nothing to a square).
    constexpr int32_t W = kLanes;
    int32_t t = 0;
    for (; t + W <= count; t += W) {
        const float* base = newest - t - (W - 1);
        Lanes lane[W];
        for (int32_t j = 0; j < W; ++j) {
            Lanes x = nspLoaded<Lanes>(base + j);
            lane[j] = x * x;
            for (int32_t i = j + W; i < kOrder; i += W) {
                x = nspLoaded<Lanes>(base + i);
                lane[j] += x * x;
            }
        }
        const Lanes sum = (lane[0] + lane[1]) + (lane[2] + lane[3]);
        const Lanes floor = nspFilled<Lanes>(CrackleSettings::kPowerFloor);
        const Lanes p = sum < floor ? nspFilled<Lanes>(1.0f) : sum;
        for (int32_t k = 0; k < W; ++k) {
            power[t + W - 1 - k] = p[k];
        }
    }
    for (; t < count; ++t) {
        power[t] = AdaptivePredictor::power(newest - t);
    }
}

float AdaptivePredictor::adapt(const float* h, float target) {
    Taps w = begin(1);
    const float error = step(w, load(h), target, power(h));
    store(0, w);
    ++used_;
    return error;
}

AdaptivePredictor::Taps AdaptivePredictor::begin(int32_t count) {
    if (used_ + count > kRows) {
        std::copy(rows_.begin() + (used_ - kKept), rows_.begin() + used_, rows_.begin());
        used_ = kKept;
    }
    chunkStart_ = used_;
    return load(rows_[used_ - 1].data());
}
