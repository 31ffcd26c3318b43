#include "AERecordLimit.h"

#include "AETimeText.h"

#include <algorithm>

AERecordLimit AERecordLimit::of(int64_t frames, int32_t framesPerBuffer, Reason reason) {
    const int64_t cap = kWaveFrames - 2 * int64_t{std::max(framesPerBuffer, 1)};
    AERecordLimit limit;
    limit.frames = std::max<int64_t>(frames, 0);
    limit.reason = reason;
    if (limit.frames > cap) {
        limit.frames = cap;
        limit.reason = Reason::kFileSize;
    }
    return limit;
}

std::string AERecordLimit::text() const {
    const char* why = "when the disk is full";
    if (reason == Reason::kFileSize) {
        why = "the most a WAVE file holds";
    } else if (reason == Reason::kTimeLimit) {
        why = "the time limit";
    }
    return "stops by itself at " + AETimeText::hoursMinutesSeconds(frames) + ", " + why;
}
