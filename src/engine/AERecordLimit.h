#pragma once

#include <cstdint>
#include <string>

// How long a recording may run before it stops by itself: the frames that fit on the
// recording drive, but never more than a WAVE file can hold. A WAVE file's sizes are 32-bit
// (the data size, and the RIFF size 36 bytes more), so it holds at most
// 4 GiB − 37 bytes of samples: about 6 h 45 min of 44.1 kHz 16-bit stereo. A recording
// that ran past that would end in a file whose header is wrong.
struct AERecordLimit {
    enum class Reason { kDiskSpace, kFileSize, kTimeLimit };

    static constexpr int64_t kWaveHeaderSizeBytes = 36;
    static constexpr int64_t kWaveFrames = (int64_t{UINT32_MAX} - kWaveHeaderSizeBytes) / 4;

    // The limit for `frames` of free space (or of a time limit): a recording notices its
    // limit at the start of a buffer and still writes that buffer, so it may end up to
    // two buffers of `framesPerBuffer` past it; the cap leaves room for them.
    static AERecordLimit of(int64_t frames, int32_t framesPerBuffer,
                            Reason reason = Reason::kDiskSpace);

    int64_t frames = 0;
    Reason reason = Reason::kDiskSpace;

    bool byFileSize() const { return reason == Reason::kFileSize; }
    // For the recording display: "stops by itself at 6:45:47, the most a WAVE file holds".
    std::string text() const;
};
