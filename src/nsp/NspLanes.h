#pragma once

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
// Functions compiled for processors with AVX2 (no fused multiply-add: every product is
// rounded before it is added, as in the narrow forms, so both give the same bits).
#define NSP_WIDE_TARGET __attribute__((target("avx2")))
#else
#define NSP_WIDE_TARGET
#endif

// Numbers side by side (GCC and Clang vector types), for kernels whose sums must keep the
// order in which they are written, so that the compiler may not reorder them itself, yet
// run independent sums together. Two doubles and four floats are the width every x86-64
// processor has; four doubles and eight floats are for the NSP_WIDE_TARGET forms of a kernel only.
using NspLanes = double __attribute__((vector_size(16)));
using NspFloatLanes = float __attribute__((vector_size(16)));
using NspWideLanes = double __attribute__((vector_size(32)));
using NspWideFloatLanes = float __attribute__((vector_size(32)));

template <class V> constexpr int kNspLanesOf = sizeof(V) / sizeof(V{}[0]);

// Lane access through references: the calling convention of a 32-byte vector passed by
// value depends on the target.
template <class V, class T> inline void nspLoad(V& v, const T* from) {
    std::memcpy(&v, from, sizeof v);
}

template <class V, class T> inline void nspStore(T* to, const V& v) {
    std::memcpy(to, &v, sizeof v);
}

template <class V, class T> inline void nspFill(V& v, T x) {
    for (int i = 0; i < kNspLanesOf<V>; ++i) {
        v[i] = x;
    }
}

// By value, for the 16-byte types.
template <class V, class T> inline V nspLoaded(const T* from) {
    V v;
    nspLoad(v, from);
    return v;
}

template <class V, class T> inline V nspFilled(T x) {
    V v;
    nspFill(v, x);
    return v;
}

// Whether the NSP_WIDE_TARGET forms may run: the processor has AVX2 and they are allowed
// (tests turn them off to check the narrow forms on any processor).
bool nspWideLanes();
void nspAllowWideLanes(bool allowed);
