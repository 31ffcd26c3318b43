#include "EnhancedFrequencyMedian.h"

#include "EnhancedNoiseSettings.h"
#include "NspLanes.h"

#include <array>
#include <utility>

namespace {

using Settings = EnhancedNoiseSettings;

constexpr int32_t kBins = Settings::kBins;
constexpr int32_t kHalf = Settings::kMedianHalfWidth;
constexpr int32_t kWidth = 2 * kHalf + 1;

// The exchanges of a sorting network of kWidth values (Batcher's merge exchange), less those
// that cannot reach the middle value: what is left selects the median.
struct Exchange {
    int32_t low = 0;
    int32_t high = 0;
};

struct Network {
    std::array<Exchange, 128> exchanges{};
    int32_t count = 0;
};

constexpr Network medianNetwork() {
    Network all;
    int32_t t = 0;
    while ((1 << t) < kWidth) {
        ++t;
    }
    for (int32_t p = 1 << (t - 1); p > 0; p >>= 1) {
        int32_t q = 1 << (t - 1), r = 0, d = p;
        for (;;) {
            for (int32_t i = 0; i + d < kWidth; ++i) {
                if ((i & p) == r) {
                    all.exchanges[static_cast<size_t>(all.count++)] = {i, i + d};
                }
            }
            if (q == p) {
                break;
            }
            d = q - p;
            q >>= 1;
            r = p;
        }
    }
    std::array<bool, kWidth> needed{};
    needed[kHalf] = true;
    std::array<bool, 128> kept{};
    for (int32_t c = all.count - 1; c >= 0; --c) {
        const Exchange e = all.exchanges[static_cast<size_t>(c)];
        if (needed[static_cast<size_t>(e.low)] || needed[static_cast<size_t>(e.high)]) {
            kept[static_cast<size_t>(c)] = true;
            needed[static_cast<size_t>(e.low)] = needed[static_cast<size_t>(e.high)] = true;
        }
    }
    Network median;
    for (int32_t c = 0; c < all.count; ++c) {
        if (kept[static_cast<size_t>(c)]) {
            median.exchanges[static_cast<size_t>(median.count++)] =
                all.exchanges[static_cast<size_t>(c)];
        }
    }
    return median;
}

constexpr Network kMedian = medianNetwork();

template <class V, int32_t kLow, int32_t kHigh> [[gnu::always_inline]] inline void exchange(V* v) {
    const V a = v[kLow];
    const V b = v[kHigh];
    const auto swap = b < a;
    v[kLow] = swap ? b : a;
    v[kHigh] = swap ? a : b;
}

template <class V, size_t... I>
[[gnu::always_inline]] inline void exchangeAll(V* v, std::index_sequence<I...>) {
    (exchange<V, kMedian.exchanges[I].low, kMedian.exchanges[I].high>(v), ...);
}

// smoothed[k] = the median of estimate[k − kHalf .. k + kHalf] from kMedianFromBin on, lanes
// of neighbouring bins side by side; `estimate` is the array with its margins.
template <class V>
[[gnu::always_inline]] inline void medianIn(const float* estimate, float* smoothed) {
    constexpr int32_t kLanes = kNspLanesOf<V>;
    for (int32_t k = Settings::kMedianFromBin; k < kBins; k += kLanes) {
        V v[kWidth];
        for (int32_t j = 0; j < kWidth; ++j) {
            nspLoad(v[j], estimate + k + j);
        }
        exchangeAll(v, std::make_index_sequence<static_cast<size_t>(kMedian.count)>{});
        nspStore(smoothed + k, v[kHalf]);
    }
}

NSP_WIDE_TARGET void medianWide(const float* estimate, float* smoothed) {
    medianIn<NspWideFloatLanes>(estimate, smoothed);
}

} // namespace

namespace EnhancedFrequencyMedian {

void apply(const float* estimate, float* smoothed) {
    if (nspWideLanes()) {
        medianWide(estimate, smoothed);
    } else {
        medianIn<NspFloatLanes>(estimate, smoothed);
    }
}

} // namespace EnhancedFrequencyMedian
