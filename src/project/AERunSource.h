#pragma once

#include "AEAudiofile.h"
#include "AERunProgress.h"
#include "AERunResult.h"

#include <algorithm>
#include <cstdint>
#include <vector>

// Opens the source of a processing or normalizing run for reading: kDone, kCannotRead, or
// kWrongRate for a file at another rate than 44 100 Hz (it would have to be converted
// first, which a run does not do).
AERunResult openRunSource(AEAudiofile& source);

// Reads `frames` frames from the source's position a block (of `block`'s size) at a time
// and hands each to `each(samples, count)`, which returns kDone to go on; advances
// `progress` once per block. Stops before the next block when the user cancels, and fails
// when the source ends early.
template <class Each>
AERunResult forEachBlock(AEAudiofile& source, int32_t frames, std::vector<int16_t>& block,
                         AERunProgress& progress, Each&& each) {
    const auto capacity = static_cast<int32_t>(block.size() / 2);
    for (int32_t left = frames; left > 0;) {
        if (AERunProgress::cancelled()) {
            return AERunResult::kCancelled;
        }
        const int32_t want = std::min(left, capacity);
        if (source.readStereo(block.data(), want) != want) {
            return AERunResult::kCannotRead;
        }
        left -= want;
        if (const AERunResult result = each(block.data(), want); result != AERunResult::kDone) {
            return result;
        }
        progress.advance();
    }
    return AERunResult::kDone;
}
