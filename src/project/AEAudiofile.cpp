#include "AEAudiofile.h"

#include "ProjectHost.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr float kTitleRate = 44100.0f;

} // namespace

AEAudiofile::AEAudiofile(const std::string& path, std::shared_ptr<const ProcessorSwitches> switches)
    : AEProcessorHost(std::move(switches)), path_(path), audioFile_(path) {}

AEAudiofile::~AEAudiofile() {
    close();
}

bool AEAudiofile::create() {
    close();
    // The format goes into the first header: a recording cut off before its header is
    // rewritten must still say what it holds.
    audioFile_.setSampleRate(kTitleRate);
    audioFile_.setBits(16);
    audioFile_.setChannels(2);
    if (!audioFile_.create()) {
        ProjectHost::log("creating audio file failed");
        return false;
    }
    audioFile_.setClientFormat(audioFile_.fileFormat());
    length_ = 0;
    position_ = 0;
    mode_ = kWrite;
    created_ = true;
    return true;
}

bool AEAudiofile::openForRead() {
    close();
    if (!audioFile_.open(FAccessMode::kRead)) {
        return false;
    }
    // Interleaved 16-bit at the title rate; any other file is converted while it is read.
    audioFile_.setClientSampleType(kSampleSigned);
    audioFile_.setClientFormatFlags(0);
    audioFile_.setClientChannels(audioFile_.channels() == 1 ? 1 : 2);
    audioFile_.setClientBits(16);
    audioFile_.setClientSampleRate(kTitleRate);
    length_ = std::max(audioFile_.clientFrames(), 0);
    position_ = 0;
    mode_ = kPlayToEnd;
    audioFile_.seek(0);
    return true;
}

bool AEAudiofile::close() {
    if (!audioFile_.isOpen()) {
        return true;
    }
    const bool flushed = !created_ || audioFile_.flush();
    while (audioFile_.isOpen()) {
        audioFile_.close();
    }
    created_ = false;
    return flushed;
}

int32_t AEAudiofile::getPosition() const {
    const int32_t position = position_.load(std::memory_order_relaxed);
    return position >= getLength() ? 0 : position;
}

bool AEAudiofile::seek(int32_t frame) {
    if (!audioFile_.isOpen()) {
        return false;
    }
    frame = std::clamp(frame, 0, getLength());
    if (audioFile_.seek(frame) < 0) {
        return false;
    }
    position_ = frame;
    return true;
}

void AEAudiofile::setStopPosition(int32_t frame, bool force) {
    if (frame < getLength() || force) {
        stopPosition_ = frame;
    }
}

bool AEAudiofile::setLoopRange(int32_t start, int32_t end) {
    if (start < 0 || end <= start) {
        return false;
    }
    rangeStart_ = start;
    rangeEnd_ = end;
    mode_ = kLoopRange;
    return true;
}

bool AEAudiofile::moveRange(int32_t direction) {
    if (mode_ != kLoopRange || direction == 0) {
        return false;
    }
    const int64_t step = direction > 0 ? kRangeStep : -kRangeStep;
    const int64_t start = int64_t{rangeStart()} + step;
    const int64_t end = int64_t{rangeEnd()} + step;
    if (start < 0 || end > getLength()) {
        return false;
    }
    rangeStart_ = static_cast<int32_t>(start);
    rangeEnd_ = static_cast<int32_t>(end);
    return true;
}

bool AEAudiofile::setPlayMode(int32_t mode) {
    if (mode != kPlayToEnd && mode != kPlayEndless) {
        return false;
    }
    mode_ = mode;
    return true;
}

int32_t AEAudiofile::readStereo(int16_t* samples, int32_t frames) {
    if (!samples || frames < 0 || !audioFile_.isOpen()) {
        return -1;
    }
    int32_t done = 0;
    if (audioFile_.clientChannels() == 2) {
        done = frames > 0 ? audioFile_.read(frames, samples) : 0;
    } else {
        // A mono file: its samples go to both channels, a scratch buffer at a time.
        while (done < frames) {
            const int32_t want = std::min(frames - done, kScratchFrames);
            const int32_t got = audioFile_.read(want, scratch_.data());
            if (got <= 0) {
                done = done > 0 ? done : got;
                break;
            }
            int16_t* out = samples + int64_t{done} * 2;
            for (int32_t i = 0; i < got; ++i) {
                out[2 * i] = scratch_[static_cast<size_t>(i)];
                out[2 * i + 1] = scratch_[static_cast<size_t>(i)];
            }
            done += got;
            if (got < want) {
                break;
            }
        }
    }
    if (done > 0) {
        position_ += done;
    }
    return done;
}

int32_t AEAudiofile::writeStereo(const int16_t* samples, int32_t frames) {
    if (!samples || frames <= 0 || !created_ || !audioFile_.isOpen()) {
        return -1;
    }
    const int32_t written = audioFile_.write(frames, samples);
    if (written > 0) {
        position_ += written;
        length_ = std::max(getLength(), position_.load(std::memory_order_relaxed));
    }
    return written;
}

void AEAudiofile::reachEnd() {
    if (endHandler_) {
        endHandler_();
    }
}

void AEAudiofile::fillPlayBuffer(int16_t* samples, int32_t frames) {
    const int32_t got = std::max(readStereo(samples, frames), 0);
    if (got < frames) {
        std::memset(samples + int64_t{got} * 2, 0, static_cast<size_t>(frames - got) * 4);
        // The position counts the buffers handed out, read or not.
        position_ += frames - got;
    }
}

void AEAudiofile::processBuffer(int16_t* samples, int32_t frames) {
    if (!samples || frames <= 0) {
        return;
    }
    // The buffers already queued at the output still have to play before an end is heard.
    const int64_t queued = int64_t{frames} * queuedBuffers_;
    const int64_t position = position_.load(std::memory_order_relaxed);
    const int32_t stop = stopPosition();
    switch (mode()) {
    case kWrite:
        if (stop != kNoStop && position >= stop) {
            reachEnd();
        }
        if (writeStereo(samples, frames) != frames) {
            reachEnd(); // the disk is full: what was written stays valid
        }
        break;
    case kLoopRange:
        if (position >= rangeEnd() + queued - frames) {
            seek(rangeStart());
            setSlotPosition(rangeStart());
        }
        fillPlayBuffer(samples, frames);
        break;
    default: {
        const bool atEnd = position >= getLength() + queued - frames ||
                           (stop != kNoStop && position >= stop + queued);
        if (atEnd && mode() == kPlayToEnd) {
            reachEnd();
            std::memset(samples, 0, static_cast<size_t>(frames) * 4);
            position_ += frames;
            return;
        }
        fillPlayBuffer(samples, frames);
        break;
    }
    }
    runSlots(samples, frames);
}
