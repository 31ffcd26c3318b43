#pragma once

#include "AEAudiofile.h"
#include "AETitleRange.h"
#include "FadeEnvelope.h"

#include <cstdint>

// Reads a title's range as playback plays it: its frames from its start, with the trim
// and fades applied by the playback chain's own envelope (FadeEnvelope). Opening and
// reading belong to one thread; nothing is allocated after open().
class AETitleRangeReader {
public:
    explicit AETitleRangeReader(const AETitleRange& range);

    // Opens the file at the range's start; false when it cannot be read at 44 100 Hz.
    bool open();
    // Reads the next `frames` frames of the range (fewer only at its end): the frames
    // read, 0 at the end, -1 when the file ends early or cannot be read.
    int32_t read(int16_t* samples, int32_t frames);
    // Frames of the range not read yet.
    int32_t left() const { return left_; }

private:
    AETitleRange range_;
    AEAudiofile source_;
    FadeEnvelope envelope_{nullptr};
    int32_t left_ = 0;
};
