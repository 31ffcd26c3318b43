#pragma once

#include "CddaTypes.h"

#include <atomic>
#include <cstdint>

class CddaDrive;

// A blocking copy of one run of audio sectors (a track) from a drive into a sink, read
// through cdio-paranoia with its full verification and retries: overlapping reads are
// compared until they agree, so jitter and unstable reads are mended; a sector that still
// cannot be read after the retries fails the copy rather than leave a gap or noise in it.
// The notifications are made on the copying thread; stopCopy() may be called from any
// thread while copy() runs.
class CddaTrackCopy {
public:
    // Retries of one sector before it counts as unreadable.
    static constexpr int kRetries = 20;
    // A progress notification every second of audio.
    static constexpr int32_t kProgressSectors = kCddaSectorsPerSecond;

    // `start` and `length` in sectors; lastError() says whether they fit the disc.
    CddaTrackCopy(CddaDrive& drive, CddaSink& sink, int32_t start, int32_t length);
    virtual ~CddaTrackCopy() = default;
    CddaTrackCopy(const CddaTrackCopy&) = delete;
    CddaTrackCopy& operator=(const CddaTrackCopy&) = delete;

    int32_t lastError() const { return lastError_.load(); }
    // Copies the whole run, or until stopped or failed; returns (and keeps) the error.
    int32_t copy();
    void stopCopy() { stopRequested_.store(true); }

protected:
    virtual void copyStarted() {}
    // `percent` of the sectors delivered, 0 to 100.
    virtual void copyProgress(float percent) { (void)percent; }
    virtual void copyFinished() {}

private:
    int32_t copySectors();

    CddaDrive& drive_;
    CddaSink& sink_;
    int32_t start_;
    int32_t length_;
    std::atomic<int32_t> lastError_{kCddaOk};
    std::atomic<bool> stopRequested_{false};
};
