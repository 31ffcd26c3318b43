#include "CddaTrackCopy.h"

#include "CddaDrive.h"

#define DO_NOT_WANT_PARANOIA_COMPATIBILITY
#include <cdio/cdio.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// Reads in a row that bring nothing, and reads for one sector, before the copy gives up.
// The library retries and re-verifies on its own, without end when reads bring nothing or
// never the same audio twice (as past the end of a damaged image).
constexpr int32_t kMaxFailedReads = 200;
constexpr int32_t kMaxReadsPerSector = 2000;

// What the library's read function and callback (which carry no context) know of the copy
// running on their thread.
struct ReadGuard {
    long (*read)(cdrom_drive_t*, void*, lsn_t, long) = nullptr;
    const std::atomic<bool>* stop = nullptr;
    int32_t failedReads = 0;
    int32_t readsForSector = 0;
    int32_t skippedSectors = 0;
    bool givenUp = false;
};
thread_local ReadGuard* tGuard = nullptr;

long guardedRead(cdrom_drive_t* drive, void* buffer, lsn_t begin, long sectors) {
    if (!tGuard) {
        return -1;
    }
    ReadGuard& guard = *tGuard;
    guard.givenUp = guard.givenUp || ++guard.readsForSector > kMaxReadsPerSector;
    if (!guard.givenUp && !guard.stop->load()) {
        const long got = guard.read(drive, buffer, begin, sectors);
        if (got > 0) {
            guard.failedReads = 0;
            return got;
        }
        if (++guard.failedReads < kMaxFailedReads) {
            return got;
        }
        guard.givenUp = true;
    }
    // Given up or stopped: silence lets the library return at once; the copy is failed
    // (or stopped) and its audio thrown away. (Some reads come without a buffer: they
    // only move the drive.)
    if (buffer && sectors > 0) {
        std::memset(buffer, 0, static_cast<size_t>(sectors) * kCddaSectorBytes);
    }
    return sectors;
}

void countSkips(long, paranoia_cb_mode_t mode) {
    if (mode == PARANOIA_CB_SKIP && tGuard) {
        ++tGuard->skippedSectors;
    }
}

// Hands the drive's reads to guardedRead while it exists.
class GuardedReads {
public:
    GuardedReads(cdrom_drive_t* drive, const std::atomic<bool>& stop) {
        guard_.read = drive->read_audio;
        guard_.stop = &stop;
        drive->read_audio = guardedRead;
        tGuard = &guard_;
    }
    ~GuardedReads() { tGuard = nullptr; }
    GuardedReads(const GuardedReads&) = delete;
    GuardedReads& operator=(const GuardedReads&) = delete;
    const ReadGuard& guard() const { return guard_; }
    void sectorDelivered() { guard_.readsForSector = 0; }

private:
    ReadGuard guard_;
};

struct CloseDrive {
    // The libcdio handle belongs to the CddaDrive, not to this view of it.
    void operator()(cdrom_drive_t* drive) const { cdio_cddap_close_no_free_cdio(drive); }
};
struct FreeParanoia {
    void operator()(cdrom_paranoia_t* paranoia) const { cdio_paranoia_free(paranoia); }
};

} // namespace

CddaTrackCopy::CddaTrackCopy(CddaDrive& drive, CddaSink& sink, int32_t start, int32_t length)
    : drive_(drive), sink_(sink), start_(start), length_(length) {
    if (drive.lastError() != kCddaOk || !drive.handle()) {
        lastError_ = kCddaNoDrive;
        return;
    }
    // The lead-out: the first sector after the disc's last.
    const lsn_t leadOut = cdio_get_disc_last_lsn(drive.handle());
    if (leadOut == CDIO_INVALID_LSN) {
        lastError_ = kCddaNoDisc;
    } else if (start < 0 || length <= 0 || int64_t{start} + length > int64_t{leadOut} ||
               !drive.isAudioRange(start, length)) {
        lastError_ = kCddaBadRange;
    }
}

int32_t CddaTrackCopy::copy() {
    if (lastError_ != kCddaOk) {
        return lastError_;
    }
    copyStarted();
    lastError_ = copySectors();
    copyFinished();
    return lastError_;
}

int32_t CddaTrackCopy::copySectors() {
    std::unique_ptr<cdrom_drive_t, CloseDrive> cdda(
        cdio_cddap_identify_cdio(drive_.handle(), CDDA_MESSAGE_FORGETIT, nullptr));
    if (!cdda) {
        return kCddaNoDisc;
    }
    cdio_cddap_verbose_set(cdda.get(), CDDA_MESSAGE_FORGETIT, CDDA_MESSAGE_FORGETIT);
    if (cdio_cddap_open(cdda.get()) != 0) {
        return kCddaNoDisc;
    }
    // Audio comes from a drive (and from an image) little-endian; left to itself the
    // library guesses the byte order from the music and can guess wrong on noisy audio.
    cdda->bigendianp = 0;
    std::unique_ptr<cdrom_paranoia_t, FreeParanoia> paranoia(cdio_paranoia_init(cdda.get()));
    if (!paranoia) {
        return kCddaNoDisc;
    }
    // The library waits forever for sectors past the audio area. The last audio track
    // before a data session counts the gap between the sessions as its own: it ends early.
    const lsn_t audioLast = cdio_cddap_disc_lastsector(cdda.get());
    if (start_ < cdio_cddap_disc_firstsector(cdda.get()) || start_ > audioLast) {
        return kCddaBadRange;
    }
    const int32_t length = std::min<int32_t>(length_, audioLast - start_ + 1);
    cdio_paranoia_modeset(paranoia.get(), PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
    cdio_paranoia_seek(paranoia.get(), start_, SEEK_SET);

    GuardedReads reads(cdda.get(), stopRequested_);
    for (int32_t sector = 0; sector < length; ++sector) {
        if (stopRequested_.load()) {
            return kCddaStopped;
        }
        const int16_t* samples = cdio_paranoia_read_limited(paranoia.get(), countSkips, kRetries);
        if (stopRequested_.load()) {
            return kCddaStopped;
        }
        if (!samples || reads.guard().skippedSectors > 0 || reads.guard().givenUp) {
            return kCddaReadFailed;
        }
        reads.sectorDelivered();
        if (const int32_t error = sink_.writeSectors(samples, 1); error != kCddaOk) {
            return error;
        }
        const int32_t done = sector + 1;
        if (done % kProgressSectors == 0 || done == length) {
            copyProgress(100.0f * static_cast<float>(done) / static_cast<float>(length));
        }
    }
    return kCddaOk;
}
