#include "AETransport.h"

#include "AERecordingJournal.h"

#include <algorithm>

namespace {

bool validSlot(int32_t slot) {
    return slot >= 0 && slot < AETransport::kSlots;
}

} // namespace

bool AETransport::createProcessor(int32_t slot, float value) {
    if (!validSlot(slot)) {
        return false;
    }
    present_[static_cast<size_t>(slot)] = true;
    values_[static_cast<size_t>(slot)] = value;
    if (playFile_) {
        attach(playFile_->chain(), slot);
    }
    return true;
}

void AETransport::removeProcessor(int32_t slot) {
    if (!validSlot(slot)) {
        return;
    }
    present_[static_cast<size_t>(slot)] = false;
    if (playFile_) {
        playFile_->chain().setProcessor(slot, nullptr);
    }
}

bool AETransport::hasProcessor(int32_t slot) const {
    return validSlot(slot) && present_[static_cast<size_t>(slot)];
}

float AETransport::processorValue(int32_t slot) const {
    return validSlot(slot) ? values_[static_cast<size_t>(slot)] : 0.0f;
}

void AETransport::releaseProcessors(int32_t lastSlot) {
    for (int32_t slot = 0; slot <= std::min(lastSlot, kSlots - 1); ++slot) {
        removeProcessor(slot);
    }
}

void AETransport::setFades(int32_t a, int32_t b, int32_t c, int32_t d) {
    fades_ = {a, b, c, d};
    if (playFile_) {
        playFile_->chain().setFades(a, b, c, d);
    }
}

void AETransport::setRestorationMode(RestorationMode mode) {
    mode_ = mode;
    if (!playFile_) {
        return;
    }
    // The repair stages start afresh in the other mode; the rest of the chain plays on.
    for (int32_t slot = 0; slot <= 2; ++slot) {
        if (present_[static_cast<size_t>(slot)]) {
            attach(playFile_->chain(), slot);
        }
    }
}

void AETransport::attach(ProcessorChain& chain, int32_t slot) const {
    chain.setRestorationMode(mode_);
    chain.createProcessor(slot, values_[static_cast<size_t>(slot)]);
    if (slot == kFadeSlot) {
        chain.setFades(fades_[0], fades_[1], fades_[2], fades_[3]);
        if (playFile_) {
            chain.setPosition(playFile_->getPosition());
        }
    }
}

bool AETransport::openPlayFile(std::shared_ptr<const ProcessorSwitches> switches,
                               int32_t queuedBuffers, std::function<void()> endHandler,
                               int32_t from, bool loop, int32_t start, int32_t end) {
    playFile_.reset();
    auto file = std::make_unique<AEAudiofile>(filePath_, std::move(switches));
    if (filePath_.empty() || !file->openForRead()) {
        return false;
    }
    if (loop && !file->setLoopRange(start, end)) {
        return false;
    }
    file->setQueuedBuffers(queuedBuffers);
    file->setEndHandler(std::move(endHandler));
    file->seek(from);
    playFile_ = std::move(file);
    // The chain exists before the worker runs it; the fade slot learns where play begins.
    ProcessorChain& chain = playFile_->chain();
    for (int32_t slot : {0, 1, 2, 3, 4, 5, kFadeSlot, kLimiterSlot}) {
        if (present_[static_cast<size_t>(slot)]) {
            attach(chain, slot);
        }
    }
    return true;
}

int32_t AETransport::closePlayFile() {
    if (playFile_) {
        position_ = playFile_->getPosition() + playbackOffset_;
        playFile_.reset();
    }
    present_.fill(false);
    return position_;
}

bool AETransport::openRecordFile(std::function<void()> endHandler) {
    closeRecordFile();
    auto file = std::make_unique<AEAudiofile>(filePath_);
    if (filePath_.empty() || !file->create()) {
        return false;
    }
    file->setStopPosition(static_cast<int32_t>(std::min<int64_t>(maxRecordFrames_, INT32_MAX)),
                          true);
    file->setEndHandler(std::move(endHandler));
    auto peaks = std::make_unique<AEPeakData>(&file->audioFile());
    peaks->beginRecording();
    // Until it is closed, a crash leaves its header short: the next start mends it.
    AERecordingJournal::begin(filePath_);
    recordPath_ = filePath_;
    recordFile_ = std::move(file);
    peakBuilder_ = std::move(peaks);
    return true;
}

void AETransport::addPeaks(const int16_t* samples, int32_t frames) {
    if (peakBuilder_ && frames > 0) {
        peakBuilder_->addFrames(samples, frames);
    }
}

bool AETransport::closeRecordFile() {
    bool ok = true;
    if (peakBuilder_) {
        ok = peakBuilder_->finish();
        peakBuilder_.reset();
    }
    if (recordFile_) {
        ok = recordFile_->close() && ok;
        recordFile_.reset();
        AERecordingJournal::end(recordPath_);
    }
    return ok;
}
