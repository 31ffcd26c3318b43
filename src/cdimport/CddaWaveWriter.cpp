#include "CddaWaveWriter.h"

#include "AudioFile.h"

#include "FPendingFile.h"

#include <algorithm>
#include <cstring>

namespace {

// "song_2.wav" is written as "song_2.saving.wav": the extension still names the type.
std::string pendingPathFor(const std::string& path) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return path + ".saving.wav";
    }
    return path.substr(0, dot) + ".saving" + path.substr(dot);
}

} // namespace

CddaWaveWriter::CddaWaveWriter() = default;

CddaWaveWriter::~CddaWaveWriter() {
    file_.reset();
    pending_.reset();
}

int32_t CddaWaveWriter::init(const std::string& path) {
    file_.reset();
    pending_ = std::make_unique<FPendingFile>(path, pendingPathFor(path));
    path_ = path;
    bufferedSectors_ = 0;
    file_ = std::make_unique<AudioFile>(pending_->pendingPath());
    if (!file_->create()) {
        file_.reset();
        pending_->discard();
        lastError_ = kCddaCreateFailed;
        return lastError_;
    }
    file_->setSampleRate(44100.0f);
    file_->setBits(16);
    file_->setChannels(2);
    file_->setClientFormat(file_->fileFormat());
    buffer_.resize(static_cast<size_t>(kBufferSectors) * kCddaSamplesPerSector);
    lastError_ = kCddaOk;
    return lastError_;
}

void CddaWaveWriter::fail(int32_t error) {
    lastError_ = error;
    file_.reset();
    if (pending_) {
        pending_->discard();
    }
}

int32_t CddaWaveWriter::writeSectors(const int16_t* samples, int32_t sectors) {
    if (lastError_ != kCddaOk) {
        return lastError_;
    }
    if (!file_) {
        return kCddaNotInitialised; // completed already
    }
    while (sectors > 0) {
        const int32_t take = std::min(sectors, kBufferSectors - bufferedSectors_);
        std::memcpy(buffer_.data() + static_cast<size_t>(bufferedSectors_) * kCddaSamplesPerSector,
                    samples, static_cast<size_t>(take) * kCddaSectorBytes);
        bufferedSectors_ += take;
        samples += static_cast<size_t>(take) * kCddaSamplesPerSector;
        sectors -= take;
        if (bufferedSectors_ == kBufferSectors && flushBuffer() != kCddaOk) {
            return lastError_;
        }
    }
    return kCddaOk;
}

int32_t CddaWaveWriter::flushBuffer() {
    const int32_t frames = bufferedSectors_ * kCddaFramesPerSector;
    bufferedSectors_ = 0;
    if (frames > 0 && file_->write(frames, buffer_.data()) != frames) {
        fail(kCddaWriteFailed);
    }
    return lastError_;
}

int32_t CddaWaveWriter::done() {
    if (lastError_ != kCddaOk || !file_) {
        return lastError_ != kCddaOk ? lastError_ : kCddaNotInitialised;
    }
    if (flushBuffer() != kCddaOk) {
        return lastError_;
    }
    const bool closed = file_->close();
    file_.reset();
    if (!closed || !pending_->commit()) {
        fail(kCddaWriteFailed);
        return lastError_;
    }
    return kCddaOk;
}
