#pragma once

#include "AEProject.h"
#include "AESilenceSplit.h"

#include <array>
#include <cstdint>
#include <vector>

// Splitting a title at the silences between its songs: the proposal (the title's
// recording read through a SilenceLevelMeter, its songs found by AESilenceSplit) and its
// acceptance, which puts one title per song in the title's place, all referring to the
// same recording with their own trims. Neighbouring titles meet at the cut in the middle
// of the gap between their songs.
namespace AETitleSplit {

enum Result : int32_t {
    kDone = 0,
    kNoSuchTitle,
    kProcessed,     // a processed title plays another file than the one its trims refer to
    kCannotRead,    // the recording cannot be read
    kNoGaps,        // fewer than two songs found
    kTooManyTitles, // the project would pass 99 titles
    kCancelled,
};

// Fade length at a cut, within the silence, so a song's first and last notes stay whole.
constexpr int32_t kCutFadeFrames = 882;

struct Proposal {
    int32_t index = -1;
    std::vector<AESilenceSplit::Song> songs;
    // Fade points (trim start, fade-in end, fade-out start, trim end) of each new title.
    std::vector<std::array<int32_t, 4>> fades;
};

// Finds the songs of title `index` with the shared progress display and the user's cancel.
Result propose(const AEProject& project, int32_t index, const AESilenceSplit::Settings& settings,
               Proposal& proposal);
// The fade points of the title of each song of [range): short fades at the cuts, the
// title's own fades where a song's title meets the range's ends.
std::vector<std::array<int32_t, 4>> songFades(const std::vector<AESilenceSplit::Song>& songs,
                                              AESilenceSplit::Range range,
                                              const std::array<int32_t, 4>& titleFades);
// Replaces the proposal's title by one title per song: names "Title n" by disc position,
// the other settings copied.
Result accept(AEProject& project, const Proposal& proposal);

// The string id telling the user about `result` (0 for kDone and kCancelled).
int32_t messageId(Result result);

} // namespace AETitleSplit
