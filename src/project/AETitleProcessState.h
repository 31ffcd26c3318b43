#pragma once

#include <cstdint>

// The processing state of a title. Only 0 (not processed: the title plays its own
// recording) and 3 (processed: it plays its processed file) have a meaning; other codes
// are kept as they were read.
struct AETitleProcessState {
    static constexpr int32_t kNotProcessed = 0;
    static constexpr int32_t kProcessed = 3;

    int32_t stateCode = kNotProcessed;

    bool isProcessed() const { return stateCode == kProcessed; }
};
