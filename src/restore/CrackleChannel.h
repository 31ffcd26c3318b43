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

    const AdaptivePredictor& predictor() const { return predictor_; }
    const CrackleFade& fade() const { return fade_; }
    const RepairReport& report() const { return report_; }

private:
    // The last N values, newest first, contiguous in memory: values are written
    // downwards and the window is moved back to the top when the space runs out.
    template <int32_t N> class History {
    public:
        const float* newestFirst() const { return values_.data() + position_; }
        void push(float v) {
            if (position_ == 0) {
                std::copy_n(values_.data(), N, values_.data() + kRoom);
                position_ = kRoom;
            }
            values_[--position_] = v;
        }

    private:
        static constexpr int32_t kRoom = 256;
        std::array<float, kRoom + N> values_{};
        int32_t position_ = kRoom;
    };

    // Positions 0..7 of the substitution history are raw samples x(t−10) .. x(t−17);
    // positions 8..17 are the outputs o(t−1) .. o(t−10).
    static constexpr int32_t kRawTaps = 8;
    static constexpr int32_t kOutputTaps = kOrder - kRawTaps;

    History<kOrder> input_;        // x(t−1) .. x(t−18) before each step
    History<kOutputTaps> outputs_; // o(t−1) .. o(t−10)
    AdaptivePredictor predictor_;
    CrackleDetector detector_;
    CrackleFade fade_;
    RepairReport report_;
};
