#pragma once

#include "NspLanes.h"

#include <cstdint>

// out[n] += sum_{k = 1..p} taps[k − 1] · from[n + kStep · k] for n in [0, count): a
// filter over the past (kStep = −1) or the future (kStep = +1) of `from`, every input
// present. The taps are added in order of k, as a sample-by-sample filter adds them, so
// every width V gives the same bits; runs of kVectors × lanes outputs stay in registers
// while all taps are added, so each product costs one load instead of a load and a store.
// V is one of the NspLanes types of T; wide types only inside NSP_WIDE_TARGET functions.
template <class V, int32_t kVectors, int32_t kStep, class T>
[[gnu::always_inline]] inline void nspAddTaps(const T* taps, int32_t p, const T* from, T* out,
                                              int32_t count) {
    constexpr int32_t kWidth = kNspLanesOf<V>;
    constexpr int32_t kTile = kVectors * kWidth;
    int32_t n = 0;
    for (; n + kTile <= count; n += kTile) {
        V acc[kVectors];
#pragma GCC unroll 16
        for (int32_t j = 0; j < kVectors; ++j) {
            nspLoad(acc[j], out + n + kWidth * j);
        }
        const T* x = from + n;
        for (int32_t k = 1; k <= p; ++k) {
            V c;
            nspFill(c, taps[k - 1]);
            const T* at = x + kStep * k;
#pragma GCC unroll 16
            for (int32_t j = 0; j < kVectors; ++j) {
                V v;
                nspLoad(v, at + kWidth * j);
                acc[j] += c * v;
            }
        }
#pragma GCC unroll 16
        for (int32_t j = 0; j < kVectors; ++j) {
            nspStore(out + n + kWidth * j, acc[j]);
        }
    }
    for (; n < count; ++n) {
        T acc = out[n];
        for (int32_t k = 1; k <= p; ++k) {
            acc += taps[k - 1] * from[n + kStep * k];
        }
        out[n] = acc;
    }
}
