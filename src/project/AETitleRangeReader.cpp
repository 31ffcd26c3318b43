#include "AETitleRangeReader.h"

#include "AERunSource.h"

#include <algorithm>

AETitleRangeReader::AETitleRangeReader(const AETitleRange& range)
    : range_(range), source_(range.path) {}

bool AETitleRangeReader::open() {
    if (openRunSource(source_) != AERunResult::kDone || !source_.seek(range_.start)) {
        return false;
    }
    if (range_.fades) {
        const int32_t* f = range_.fadePoints;
        envelope_.setFades(f[0], f[1], f[2], f[3]);
        envelope_.setPosition(range_.start);
    }
    left_ = range_.frames;
    return true;
}

int32_t AETitleRangeReader::read(int16_t* samples, int32_t frames) {
    const int32_t want = std::min(frames, left_);
    if (want <= 0) {
        return 0;
    }
    if (source_.readStereo(samples, want) != want) {
        return -1;
    }
    envelope_.process(samples, want);
    left_ -= want;
    return want;
}
