#include "AESilenceSplit.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using AESilenceSplit::Range;

// The value of rank `rank` (from 0) among `values`, which it reorders.
float ranked(std::vector<float>& values, size_t rank) {
    const auto at = values.begin() + static_cast<std::ptrdiff_t>(rank);
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

// The middle of the quietest part of the hops [first, end) in hops: the longest run
// whose levels, smoothed over kQuietHops, lie within kQuietPartDb of the lowest smoothed
// level. `sums` holds the running sums of the levels.
double quietestMiddle(const std::vector<double>& sums, int32_t first, int32_t end) {
    const int32_t half = AESilenceSplit::kQuietHops / 2;
    auto smoothed = [&](int32_t h) {
        const int32_t from = std::max(first, h - half);
        const int32_t to = std::min(end, h + half + 1);
        return (sums[static_cast<size_t>(to)] - sums[static_cast<size_t>(from)]) / (to - from);
    };
    double lowest = smoothed(first);
    for (int32_t h = first + 1; h < end; ++h) {
        lowest = std::min(lowest, smoothed(h));
    }
    const double limit = lowest + AESilenceSplit::kQuietPartDb;
    int32_t bestStart = first;
    int32_t bestLength = 0;
    for (int32_t h = first; h < end;) {
        if (smoothed(h) > limit) {
            ++h;
            continue;
        }
        const int32_t start = h;
        while (h < end && smoothed(h) <= limit) {
            ++h;
        }
        if (h - start > bestLength) {
            bestStart = start;
            bestLength = h - start;
        }
    }
    return bestStart + bestLength / 2.0;
}

constexpr double kRate = 44100.0;

int32_t frameOf(Range range, double hops) {
    const auto frame = static_cast<int64_t>(std::lround(hops * AESilenceSplit::kHopFrames));
    return static_cast<int32_t>(std::clamp<int64_t>(range.start + frame, range.start, range.end));
}

} // namespace

namespace AESilenceSplit {

std::vector<float> shortTermLevels(const std::vector<float>& energies) {
    const auto count = static_cast<int32_t>(energies.size());
    std::vector<float> levels(energies.size());
    std::array<float, kLevelHops> window{};
    for (int32_t h = 0; h < count; ++h) {
        const int32_t first = std::max(0, h - kLevelHops / 2);
        const int32_t end = std::min(count, h + kLevelHops / 2 + 1);
        // Insertion sort of at most kLevelHops values.
        size_t n = 0;
        for (int32_t k = first; k < end; ++k, ++n) {
            const float value = energies[static_cast<size_t>(k)];
            size_t at = n;
            for (; at > 0 && window[at - 1] > value; --at) {
                window[at] = window[at - 1];
            }
            window[at] = value;
        }
        levels[static_cast<size_t>(h)] = 10.0f * std::log10(window[n / 2]);
    }
    return levels;
}

Loudness loudness(const std::vector<float>& levels, int32_t minSilenceHops) {
    if (levels.empty()) {
        return {};
    }
    std::vector<float> sorted = levels;
    Loudness result;
    result.loudDb =
        ranked(sorted, static_cast<size_t>(std::lround(kLoudShare * (sorted.size() - 1))));
    // The floor from the first music to the last: what comes before the needle drops (the
    // sound card's own noise, or digital silence) is no part of the record's noise.
    const auto music = [&](float level) { return level > result.loudDb - kBelowLoudDb; };
    const auto first = std::find_if(levels.begin(), levels.end(), music);
    const auto last = std::find_if(levels.rbegin(), levels.rend(), music).base();
    const auto rank = static_cast<size_t>(minSilenceHops / 2);
    const auto interior = last > first ? static_cast<size_t>(last - first) : size_t{0};
    if (interior > rank) {
        sorted.assign(first, last);
    }
    result.floorDb = ranked(sorted, std::min(sorted.size() - 1, rank));
    return result;
}

Thresholds thresholds(const Loudness& loudness, std::optional<double> userDb) {
    const double typical =
        userDb ? loudness.loudDb + *userDb
               : std::min(loudness.floorDb + kNearFloorDb, loudness.loudDb - kBelowLoudDb);
    return {typical, typical + kSwellDb};
}

std::vector<Gap> findGaps(const std::vector<float>& levels, const Thresholds& limits,
                          int32_t minSilenceHops, Range range) {
    const auto count = static_cast<int32_t>(levels.size());
    std::vector<double> sums(levels.size() + 1);
    for (size_t h = 0; h < levels.size(); ++h) {
        sums[h + 1] = sums[h] + levels[h];
    }
    std::vector<float> run;
    run.reserve(levels.size());
    std::vector<Gap> gaps;
    for (int32_t h = 0; h < count;) {
        if (levels[static_cast<size_t>(h)] > limits.highestDb) {
            ++h;
            continue;
        }
        const int32_t start = h;
        while (h < count && levels[static_cast<size_t>(h)] <= limits.highestDb) {
            ++h;
        }
        const bool edge = start == 0 || h == count;
        const bool longEnough = h - start >= std::max(minSilenceHops - kEdgeHops, 1);
        run.assign(levels.begin() + start, levels.begin() + h);
        if ((!edge && !longEnough) || ranked(run, run.size() / 2) > limits.typicalDb) {
            continue;
        }
        const int32_t cut = longEnough   ? frameOf(range, quietestMiddle(sums, start, h))
                            : start == 0 ? range.start
                                         : range.end;
        gaps.push_back({{frameOf(range, start), frameOf(range, h)}, cut});
    }
    return gaps;
}

std::vector<Song> songsBetween(const std::vector<Gap>& gaps, Range range, int32_t minTitleFrames) {
    std::vector<Song> songs;
    int32_t cursor = range.start;
    int32_t cutBefore = range.start;
    auto add = [&](int32_t end, int32_t cutAfter) {
        if (end - cursor >= minTitleFrames) {
            songs.push_back({{cursor, end}, {cutBefore, cutAfter}});
        }
    };
    for (const Gap& gap : gaps) {
        const int32_t start = std::clamp(gap.frames.start, range.start, range.end);
        const int32_t cut = std::clamp(gap.cut, range.start, range.end);
        if (start > cursor) {
            add(start, cut);
        }
        cursor = std::max(cursor, std::clamp(gap.frames.end, range.start, range.end));
        cutBefore = cut;
    }
    if (cursor < range.end) {
        add(range.end, range.end);
    }
    return songs;
}

std::vector<Song> findSongs(const std::vector<float>& energies, Range range,
                            const Settings& settings) {
    const auto minSilenceHops = std::max(
        1, static_cast<int32_t>(std::lround(settings.minSilenceSeconds * kRate / kHopFrames)));
    const auto minTitleFrames =
        std::max(1, static_cast<int32_t>(std::lround(settings.minTitleSeconds * kRate)));
    const std::vector<float> levels = shortTermLevels(energies);
    const Thresholds limits = thresholds(loudness(levels, minSilenceHops), settings.thresholdDb);
    return songsBetween(findGaps(levels, limits, minSilenceHops, range), range, minTitleFrames);
}

} // namespace AESilenceSplit
