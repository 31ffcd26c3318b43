#pragma once

#include "WaveDeviceTypes.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

// The dropouts of one recording: runs of input frames that never reached its file. The
// device places each by its input position (WaveDropout::atFrame); here they count from
// the recording's first frame. The engine fills it under its lock; any thread may read the
// totals. The list is fixed, so noting a dropout allocates nothing; past kListed dropouts
// are only counted (a recording that bad says enough).
class AERecordingDropouts {
public:
    static constexpr size_t kListed = 256;

    struct Totals {
        uint64_t count = 0;
        uint64_t frames = 0;
        // The time lost, in whole milliseconds (rounded).
        int64_t milliseconds() const;
    };

    // A recording whose first frame is the device's input frame `start`.
    void begin(uint64_t start);
    // A dropout of the device, kept when it lies after the recording's first frame.
    void note(const WaveDropout& dropout);
    // The recording ended after `frames` frames: the dropouts at or past its end came after
    // its last frame. Returns the totals.
    Totals end(int64_t frames);
    Totals totals() const { return {count_.load(), frames_.load()}; }

    // Each listed dropout as a run-log line with its place in the recording, then the sum.
    void log(void (*logLine)(const char* line)) const;

private:
    uint64_t start_ = 0;
    std::array<WaveDropout, kListed> list_{};
    size_t listed_ = 0;
    std::atomic<uint64_t> count_{0};
    std::atomic<uint64_t> frames_{0};
};
