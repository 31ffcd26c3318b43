#include "PeakBlocks.h"

#include <algorithm>
#include <cstring>

namespace {

// Sixteen 16-bit lanes: eight interleaved frames, left in the even lanes, right in the odd.
// Only used inside one function, so no vector ever crosses a call.
using Lanes = int16_t __attribute__((vector_size(32)));
constexpr int kLaneCount = 16;

} // namespace

namespace PeakBlocks {

void Range::add(const int16_t* samples, int32_t frames) {
    for (int32_t i = 0; i < frames; ++i) {
        minL = std::min(minL, samples[2 * i]);
        maxL = std::max(maxL, samples[2 * i]);
        minR = std::min(minR, samples[2 * i + 1]);
        maxR = std::max(maxR, samples[2 * i + 1]);
    }
}

// Built for processors with 256-bit vectors and for all others; the loader picks one. Not
// under ThreadSanitizer: the loader would run the instrumented choice before it starts.
#if defined(__SANITIZE_THREAD__)
#define GLEAM_PEAK_CLONES
#else
#define GLEAM_PEAK_CLONES __attribute__((target_clones("avx2", "default")))
#endif
GLEAM_PEAK_CLONES void computeFull(const int16_t* samples, int32_t blocks, int8_t* out) {
    constexpr int kSamples = kFramesPerBlock * 2;
    for (int32_t b = 0; b < blocks; ++b) {
        const int16_t* s = samples + static_cast<int64_t>(b) * kSamples;
        // Two accumulators of each kind, so consecutive loads do not wait on each other.
        Lanes lo0 = {}, lo1 = {}, hi0 = {}, hi1 = {};
        for (int i = 0; i < kSamples; i += 2 * kLaneCount) {
            Lanes a;
            Lanes c;
            std::memcpy(&a, s + i, sizeof a);
            std::memcpy(&c, s + i + kLaneCount, sizeof c);
            lo0 = a < lo0 ? a : lo0;
            hi0 = a > hi0 ? a : hi0;
            lo1 = c < lo1 ? c : lo1;
            hi1 = c > hi1 ? c : hi1;
        }
        const Lanes lo = lo0 < lo1 ? lo0 : lo1;
        const Lanes hi = hi0 > hi1 ? hi0 : hi1;
        Range range;
        for (int j = 0; j < kLaneCount; j += 2) {
            range.minL = std::min<int16_t>(range.minL, lo[j]);
            range.maxL = std::max<int16_t>(range.maxL, hi[j]);
            range.minR = std::min<int16_t>(range.minR, lo[j + 1]);
            range.maxR = std::max<int16_t>(range.maxR, hi[j + 1]);
        }
        range.store(out + static_cast<int64_t>(b) * kBytesPerBlock);
    }
}

} // namespace PeakBlocks
