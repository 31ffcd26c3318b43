#pragma once

#include <cstdint>
#include <string>

class AETitle;

// The frames a title plays: `frames` frames of `path` from `start`, with the trim and
// fades of playback applied when `fades` is set (positions in frames of the file). An
// unprocessed title plays its trim, kept within its file; a processed title plays its
// whole processed file as it is (its trim and fades are already in it), and so does a
// title whose trim is unset (-1).
struct AETitleRange {
    std::string path;
    int32_t start = 0;
    int32_t frames = 0;
    int32_t fileFrames = 0;
    bool fades = false;
    int32_t fadePoints[4] = {0, 0, 0, 0};

    // The range is the whole file, which an export then takes as it is.
    bool wholeFile() const { return start == 0 && frames == fileFrames; }

    // The range of `title`; false when its audio cannot be opened at 44 100 Hz.
    static bool of(const AETitle& title, AETitleRange& range);
};
