#include "SelectionMedian.h"

#include "NspLanes.h"

#include <algorithm>
#include <bit>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// The bits of |x|: for magnitudes, integer order is number order.
uint32_t magnitudeKey(float x) {
    return std::bit_cast<uint32_t>(x) & 0x7fffffffu;
}

// 1 when a < b, 0 otherwise, for keys below 2^31, computed without a comparison, which the
// compiler would turn into a branch.
int32_t isBelow(uint32_t a, uint32_t b) {
    return static_cast<int32_t>((a - b) >> 31);
}

uint32_t middleOfThree(uint32_t a, uint32_t b, uint32_t c) {
    return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

// Moves the keys of from[0 .. count) that lie on the kept side of `pivot` (below it, or
// above it when `above`) to `kept`, and the others to `rest` unless it is null, each in
// the order they come; returns how many were kept. `kept` may be `from`: a key is written
// only where one has already been read. With `done`, the first `done` keys are split
// already, `keptSoFar` of them kept. Written without branching on the data (a sorting
// comparison mispredicts half of the time on noise-like values).
int32_t splitNarrow(const uint32_t* from, int32_t count, uint32_t pivot, bool above, uint32_t* kept,
                    uint32_t* rest, int32_t done = 0, int32_t keptSoFar = 0) {
    int32_t inKept = keptSoFar;
    int32_t inRest = done - keptSoFar;
    for (int32_t i = done; i < count; ++i) {
        const uint32_t v = from[i];
        kept[inKept] = v;
        if (rest) {
            rest[inRest] = v;
        }
        const int32_t keep = above ? isBelow(pivot, v) : isBelow(v, pivot);
        inKept += keep;
        inRest += 1 - keep;
    }
    return inKept;
}

#if defined(__x86_64__)
// For each mask of eight lanes: the lanes that are set, in order, then the others.
struct LaneOrder {
    uint32_t lanes[256][8];
};

constexpr LaneOrder makeLaneOrder() {
    LaneOrder order{};
    for (uint32_t mask = 0; mask < 256; ++mask) {
        int32_t at = 0;
        for (uint32_t lane = 0; lane < 8; ++lane) {
            if ((mask >> lane) & 1u) {
                order.lanes[mask][at++] = lane;
            }
        }
        for (uint32_t lane = 0; lane < 8; ++lane) {
            if (!((mask >> lane) & 1u)) {
                order.lanes[mask][at++] = lane;
            }
        }
    }
    return order;
}

constexpr LaneOrder kSetLanesFirst = makeLaneOrder();

// splitNarrow eight keys at a time: the same keys in the same places. Keys are below 2^31,
// so the signed comparison orders them.
NSP_WIDE_TARGET int32_t splitWide(const uint32_t* from, int32_t count, uint32_t pivot, bool above,
                                  uint32_t* kept, uint32_t* rest) {
    const __m256i pivots = _mm256_set1_epi32(static_cast<int32_t>(pivot));
    int32_t inKept = 0;
    int32_t inRest = 0;
    int32_t i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + i));
        const __m256i keep = above ? _mm256_cmpgt_epi32(v, pivots) : _mm256_cmpgt_epi32(pivots, v);
        const auto mask = static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(keep)));
        const __m256i keptOrder =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(kSetLanesFirst.lanes[mask]));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(kept + inKept),
                            _mm256_permutevar8x32_epi32(v, keptOrder));
        const int32_t kept8 = std::popcount(mask);
        if (rest) {
            const __m256i restOrder = _mm256_loadu_si256(
                reinterpret_cast<const __m256i*>(kSetLanesFirst.lanes[~mask & 0xffu]));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(rest + inRest),
                                _mm256_permutevar8x32_epi32(v, restOrder));
        }
        inKept += kept8;
        inRest += 8 - kept8;
    }
    return splitNarrow(from, count, pivot, above, kept, rest, i, inKept);
}
#endif

int32_t split(const uint32_t* from, int32_t count, uint32_t pivot, bool above, uint32_t* kept,
              uint32_t* rest) {
#if defined(__x86_64__)
    if (nspWideLanes()) {
        return splitWide(from, count, pivot, above, kept, rest);
    }
#endif
    return splitNarrow(from, count, pivot, above, kept, rest);
}

// The rank-th smallest of keys[0 .. count); `spare` holds count values. Each round
// splits the candidates about a pivot, keeping the side that holds the rank.
uint32_t selectKey(uint32_t* keys, uint32_t* spare, int32_t count, int32_t rank) {
    constexpr int32_t kSmall = 16;
    while (count > kSmall) {
        const uint32_t pivot = middleOfThree(keys[count / 4], keys[count / 2], keys[3 * count / 4]);
        const int32_t below = split(keys, count, pivot, false, keys, spare);
        if (rank < below) {
            count = below;
            continue;
        }
        rank -= below;
        const int32_t above = count - below;
        const int32_t greater = split(spare, above, pivot, true, keys, nullptr);
        const int32_t equal = above - greater;
        if (rank < equal) {
            return pivot;
        }
        rank -= equal;
        count = greater;
    }
    std::sort(keys, keys + count);
    return keys[rank];
}

} // namespace

namespace SelectionMedian {

float medianMagnitude(const float* x, int32_t count, uint32_t* scratch) {
    if (count <= 0) {
        return 0.0f;
    }
    for (int32_t i = 0; i < count; ++i) {
        scratch[i] = magnitudeKey(x[i]);
    }
    const int32_t half = count / 2;
    const uint32_t upper = selectKey(scratch, scratch + count, count, half);
    if (count % 2 == 1) {
        return std::bit_cast<float>(upper);
    }
    // Even count: the mean of the two middle values; the lower is the largest key below
    // the upper unless the upper is there more than once.
    uint32_t lower = 0;
    int32_t smaller = 0;
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t v = magnitudeKey(x[i]);
        const int32_t less = isBelow(v, upper);
        smaller += less;
        lower = std::max(lower, v & (0u - static_cast<uint32_t>(less)));
    }
    if (smaller < half) {
        lower = upper;
    }
    return 0.5f * (std::bit_cast<float>(lower) + std::bit_cast<float>(upper));
}

} // namespace SelectionMedian
