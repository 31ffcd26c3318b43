#include "ProcessingSettings.h"

#include <algorithm>

namespace {

int32_t fadeLength(int32_t from, int32_t to) {
    const int32_t length = to - from;
    return length <= ProcessingSettings::kShortestFade ? ProcessingSettings::kDefaultFade : length;
}

} // namespace

void ProcessingSettings::trimTo(int32_t a, int32_t b, int32_t c, int32_t d, int32_t sourceFrames) {
    // Points past the end of the source (a file shorter than the title thought) or out of
    // order would make a result of the wrong length or fades that never end.
    sourceFrames = std::max(sourceFrames, 0);
    a = std::clamp(a, 0, sourceFrames);
    d = std::clamp(d, a, sourceFrames);
    b = std::clamp(b, a, d);
    c = std::clamp(c, a, d);
    start = a;
    length = d - a;
    fades = true;
    fadeIn = fadeLength(a, b);
    fadeOut = fadeLength(c, d);
}

void ProcessingSettings::wholeSource(int32_t sourceFrames) {
    start = 0;
    length = std::max(sourceFrames, 0);
    fades = false;
    fadeIn = 0;
    fadeOut = 0;
}
