#include "CddaDrive.h"

#include "AppHost.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>
#include <cdio/mmc_ll_cmds.h>

#include <mutex>
#include <string>

namespace {

void logToRunLog(cdio_log_level_t level, const char message[]) {
    if (level < CDIO_LOG_WARN) {
        return;
    }
    if (AppHost* host = AppHost::current()) {
        host->log((std::string("CD: ") + message).c_str());
    }
}

} // namespace

void cddaInitialise() {
    static std::once_flag once;
    std::call_once(once, [] {
        cdio_init();
        cdio_log_set_handler(logToRunLog);
    });
}

const char* cddaErrorText(int32_t error) {
    switch (error) {
    case kCddaOk:
        return "no error";
    case kCddaNoDrive:
        return "the drive or image cannot be opened";
    case kCddaNoDisc:
        return "there is no readable disc in the drive";
    case kCddaNoTrack:
        return "the disc has no such track";
    case kCddaBadRange:
        return "the track lies outside the disc";
    case kCddaReadFailed:
        return "sectors could not be read";
    case kCddaCreateFailed:
        return "the file cannot be created";
    case kCddaWriteFailed:
        return "the file could not be written";
    case kCddaDiskFull:
        return "not enough disk space";
    case kCddaStopped:
        return "stopped";
    case kCddaNotInitialised:
        return "the file was not prepared";
    default:
        return "unknown error";
    }
}

CddaDrive::CddaDrive(const CddaDriveInfo& info) : info_(info) {
    cddaInitialise();
    openSource();
}

CddaDrive::~CddaDrive() {
    if (cdio_) {
        cdio_destroy(cdio_);
    }
}

void CddaDrive::openSource() {
    if (cdio_) {
        cdio_destroy(cdio_);
    }
    cdio_ = cdio_open(info_.source.c_str(), info_.image ? DRIVER_UNKNOWN : DRIVER_DEVICE);
    lastError_ = cdio_ ? kCddaOk : kCddaNoDrive;
}

CddaStatus CddaDrive::status() const {
    CddaStatus status;
    status.tracks = trackCount();
    status.readable = status.tracks > 0;
    return status;
}

int32_t CddaDrive::trackCount() const {
    if (!cdio_) {
        return 0;
    }
    const track_t first = cdio_get_first_track_num(cdio_);
    const track_t last = cdio_get_last_track_num(cdio_);
    if (first == CDIO_INVALID_TRACK || last == CDIO_INVALID_TRACK || last < first) {
        return 0;
    }
    return last - first + 1;
}

int32_t CddaDrive::readTrackInfo(int32_t number, CddaTrackInfo& track) const {
    if (!cdio_) {
        return kCddaNoDrive;
    }
    if (number < 1 || number > trackCount()) {
        return kCddaNoTrack;
    }
    const auto cdioTrack = static_cast<track_t>(cdio_get_first_track_num(cdio_) + number - 1);
    const lsn_t start = cdio_get_track_lsn(cdio_, cdioTrack);
    const unsigned length = cdio_get_track_sec_count(cdio_, cdioTrack);
    if (start == CDIO_INVALID_LSN || start < 0) {
        return kCddaNoTrack;
    }
    track.number = number;
    track.start = start;
    track.length = static_cast<int32_t>(length);
    track.type = cdio_get_track_format(cdio_, cdioTrack) == TRACK_FORMAT_AUDIO ? kCddaAudioTrack
                                                                               : kCddaDataTrack;
    return kCddaOk;
}

bool CddaDrive::isAudioRange(int32_t start, int32_t length) const {
    const int64_t end = int64_t{start} + length;
    for (int32_t number = 1; number <= trackCount(); ++number) {
        CddaTrackInfo track;
        if (readTrackInfo(number, track) != kCddaOk) {
            return false;
        }
        const bool touched = track.start < end && int64_t{track.start} + track.length > start;
        if (touched && track.type != kCddaAudioTrack) {
            return false;
        }
    }
    return true;
}

bool CddaDrive::mediaChanged() {
    return cdio_ && cdio_get_media_changed(cdio_) == 1;
}

void CddaDrive::reload() {
    openSource();
}

void CddaDrive::lock(bool on) {
    if (cdio_ && !info_.image) {
        // A drive that cannot lock its tray copies just as well.
        mmc_prevent_allow_medium_removal(cdio_, false, on, 0);
    }
}
