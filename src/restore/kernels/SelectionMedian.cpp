#include "SelectionMedian.h"

#include <algorithm>
#include <bit>

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

// The rank-th smallest of keys[0 .. count); `spare` holds count values. Each round splits
// the candidates about a pivot without branching on the data (a sorting comparison
// mispredicts half of the time on noise-like values), keeping the side that holds the rank.
uint32_t selectKey(uint32_t* keys, uint32_t* spare, int32_t count, int32_t rank) {
    constexpr int32_t kSmall = 16;
    while (count > kSmall) {
        const uint32_t pivot = middleOfThree(keys[count / 4], keys[count / 2], keys[3 * count / 4]);
        int32_t below = 0;
        int32_t above = 0;
        for (int32_t i = 0; i < count; ++i) {
            const uint32_t v = keys[i];
            keys[below] = v;
            spare[above] = v;
            const int32_t less = isBelow(v, pivot);
            below += less;
            above += 1 - less;
        }
        if (rank < below) {
            count = below;
            continue;
        }
        rank -= below;
        int32_t equal = 0;
        int32_t greater = 0;
        for (int32_t i = 0; i < above; ++i) {
            const uint32_t v = spare[i];
            keys[greater] = v;
            const int32_t more = isBelow(pivot, v);
            greater += more;
            equal += 1 - more;
        }
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
