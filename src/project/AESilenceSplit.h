#pragma once

#include "SilenceLevelMeter.h"

#include <cstdint>
#include <optional>
#include <vector>

// Finding the songs of one recorded side: the arithmetic only, on the hop energies that a
// SilenceLevelMeter measured over the title's frames (reading them is the caller's work).
//
// The short-term level (50 ms) follows the recording: its loud level is a high percentile
// of the levels, its noise floor the level of its quietest stretches. A gap is a stretch
// of at least the minimum silence whose level stays near the floor and well below the
// music, so hiss, surface noise and rumble under the songs are no music, and a pianissimo,
// a fade that does not reach the floor or a short pause inside a song is no gap. Titles
// are cut in the middle of each gap's quietest part, so the songs' own fades stay whole.
namespace AESilenceSplit {

struct Settings {
    double minSilenceSeconds = 1.5;
    // When set, the level in dB relative to the title's loud level that a gap keeps to
    // (Thresholds); unset, the gaps' level follows the title's noise floor.
    std::optional<double> thresholdDb;
    double minTitleSeconds = 7.0;
};

// A half-open stretch of frames [start, end).
struct Range {
    int32_t start = 0;
    int32_t end = 0;
    int32_t length() const { return end - start; }
};

constexpr int32_t kHopFrames = SilenceLevelMeter::kHopFrames;
// Hops of one short-term level (50 ms), centred on its own hop.
constexpr int32_t kLevelHops = 5;
// The loud level: this share of the title's short-term levels lies at or below it.
constexpr double kLoudShare = 0.95;
// A gap's typical (median) level lies within this of the noise floor ...
constexpr double kNearFloorDb = 6.0;
// ... and at least this far below the loud level.
constexpr double kBelowLoudDb = 20.0;
// No level of a gap rises more than this above its typical limit: noise that swells and
// ebbs stays one gap, the first notes of a song end it.
constexpr double kSwellDb = 6.0;
// Hops a gap may fall short of the minimum silence: the resolution of its edges.
constexpr int32_t kEdgeHops = 2;
// A gap's quietest part: its levels, smoothed over kQuietHops, within kQuietPartDb of the
// lowest.
constexpr int32_t kQuietHops = 25;
constexpr double kQuietPartDb = 3.0;

// The short-term level of each hop in dB of full scale: the median of the energies of the
// kLevelHops hops around it, so a disturbance of up to two hops leaves it where it was.
std::vector<float> shortTermLevels(const std::vector<float>& energies);

struct Loudness {
    double loudDb = 0.0;
    double floorDb = 0.0;
};
// The title's loud level and its noise floor: the level that half a minimum silence's
// worth of its hops from its first music to its last lies at or below, so the quietest
// stretch of a gap between songs sets it, and neither a moment of digital silence nor the
// sound card's own noise before the needle drops does.
Loudness loudness(const std::vector<float>& levels, int32_t minSilenceHops);

// What a gap's levels keep to: its median at or below `typicalDb`, every level at or
// below `highestDb`.
struct Thresholds {
    double typicalDb = 0.0;
    double highestDb = 0.0;
};
// `userDb` relative to the loud level when given; otherwise near the floor and well below
// the loud level.
Thresholds thresholds(const Loudness& loudness, std::optional<double> userDb);

// A gap in frames, and where a title boundary goes within it.
struct Gap {
    Range frames;
    int32_t cut = 0;
};
// The gaps of at least `minSilenceHops` hops (less kEdgeHops), the levels' first hop
// starting at frame `range.start`; in order, kept within `range`. A quiet stretch at
// either end of the range is a lead-in or run-out of any length, cut at the range's end
// when it is shorter than a gap.
std::vector<Gap> findGaps(const std::vector<float>& levels, const Thresholds& limits,
                          int32_t minSilenceHops, Range range);

// One song: where its music is, and the title that holds it (from the cut in the gap
// before it, or the range's start, to the cut in the gap after it, or the range's end).
struct Song {
    Range music;
    Range title;
};
// The songs of [range) between `gaps` (in order): stretches of music shorter than
// `minTitleFrames` are no songs and are left out.
std::vector<Song> songsBetween(const std::vector<Gap>& gaps, Range range, int32_t minTitleFrames);

// All of the above on the hop energies of [range), measured from its first frame on.
std::vector<Song> findSongs(const std::vector<float>& energies, Range range,
                            const Settings& settings);

} // namespace AESilenceSplit
