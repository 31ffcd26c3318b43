#include "EnhancedNoiseTracker.h"

#include "EnhancedFrequencyMedian.h"

#include "EnhancedNoiseLanes.h"

#include <algorithm>
#include <limits>

namespace {

using namespace noise_lanes;
using Settings = EnhancedNoiseSettings;

constexpr int32_t kBins = Settings::kBins;
constexpr int32_t kPadded = EnhancedNoiseTracker::kPaddedBins;
constexpr int32_t kBlocks = Settings::kMeanBlocks;
constexpr int32_t kPairs = Settings::kGapPairs;
constexpr int32_t kHalf = Settings::kMedianHalfWidth;
// The estimate with its margins: kHalf bins before bin 0, and after the last bin enough
// copies of it for the widest lanes to read a whole window.
constexpr int32_t kEstimateLength = kPadded + 2 * kHalf + 16;
constexpr float kInfinity = std::numeric_limits<float>::infinity();

template <class V>
[[gnu::always_inline]] inline void accumulateIn(const float* power, float* sum, float* square,
                                                bool first) {
    for (int32_t k = 0; k < kPadded; k += kNspLanesOf<V>) {
        V p, s, q;
        nspLoad(p, power + k);
        if (first) {
            s = p;
            q = p * p;
        } else {
            nspLoad(s, sum + k);
            nspLoad(q, square + k);
            s += p;
            q += p * p;
        }
        nspStore(sum + k, s);
        nspStore(square + k, q);
    }
}

NSP_WIDE_TARGET void accumulateWide(const float* power, float* sum, float* square, bool first) {
    accumulateIn<NspWideFloatLanes>(power, sum, square, first);
}

// What one block's end works on: the rings of block sums and of pair means, and the
// per-bin state.
struct BlockEnd {
    const float* sums;
    const float* squares;
    int32_t newest;
    int32_t previous;
    float* pairMeans;
    float* pairSpreads;
    int32_t pair;
    float* gaps; // the gap floors of the last kGapPairs blocks, a ring; `pair` is the oldest
    float* minimum;
    float* spread;
    float* estimate; // bin 0 at its start
    bool windowFull;
    bool windowSilent;
    bool pairReady;
    bool pairSilent;
};

// How the powers of a window spread, var / mean²: about 1 for noise (exponential powers;
// less over a short window of overlapping frames), near 0 for steady tones, above for
// music that comes and goes.
template <class V>
[[gnu::always_inline]] inline void spreadOf(V& spread, const V& mean, const V& meanSquare) {
    V zero;
    nspFill(zero, 0.0f);
    spread = mean > zero ? meanSquare / (mean * mean) - 1.0f : zero;
}

template <class V> [[gnu::always_inline]] inline void endBlockIn(const BlockEnd& b) {
    constexpr float kPerWindow = 1.0f / (kBlocks * Settings::kBlockFrames);
    constexpr float kPerPair = 1.0f / (2 * Settings::kBlockFrames);
    V infinity, zero, unsteady;
    nspFill(infinity, kInfinity);
    nspFill(zero, 0.0f);
    nspFill(unsteady, -1.0f);
    const size_t pairRow = static_cast<size_t>(b.pair) * kPadded;
    for (int32_t k = 0; k < kPadded; k += kNspLanesOf<V>) {
        V m;
        nspLoad(m, b.minimum + k);
        if (b.windowFull) {
            const V raised = m * Settings::kRisePerBlock;
            m = raised;
            if (!b.windowSilent) {
                V sum, row;
                nspLoad(sum, b.sums + k);
                for (int32_t r = 1; r < kBlocks; ++r) {
                    nspLoad(row, b.sums + static_cast<size_t>(r) * kPadded + k);
                    sum += row;
                }
                const V mean = sum * kPerWindow;
                m = mean < raised ? mean : raised;
            }
            nspStore(b.minimum + k, m);
        }
        if (b.pairReady) {
            V a, c, sa, sc, spread;
            nspLoad(a, b.sums + static_cast<size_t>(b.newest) * kPadded + k);
            nspLoad(c, b.sums + static_cast<size_t>(b.previous) * kPadded + k);
            nspLoad(sa, b.squares + static_cast<size_t>(b.newest) * kPadded + k);
            nspLoad(sc, b.squares + static_cast<size_t>(b.previous) * kPadded + k);
            const V mean = (a + c) * kPerPair;
            spreadOf(spread, mean, (sa + sc) * kPerPair);
            nspStore(b.pairMeans + pairRow + k, b.pairSilent ? infinity : mean);
            nspStore(b.pairSpreads + pairRow + k, spread);
        }
        V gap = infinity, gapSpread = zero;
        for (int32_t r = 0; r < kPairs; ++r) {
            V mean, spread;
            nspLoad(mean, b.pairMeans + static_cast<size_t>(r) * kPadded + k);
            nspLoad(spread, b.pairSpreads + static_cast<size_t>(r) * kPadded + k);
            const auto lower = mean < gap;
            gap = lower ? mean : gap;
            gapSpread = lower ? spread : gapSpread;
        }
        // Hiss keeps its floor from one half second to the next; the quietest moments of
        // music do not.
        V before;
        nspLoad(before, b.gaps + pairRow + k);
        nspStore(b.gaps + pairRow + k, gap);
        const auto steady =
            gap < before * Settings::kSteadyRatio && before < gap * Settings::kSteadyRatio;
        nspStore(b.spread + k, steady ? gapSpread : unsteady);
        // Nothing before the first full window: a mean of a few frames lies far below the
        // noise and would hold the estimate down for a minute.
        const V full = m < infinity ? m * Settings::kBias : zero;
        const V ceiling = gap * Settings::kGapCeiling;
        nspStore(b.estimate + k, ceiling < full ? ceiling : full);
    }
}

NSP_WIDE_TARGET void endBlockWide(const BlockEnd& b) {
    endBlockIn<NspWideFloatLanes>(b);
}

// Of the bins the guard looks at: those above the audible floor, those of them whose gap
// floor held, and those of these whose gap pair spread like noise.
struct Counts {
    int32_t audible = 0;
    int32_t steady = 0;
    int32_t noiseLike = 0;
};

Counts countFloor(const float* estimate, const float* spread) {
    using Lanes = NspFloatLanes;
    using Ints = IntLanes<Lanes>;
    constexpr int32_t kTo = Settings::kGuardToBin;
    Ints audible{}, steady{}, noiseLike{};
    // The last lanes may reach past kTo into the arrays' margins: they are left out.
    for (int32_t k = Settings::kMedianFromBin; k < kTo; k += kNspLanesOf<Lanes>) {
        Lanes e, f;
        nspLoad(e, estimate + k);
        nspLoad(f, spread + k);
        const Ints level = (e > Settings::kAudibleFloor) & ((Ints{0, 1, 2, 3} + k) < kTo);
        countTrue<Lanes>(audible, level);
        countTrue<Lanes>(steady, level & (f >= 0.0f));
        countTrue<Lanes>(noiseLike,
                         level & (f >= Settings::kNoiseLikeLow) & (f <= Settings::kNoiseLikeHigh));
    }
    return {total<Lanes>(audible), total<Lanes>(steady), total<Lanes>(noiseLike)};
}

double meanBinPower(const float* sum) {
    NspLanes total{};
    for (int32_t k = 0; k + 1 < kBins; k += 2) {
        total += NspLanes{sum[k], sum[k + 1]};
    }
    return (total[0] + total[1] + sum[kBins - 1]) / kBins;
}

} // namespace

