#pragma once

#include "AdaptivePredictor.h"
#include "CrackleDetector.h"
#include "CrackleFade.h"
#include "CrackleSettings.h"
#include "RepairReport.h"

#include <algorithm>
#include <array>
#include <cstdint>

// The crackle remover of one channel, sample by sample. An adaptive predictor follows
// the signal; jumps in the second difference of its error mark crackle, and while crackle
// lasts the output fades from the input, delayed by kLag samples, to a substitute made by
// the predictor's delayed weights from the raw samples ahead and the outputs behind.
// The output lags the input by kLag samples. Holds no heap memory; process() allocates
// nothing.
class CrackleChannel {
public:
    static constexpr int32_t kOrder = CrackleSettings::kOrder;

    // `in` and `out` may be the same buffer.
    void process(const float* in, float* out, int32_t count, float threshold, bool monitor);
    // Both channels of a stereo signal at once: each predictor update depends on the one
    // before, so the two channels' updates run side by side. The results are those of
    // process() on each channel alone.
    static void processPair(CrackleChannel& left, CrackleChannel& right, const float* const* in,
                            float* const* out, int32_t count, float threshold, bool monitor);

    const AdaptivePredictor& predictor() const { return predictor_; }
    const CrackleFade& fade() const { return fade_; }
    const RepairReport& report() const { return report_; }

private:
    // Inputs are taken in chunks of up to kChunk samples.
    static constexpr int32_t kChunk = AdaptivePredictor::kChunk;
    // Positions 0..7 of the substitution history are raw samples x(t−10) .. x(t−17);
    // positions 8..17 are the outputs o(t−1) .. o(t−10).
    static constexpr int32_t kRawTaps = 8;
    static constexpr int32_t kOutputTaps = kOrder - kRawTaps;

    // The last N values, newest first, contiguous in memory: values are written
    // downwards and the window is moved back to the top when the space runs out.
    template <int32_t N> class History {
    public:
        const float* newestFirst() const { return values_.data() + position_; }
        void push(float v) {
            if (position_ == 0) {
                std::copy_n(values_.data(), N, values_.data() + kChunk);
                position_ = kChunk;
            }
            values_[--position_] = v;
        }
        // Writes x[0 .. count) (count ≤ kChunk) below the newest value in one go, x[0]
        // first, and returns the window of x[−1] (the newest value before them): the
        // window of x[t − 1] is that pointer minus t.
        const float* pushChunk(const float* x, int32_t count) {
            if (position_ < count) {
                std::copy_n(values_.data() + position_, N, values_.data() + kChunk);
                position_ = kChunk;
            }
            const float* before = values_.data() + position_;
            float* to = values_.data() + position_ - 1;
            for (int32_t i = 0; i < count; ++i) {
                to[-i] = x[i];
            }
            position_ -= count;
            return before;
        }

    private:
        std::array<float, kChunk + N> values_{};
        int32_t position_ = kChunk;
    };

    // The C channels together, chunk by chunk: the inputs into the histories, the
    // predictors' updates side by side, then each channel's detection and cross-fade.
    template <int32_t C>
    static void processChannels(CrackleChannel* const* channels, const float* const* in,
                                float* const* out, int32_t count, float threshold, bool monitor);
    // Detection, cross-fade and substitution of the latest chunk, whose window of
    // x(t − 1) is newest − t, from the predictor's errors.
    void finish(const float* newest, int32_t count, float* out, float threshold, bool monitor);

    History<kOrder> input_;        // x(t−1) .. x(t−18) before each step
    History<kOutputTaps> outputs_; // o(t−1) .. o(t−10)
    AdaptivePredictor predictor_;
    CrackleDetector detector_;
    CrackleFade fade_;
    RepairReport report_;
    std::array<float, kChunk> power_{};
    std::array<float, kChunk> error_{};
};
