#pragma once

#include "CrackleSettings.h"
#include "NspLanes.h"

#include <array>
#include <cstdint>

// A normalised LMS predictor with leakage whose weights are kept at or above a small
// positive floor. It also remembers its weights of the last kWeightDelay updates, so a
// substitution can use the weights as they were before the samples now being judged
// could pull them. Holds no heap memory; adapting allocates nothing.
//
// Each update depends on the one before, so the chunk functions keep the weights in
// registers through a run of updates and let two predictors (two channels) run side by
// side; their results are exactly those of adapt() called sample by sample.
class AdaptivePredictor {
public:
    static constexpr int32_t kOrder = CrackleSettings::kOrder;
    static constexpr int32_t kWeightDelay = CrackleSettings::kWeightDelay;
    // Updates per chunk at most.
    static constexpr int32_t kChunk = 128;

    // A dot product over N floats, summed in four lanes (a fixed order, so results do
    // not depend on the call pattern) that the compiler can run side by side.
    template <int32_t N> static float dot(const float* a, const float* b) {
        float lane[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        for (int32_t i = 0; i + 4 <= N; i += 4) {
            for (int32_t j = 0; j < 4; ++j) {
                lane[j] += a[i + j] * b[i + j];
            }
        }
        for (int32_t i = N - N % 4; i < N; ++i) {
            lane[i % 4] += a[i] * b[i];
        }
        return (lane[0] + lane[1]) + (lane[2] + lane[3]);
    }

    // The power a step is normalised by: dot<kOrder>(h, h), or 1 below kPowerFloor.
    // powers() gives those of h_t = newest − t for t = 0 .. count − 1, exactly as
    // computed one at a time.
    static float power(const float* h);
    static void powers(const float* newest, int32_t count, float* power);

    // Predicts `target` from h[0 .. kOrder) (newest first), updates the weights and
    // returns the prediction error.
    float adapt(const float* h, float target);

    // count ≤ kChunk updates of each of C predictors: update t of predictor c predicts
    // h_t[target] from h_t = newest[c] − t with normalising power[c][t], and writes its
    // error to error[c][t].
    template <int32_t C>
    static void adaptChunk(AdaptivePredictor* const* predictors, const float* const* newest,
                           int32_t target, const float* const* power, int32_t count,
                           float* const* error);

    // The weights after the latest update, and those of kWeightDelay updates before.
    const float* weights() const { return rows_[used_ - 1].data(); }
    const float* delayedWeights() const { return rows_[used_ - 1 - kWeightDelay].data(); }
    // Within the latest chunk: the delayed weights as they were after update t.
    const float* delayedWeightsAfter(int32_t t) const {
        return rows_[chunkStart_ + t - kWeightDelay].data();
    }

private:
    using Lanes = NspFloatLanes;
    static constexpr int32_t kLanes = kNspLanesOf<Lanes>;
    // kOrder weights in five groups of four; the last two lanes of the fifth are padding,
    // always multiplied by zero.
    static constexpr int32_t kGroups = (kOrder + kLanes - 1) / kLanes;
    static constexpr int32_t kPadded = kGroups * kLanes;
    static_assert(kOrder == 18 && kGroups == 5, "the padded group assumes 18 taps");
    struct Taps {
        Lanes group[kGroups];
    };
    // The rows kept before a chunk: the latest weights and the kWeightDelay before them.
    static constexpr int32_t kKept = kWeightDelay + 1;
    static constexpr int32_t kRows = kKept + kChunk;

    // h[0 .. kOrder) in groups, the padding zero.
    static Taps load(const float* h);
    // One update of `w` from h; returns the error.
    static float step(Taps& w, const Taps& h, float target, float power);
    // Makes room for `count` more rows and returns the latest weights.
    Taps begin(int32_t count);
    void store(int32_t row, const Taps& w);

    // rows_[used_ − 1] holds the latest weights; the zero rows stand for the weights
    // before the first update.
    std::array<std::array<float, kPadded>, kRows> rows_{};
    int32_t used_ = kKept;
    int32_t chunkStart_ = kKept;
};

inline AdaptivePredictor::Taps AdaptivePredictor::load(const float* h) {
    Taps t;
    for (int32_t g = 0; g + 1 < kGroups; ++g) {
        t.group[g] = nspLoaded<Lanes>(h + kLanes * g);
    }
    t.group[kGroups - 1] = Lanes{h[kOrder - 2], h[kOrder - 1], 0.0f, 0.0f};
    return t;
}

inline float AdaptivePredictor::step(Taps& w, const Taps& h, float target, float power) {
    using S = CrackleSettings;
    // The lanes add their products in the order dot<kOrder>() does; the padding lanes add
    // zeros, which change nothing.
    Lanes lane = w.group[0] * h.group[0];
    for (int32_t g = 1; g < kGroups; ++g) {
        lane += w.group[g] * h.group[g];
    }
    const float error = target - ((lane[0] + lane[1]) + (lane[2] + lane[3]));
    const float gain = S::kStep * error / power;
    const Lanes leak = nspFilled<Lanes>(S::kLeakage), g = nspFilled<Lanes>(gain);
    const Lanes floor = nspFilled<Lanes>(S::kWeightFloor);
    for (int32_t i = 0; i < kGroups; ++i) {
        const Lanes v = leak * w.group[i] + g * h.group[i];
        w.group[i] = floor > v ? floor : v; // v < floor ? floor : v, NaN kept, as maxps
    }
    return error;
}

template <int32_t C>
void AdaptivePredictor::adaptChunk(AdaptivePredictor* const* predictors, const float* const* newest,
                                   int32_t target, const float* const* power, int32_t count,
                                   float* const* error) {
    Taps w[C];
    for (int32_t c = 0; c < C; ++c) {
        w[c] = predictors[c]->begin(count);
    }
    for (int32_t t = 0; t < count; ++t) {
        for (int32_t c = 0; c < C; ++c) {
            const float* h = newest[c] - t;
            error[c][t] = step(w[c], load(h), h[target], power[c][t]);
            predictors[c]->store(t, w[c]);
        }
    }
    for (int32_t c = 0; c < C; ++c) {
        predictors[c]->used_ += count;
    }
}

inline void AdaptivePredictor::store(int32_t row, const Taps& w) {
    float* to = rows_[chunkStart_ + row].data();
    for (int32_t g = 0; g < kGroups; ++g) {
        nspStore(to + kLanes * g, w.group[g]);
    }
}