EnhancedNoiseTracker::EnhancedNoiseTracker()
    : sums_(static_cast<size_t>(kBlocks) * kPadded), squares_(sums_.size()), totals_(kBlocks),
      pairMeans_(static_cast<size_t>(kPairs) * kPadded, kInfinity), pairSpreads_(pairMeans_.size()),
      gaps_(pairMeans_.size(), kInfinity), minimum_(kPadded, kInfinity), spread_(kPadded),
      estimate_(kEstimateLength), smoothed_(kPadded + 8), noise_(kPadded, 1e-20f),
      inverseNoise_(kPadded, 1e20f) {}

const float* EnhancedNoiseTracker::update(const std::complex<float>* spectrum, const float* power) {
    const int32_t inBlock = static_cast<int32_t>(frames_ % Settings::kBlockFrames);
    ++frames_;
    float* sum = sums_.data() + static_cast<size_t>(block_) * kPadded;
    float* square = squares_.data() + static_cast<size_t>(block_) * kPadded;
    if (nspWideLanes()) {
        accumulateWide(power, sum, square, inBlock == 0);
    } else {
        accumulateIn<NspFloatLanes>(power, sum, square, inBlock == 0);
    }
    if (inBlock == Settings::kBlockFrames - 1) {
        endBlock(spectrum, power);
    }
    return noise_.data();
}

