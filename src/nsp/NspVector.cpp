#include "NspLibrary.h"

#include "NspLanes.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <type_traits>

namespace {

using Floats = NspFloatLanes;
constexpr int kFloats = kNspLanesOf<Floats>;

// A float or four float lanes holding `x`, so that one lambda serves both.
template <class V> V splatAs(float x) {
    if constexpr (std::is_same_v<V, float>) {
        return x;
    } else {
        return nspFilled<V>(x);
    }
}

// dst[i] = op(a[i]) and dst[i] = op(a[i], b[i]), four lanes at a time and the rest one by
// one: each element gets the same arithmetic either way. dst may be one of the sources but
// may not overlap them otherwise.
template <class Op> void eachOf(const float* a, float* dst, int length, Op op) {
    int i = 0;
    for (; i + kFloats <= length; i += kFloats) {
        nspStore(dst + i, op(nspLoaded<Floats>(a + i)));
    }
    for (; i < length; ++i) {
        dst[i] = op(a[i]);
    }
}

template <class Op> void eachOf(const float* a, const float* b, float* dst, int length, Op op) {
    int i = 0;
    for (; i + kFloats <= length; i += kFloats) {
        nspStore(dst + i, op(nspLoaded<Floats>(a + i), nspLoaded<Floats>(b + i)));
    }
    for (; i < length; ++i) {
        dst[i] = op(a[i], b[i]);
    }
}

} // namespace

void nspsbMpy1(float scalar, float* vec, int length) {
    eachOf(vec, vec, length, [scalar](auto x) { return x * splatAs<decltype(x)>(scalar); });
}

void nspsbMpy2(const float* src, float* srcDst, int length) {
    eachOf(srcDst, src, srcDst, length, [](auto x, auto y) { return x * y; });
}

void nspsbMpy3(const float* a, const float* b, float* dst, int length) {
    eachOf(a, b, dst, length, [](auto x, auto y) { return x * y; });
}

void nspsbSub3(const float* a, const float* b, float* dst, int length) {
    eachOf(a, b, dst, length, [](auto x, auto y) { return x - y; });
}

void nspsbLn1(float* vec, int length) {
    for (int i = 0; i < length; ++i) {
        vec[i] = std::log(vec[i]);
    }
}

void nspsbThresh2(const float* src, float* dst, int length, float threshold, int relation) {
    if (relation == kNspLessThan) {
        eachOf(src, dst, length, [threshold](auto x) {
            const auto t = splatAs<decltype(x)>(threshold);
            return x < t ? t : x;
        });
    } else {
        eachOf(src, dst, length, [threshold](auto x) {
            const auto t = splatAs<decltype(x)>(threshold);
            return x > t ? t : x;
        });
    }
}

void nspsbThresh1(float* vec, int length, float threshold, int relation) {
    nspsbThresh2(vec, vec, length, threshold, relation);
}

void nspsbNormalize(const float* src, float* dst, int length, float offset, float factor) {
    for (int i = 0; i < length; ++i) {
        dst[i] = (src[i] - offset) / factor;
    }
}

bool nspsbFloatToInt(const float* src, int32_t* dst, int length, int wordSize, int flags) {
    if (wordSize != 32) {
        return false;
    }
    // Saturate in double: every int32 is exact there, and a float outside the range would
    // make the conversion undefined.
    constexpr double kLow = std::numeric_limits<int32_t>::min();
    constexpr double kHigh = std::numeric_limits<int32_t>::max();
    const bool truncate = (flags & kNspTruncZero) != 0;
    for (int i = 0; i < length; ++i) {
        double v = src[i];
        if (std::isnan(v)) {
            dst[i] = 0;
            continue;
        }
        v = truncate ? std::trunc(v) : std::nearbyint(v);
        dst[i] = static_cast<int32_t>(std::clamp(v, kLow, kHigh));
    }
    return true;
}

float nspsMax(const float* vec, int length) {
    float best = std::numeric_limits<float>::lowest();
    for (int i = 0; i < length; ++i) {
        best = std::max(best, vec[i]);
    }
    return best;
}

float nspsMin(const float* vec, int length) {
    float best = std::numeric_limits<float>::max();
    for (int i = 0; i < length; ++i) {
        best = std::min(best, vec[i]);
    }
    return best;
}

namespace {

// Lags k .. k + W − 1 side by side, W = T vectors of lanes (those past `lags` are summed
// and dropped): each lag still adds its products in order of n, so the sums are exactly
// those of one lag at a time, but W independent sums hide the latency of the additions.
// Returns W.
template <class V, int T>
[[gnu::always_inline]] inline int autoCorrLags(const double* src, int length, int k, int lags,
                                               double* dst) {
    constexpr int W = kNspLanesOf<V> * T;
    V sum[T];
#pragma GCC unroll 16
    for (int j = 0; j < T; ++j) {
        nspFill(sum[j], 0.0);
    }
    const int common = std::max(length - k - (W - 1), 0); // every lag reaches
    for (int n = 0; n < common; ++n) {
        V x;
        nspFill(x, src[n]);
        const double* y = src + n + k;
#pragma GCC unroll 16
        for (int j = 0; j < T; ++j) {
            V v;
            nspLoad(v, y + kNspLanesOf<V> * j);
            sum[j] += x * v;
        }
    }
    const int wanted = std::min(W, lags - k);
    for (int j = 0; j < wanted; ++j) {
        double total = sum[j / kNspLanesOf<V>][j % kNspLanesOf<V>];
        for (int n = common; n + k + j < length; ++n) {
            total += src[n] * src[n + k + j];
        }
        dst[k + j] = total;
    }
    return W;
}

// Six vectors of sums per pass over the source: fewer leave the additions waiting on each
// other, more spill registers (the pass is unrolled even at -O2, where the sums would
// otherwise live in memory). A short rest takes a narrower pass.
template <class V>
[[gnu::always_inline]] inline void autoCorrIn(const double* src, int length, double* dst,
                                              int lags) {
    constexpr int kSix = 6 * kNspLanesOf<V>;
    int k = 0;
    while (k < lags) {
        const int left = lags - k;
        if (left > kSix / 2) {
            k += autoCorrLags<V, 6>(src, length, k, lags, dst);
        } else if (left > kSix / 6) {
            k += autoCorrLags<V, 3>(src, length, k, lags, dst);
        } else {
            k += autoCorrLags<V, 1>(src, length, k, lags, dst);
        }
    }
}

NSP_WIDE_TARGET void autoCorrWide(const double* src, int length, double* dst, int lags) {
    autoCorrIn<NspWideLanes>(src, length, dst, lags);
}

std::atomic<bool> gWideLanesAllowed{true};

} // namespace

bool nspWideLanes() {
#if defined(__x86_64__) || defined(__i386__)
    static const bool hasAvx2 = __builtin_cpu_supports("avx2");
    return hasAvx2 && gWideLanesAllowed.load(std::memory_order_relaxed);
#else
    return false;
#endif
}

void nspAllowWideLanes(bool allowed) {
    gWideLanesAllowed.store(allowed, std::memory_order_relaxed);
}

void nspdAutoCorr(const double* src, int length, double* dst, int lags, int type) {
    if (nspWideLanes()) {
        autoCorrWide(src, length, dst, lags);
    } else {
        autoCorrIn<NspLanes>(src, length, dst, lags);
    }
    if (type == kNspAutoCorrBiased && length > 0) {
        for (int k = 0; k < lags; ++k) {
            dst[k] /= length;
        }
    }
}
