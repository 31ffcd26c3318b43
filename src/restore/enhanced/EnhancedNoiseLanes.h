#pragma once

#include "NspLanes.h"

#include <cstdint>
#include <cstring>

// Element-wise steps of the enhanced noise reducer's kernels, written once for the four
// float lanes every x86-64 processor has and the eight of the NSP_WIDE_TARGET forms. Every
// lane gets the same arithmetic in either form (no fused multiply-add), so both give the
// same bits. Vectors go in and out through references (see NspLanes.h).
namespace noise_lanes {

template <class V> struct IntLanesOf;
template <> struct IntLanesOf<NspFloatLanes> {
    using Type = int32_t __attribute__((vector_size(16)));
};
template <> struct IntLanesOf<NspWideFloatLanes> {
    using Type = int32_t __attribute__((vector_size(32)));
};
template <class V> using IntLanes = typename IntLanesOf<V>::Type;

template <class V> [[gnu::always_inline]] inline void lowerTo(V& a, const V& b) {
    a = b < a ? b : a;
}

template <class V> [[gnu::always_inline]] inline void raiseTo(V& a, const V& b) {
    a = b > a ? b : a;
}

// x = e^x to about 4e-6 relative, for x in [-80, 88] (below, e^-80: numbers near the
// smallest normal would turn subnormal on the way, which costs a hundred cycles; above,
// 2^127). x = n ln 2 + r with |r| <= ln 2 / 2: e^r by a polynomial of degree 4 fitted
// there, 2^n in the exponent bits.
template <class V> [[gnu::always_inline]] inline void expInPlace(V& x) {
    V low, high, c;
    nspFill(low, -80.0f);
    nspFill(high, 88.0f);
    raiseTo(x, low);
    lowerTo(x, high);
    // Rounded to the nearest integer by adding and taking away 1.5 × 2^23.
    nspFill(c, 12582912.0f);
    const V n = (x * 1.44269504f + c) - c;
    const V r = (x - n * 0.693359375f) - n * -2.12194440e-4f;
    const V p =
        1.0f + r * (0.9999622947f + r * (0.4999937214f + r * (0.1679214302f + r * 0.04187564445f)));
    const IntLanes<V> bits = (__builtin_convertvector(n, IntLanes<V>) + 127) << 23;
    V scale;
    std::memcpy(&scale, &bits, sizeof scale);
    x = p * scale;
}

// x = 1 / sqrt(x) for normal x > 0, to about 5e-6: a first guess from the bits (within
// 3.5 %), then two Newton steps (each squares the relative error).
template <class V> [[gnu::always_inline]] inline void inverseSqrtInPlace(V& x) {
    IntLanes<V> bits;
    std::memcpy(&bits, &x, sizeof bits);
    bits = 0x5f3759df - (bits >> 1);
    V y;
    std::memcpy(&y, &bits, sizeof y);
    const V half = 0.5f * x;
    for (int step = 0; step < 2; ++step) {
        y = y * (1.5f - half * y * y);
    }
    x = y;
}

// Whether any lane of `mask` (a comparison's result) is true.
template <class V> [[gnu::always_inline]] inline bool anyOf(const IntLanes<V>& mask) {
    uint64_t words[sizeof(V) / sizeof(uint64_t)];
    std::memcpy(words, &mask, sizeof words);
    uint64_t any = 0;
    for (const uint64_t w : words) {
        any |= w;
    }
    return any != 0;
}

// Number of lanes where `mask` (a comparison's result) is true, added to `count`.
template <class V>
[[gnu::always_inline]] inline void countTrue(IntLanes<V>& count, const IntLanes<V>& mask) {
    count -= mask; // a true lane is -1
}

template <class V> [[gnu::always_inline]] inline int32_t total(const IntLanes<V>& count) {
    int32_t sum = 0;
    for (int i = 0; i < kNspLanesOf<V>; ++i) {
        sum += count[i];
    }
    return sum;
}

// Runs `steps`, simple loops the compiler vectorises (inlined: give the lambda
// __attribute__((always_inline))), built for AVX2 where that may run.
template <class Steps> NSP_WIDE_TARGET void stepsWide(const Steps& steps) {
    steps();
}

template <class Steps> void inWidestLanes(const Steps& steps) {
    if (nspWideLanes()) {
        stepsWide(steps);
    } else {
        steps();
    }
}

} // namespace noise_lanes