void EnhancedNoiseTracker::endBlock(const std::complex<float>* spectrum, const float* power) {
    totals_[static_cast<size_t>(block_)] =
        meanBinPower(sums_.data() + static_cast<size_t>(block_) * kPadded) / Settings::kBlockFrames;
    ++blocks_;
    const int32_t previous = (block_ + kBlocks - 1) % kBlocks;
    double windowTotal = 0.0;
    for (const double t : totals_) {
        windowTotal += t;
    }
    const double silent = Settings::kSilentPower;
    BlockEnd b{sums_.data(),
               squares_.data(),
               block_,
               previous,
               pairMeans_.data(),
               pairSpreads_.data(),
               pair_,
               gaps_.data(),
               minimum_.data(),
               spread_.data(),
               estimate_.data() + kHalf,
               blocks_ >= kBlocks,
               windowTotal / kBlocks < silent,
               blocks_ >= 2,
               totals_[static_cast<size_t>(block_)] + totals_[static_cast<size_t>(previous)] <
                   2.0 * silent};
    if (nspWideLanes()) {
        endBlockWide(b);
    } else {
        endBlockIn<NspFloatLanes>(b);
    }
    pair_ = (pair_ + 1) % kPairs;
    block_ = (block_ + 1) % kBlocks;
    // The estimate moves slowly: its median across frequency, the costliest step, is
    // brought up to date every other block.
    if (blocks_ % 2 == 1) {
        smoothAcrossFrequency();
    }
    updatePresence(spectrum, power);
    // Nothing is taken away until the guard is fairly sure: even a tenth of the quietest
    // music, taken for noise, would be heard.
    float scale =
        std::clamp((presence_ - Settings::kTrustFrom) / (1.0f - Settings::kTrustFrom), 0.0f, 1.0f);
    scale *= scale;
    const float* smoothed = smoothed_.data();
    float* noise = noise_.data();
    float* inverse = inverseNoise_.data();
    inWidestLanes([=]() __attribute__((always_inline)) {
        for (int32_t k = 0; k < kPadded; ++k) {
            noise[k] = std::max(smoothed[k] * scale, 1e-20f);
            inverse[k] = 1.0f / noise[k];
        }
    });
}

void EnhancedNoiseTracker::smoothAcrossFrequency() {
    float* estimate = estimate_.data() + kHalf;
    std::fill(estimate + kBins, estimate_.data() + kEstimateLength, estimate[kBins - 1]);
    // Below 400 Hz each bin keeps its own estimate, so hum lines go; a steady line louder
    // than hum ever is, is a held note (a title that starts on one) and stays.
    for (int32_t k = 0; k < Settings::kMedianFromBin; ++k) {
        smoothed_[static_cast<size_t>(k)] = std::min(estimate[k], Settings::kLineCeiling);
    }
    EnhancedFrequencyMedian::apply(estimate_.data(), smoothed_.data());
}

void EnhancedNoiseTracker::updatePresence(const std::complex<float>* spectrum, const float* power) {
    const float* estimate = estimate_.data() + kHalf;
    const Counts counts = countFloor(estimate, spread_.data());
    // Crackle stays a while: a look every few blocks is enough.
    const float kurtosis = blocks_ % Settings::kPeakedEvery == 0
                               ? peaked_.measure(spectrum, power, smoothed_.data())
                               : -1.0f;
    if (kurtosis >= 0.0f) {
        peakedness_ += (kurtosis - peakedness_) * Settings::kPeakedRate;
    }
    const auto bins = static_cast<float>(Settings::kGuardToBin - Settings::kMedianFromBin);
    const auto audible = static_cast<float>(counts.audible);
    const auto steady = static_cast<float>(counts.steady);
    // Noise at the quantisation floor or below is left alone in any case.
    if (audible < Settings::kAudibleShare * bins) {
        presence_ += (0.0f - presence_) * Settings::kPresenceRate;
        return;
    }
    // While music that comes and goes hides the floor in most bins, the guard holds.
    if (steady < Settings::kSteadyShare * bins) {
        return;
    }
    const float share = static_cast<float>(counts.noiseLike) / bins;
    float target = std::clamp((share - Settings::kPresentFrom) /
                                  (Settings::kPresentAt - Settings::kPresentFrom),
                              0.0f, 1.0f);
    // Ticks are not hiss: they are the crackle stage's to take.
    target *= 1.0f - std::clamp((peakedness_ - Settings::kPeakedFrom) /
                                    (Settings::kPeakedAt - Settings::kPeakedFrom),
                                0.0f, 1.0f);
    presence_ += (target - presence_) * Settings::kPresenceRate;
}
