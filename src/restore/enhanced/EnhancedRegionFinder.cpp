#include "EnhancedRegionFinder.h"

#include <algorithm>

EnhancedRegionFinder::EnhancedRegionFinder(int32_t windowLength) {
    regions_.reserve(static_cast<size_t>(std::max(windowLength, 1)));
}

const std::vector<EnhancedRegion>&
EnhancedRegionFinder::find(const float* ratio, int32_t length, int32_t lo, int32_t hi,
                           const EnhancedImpulseSettings& settings, float kHi) {
    regions_.clear();
    lo_ = lo;
    hi_ = hi;
    // Seeds a little outside [lo, hi) still decide where a group begins.
    const int32_t from = std::max(lo - settings.group, 0);
    const int32_t to = std::min(hi + settings.group, length);
    int32_t first = -1; // first and last seed of the group being gathered
    int32_t last = -1;
    for (int32_t n = from; n < to; ++n) {
        if (ratio[n] <= kHi) {
            continue;
        }
        if (first >= 0 && n - last > settings.group) {
            addGroup(ratio, length, first, last, settings, kHi);
            first = -1;
        }
        if (first < 0) {
            first = n;
        }
        last = n;
    }
    if (first >= 0) {
        addGroup(ratio, length, first, last, settings, kHi);
    }
    return regions_;
}

void EnhancedRegionFinder::addGroup(const float* ratio, int32_t length, int32_t first, int32_t last,
                                    const EnhancedImpulseSettings& settings, float kHi) {
    if (first < lo_ || first >= hi_) {
        return;
    }
    int32_t start = first;
    int32_t end = last + 1;
    const float* peakAt = std::max_element(ratio + start, ratio + end);
    if (settings.fixedSpan) {
        const auto at = static_cast<int32_t>(peakAt - ratio);
        regions_.push_back({at - 1, at + 2});
        return;
    }
    const float level = std::max(kHi * settings.kLoRatio, settings.peakFraction * *peakAt);
    while (start > 0 && ratio[start - 1] > level && end - start < settings.maxLength) {
        --start;
    }
    while (end < length && ratio[end] > level && end - start < settings.maxLength) {
        ++end;
    }
    if (end - start >= settings.maxLength) {
        return; // this long, it is music
    }
    regions_.push_back({start - settings.margin, end + settings.margin});
}
