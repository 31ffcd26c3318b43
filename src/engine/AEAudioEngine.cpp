#include "AEAudioEngine.h"

#include "AEFileManager.h"
#include "AppHost.h"
#include "PeakColumns.h"

#include "ProjectHost.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The most input buffers one turn collects: a worker held up for a moment catches up at
// once instead of letting the device drop frames.
constexpr int32_t kMaxInputPerTurn = 16;
constexpr auto kReconfigurePause = 150ms;

} // namespace

AEAudioEngine::AEAudioEngine(AEAudioDevice& device, std::shared_ptr<ProcessorSwitches> switches)
    : device_(device),
      switches_(switches ? std::move(switches) : std::make_shared<ProcessorSwitches>()) {
    source_ = this;
    device_.setClient(this);
    // A test's own engine stand-in stays in place.
    if (!AEEngineAccess::current()) {
        AEEngineAccess::setCurrent(this);
    }
}

AEAudioEngine::~AEAudioEngine() {
    detachDevice();
    if (AEEngineAccess::current() == this) {
        AEEngineAccess::setCurrent(nullptr);
    }
}

void AEAudioEngine::detachDevice() {
    stopThread();
    closeFiles();
    if (deviceAttached_) {
        device_.setClient(nullptr);
        deviceAttached_ = false;
    }
}

void AEAudioEngine::closeFiles() {
    std::lock_guard lock(mutex_);
    // A recording cut short by the end of the program is still a complete file.
    recordSlot_ = nullptr;
    source_ = this;
    transport_.closeRecordFile();
    transport_.closePlayFile();
    state_ = kIdle;
}

// --- Worker -------------------------------------------------------------------------------

bool AEAudioEngine::startThread() {
    if (thread_.joinable()) {
        return threadRunning_.load();
    }
    source_ = this;
    state_ = kIdle;
    stopRequested_ = false;
    threadRunning_ = true;
    thread_ = std::thread([this] { run(); });
    return true;
}

void AEAudioEngine::requestThreadStop() {
    {
        std::lock_guard lock(wakeMutex_);
        stopRequested_ = true;
        threadRunning_ = false;
        woken_ = true;
    }
    wake_.notify_all();
}

void AEAudioEngine::stopThread() {
    requestThreadStop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void AEAudioEngine::run() {
    while (threadRunning_.load()) {
        {
            std::unique_lock lock(wakeMutex_);
            wake_.wait_for(lock, std::chrono::milliseconds(kPollMilliseconds),
                           [this] { return woken_; });
            woken_ = false;
        }
        if (stopRequested_.load() || !threadRunning_.load()) {
            break;
        }
        std::lock_guard lock(mutex_);
        const Clock::time_point t0 = Clock::now();
        turn();
        const int64_t micros =
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - t0).count();
        const int32_t state = state_.load();
        const int64_t bufferMicros =
            int64_t{device_.bufferMilliseconds(state == kPlaying || state == kPlayingRange)} * 1000;
        load_ = bufferMicros > 0 ? static_cast<int32_t>(micros * kLoadScale / bufferMicros) : 0;
        longestTurn_ = std::max(longestTurn_.load(), micros);
    }
}

void AEAudioEngine::turn() {
    switch (state_.load()) {
    case kIdle: {
        int16_t* buffer = nullptr;
        device_.getBuffer(buffer, 0, true); // keeps the input running; the frames go
        // Dropouts in frames that went can be in no recording; later ones may yet be.
        WaveDropout gone;
        while (device_.takeInputDropout(gone, device_.inputPosition())) {
        }
        meters_.zero();
        break;
    }
    case kPlaying:
    case kPlayingRange:
        playTurn();
        break;
    case kRecording:
        recordTurn();
        break;
    case kClosing:
        // The processors went with the play file; slots made since belong to the next play.
        state_ = kIdle;
        break;
    default:
        break;
    }
}

void AEAudioEngine::handleLostDevice() {
    ProjectHost::log(state_ == kRecording ? "wave input lost" : "wave output lost");
    deviceLost_ = true;
    stopLocked();
    ProjectHost::post(AppHost::kTagTransportStopped);
}

void AEAudioEngine::playTurn() {
    if (device_.lost()) {
        handleLostDevice();
        return;
    }
    const int32_t frames = device_.framesPerBuffer(true);
    for (int32_t i = 0; i < device_.getNumPlayBuffers() - 1; ++i) {
        int16_t* buffer = nullptr;
        if (!device_.getBuffer(buffer, 0, false) || state_ == kIdle) {
            break;
        }
        AEAudiofile* file = transport_.playFile();
        if (file) {
            file->processBuffer(buffer, frames);
        } else {
            std::memset(buffer, 0, static_cast<size_t>(frames) * 4);
        }
        int16_t* data = device_.currentOutputData();
        volumes_.apply(AEVolumes::kOutput, data, frames);
        meters_.showPlayed(data, frames);
        if (!device_.queueBuffer() && device_.lost()) {
            handleLostDevice();
            return;
        }
        if (file) {
            shownPosition_ = file->getPosition() + transport_.playbackOffset();
        }
        if (endReached_.load()) {
            stopLocked();
            ProjectHost::post(AppHost::kTagTransportStopped);
            return;
        }
    }
}

void AEAudioEngine::recordTurn() {
    if (device_.lost()) {
        handleLostDevice();
        return;
    }
    collectDropouts();
    const int32_t frames = device_.framesPerBuffer(false);
    for (int32_t i = 0; i < kMaxInputPerTurn; ++i) {
        int16_t* buffer = nullptr;
        AEAudiofile* file = transport_.recordFile();
        if (!file || !device_.getBuffer(buffer, 0, true)) {
            return;
        }
        volumes_.apply(AEVolumes::kInput, buffer, frames);
        const int32_t before = file->getLength();
        source_.load()->processBuffer(buffer, frames);
        meters_.showRecorded(buffer, frames);
        // Only what reached the file: after a failed write the peaks end where it ends.
        transport_.addPeaks(buffer, file->getLength() - before);
        shownPosition_ = file->getLength();
        if (endReached_.load()) {
            stopLocked();
            ProjectHost::post(AppHost::kTagTransportStopped);
            return;
        }
    }
}

void AEAudioEngine::processBuffer(int16_t* samples, int32_t frames) {
    if (AEAudiofile* file = recordSlot_.load()) {
        file->processBuffer(samples, frames);
    }
    AEProcessorHost::processBuffer(samples, frames);
}

void AEAudioEngine::bufferDone(int32_t index) {
    lastDoneIndex_ = index;
    bufferDone_ = true;
}

// --- Transport ------------------------------------------------------------------------------

bool AEAudioEngine::isPlayingOrRecording() const {
    const int32_t state = state_.load();
    return state == kPlaying || state == kPlayingRange || state == kRecording;
}

bool AEAudioEngine::play() {
    std::lock_guard lock(mutex_);
    return beginPlay(false, 0, 0, transport_.position(), false);
}

bool AEAudioEngine::playRange(int32_t start, int32_t end, int32_t from, bool keepMeters) {
    std::lock_guard lock(mutex_);
    rangeStart_ = start;
    rangeEnd_ = end;
    return beginPlay(true, start, end, from < 0 ? start : from, keepMeters);
}

bool AEAudioEngine::beginPlay(bool loop, int32_t start, int32_t end, int32_t from,
                              bool keepMeters) {
    if (state_ == kClosing) {
        state_ = kIdle;
    }
    if (state_ != kIdle) {
        return false;
    }
    const int32_t queued = device_.getNumPlayBuffers();
    if (!transport_.openPlayFile(
            switches_, queued, [this] { requestStop(); }, from, loop, start, end)) {
        ProjectHost::log("cannot open the file to play");
        return false;
    }
    device_.stopInput();
    if (!device_.switchToPlay()) {
        transport_.closePlayFile();
        device_.switchToRecord();
        device_.startInput();
        return false;
    }
    if (!keepMeters) {
        meters_.reset(queued);
    }
    deviceLost_ = false;
    endReached_ = false;
    source_ = transport_.playFile();
    shownPosition_ = transport_.playFile()->getPosition() + transport_.playbackOffset();
    state_ = loop ? kPlayingRange : kPlaying;
    return true;
}

bool AEAudioEngine::record() {
    std::lock_guard lock(mutex_);
    if (state_ == kClosing) {
        state_ = kIdle;
    }
    if (state_ != kIdle) {
        return false;
    }
    transport_.setMaxRecordFrames(limit_.frames);
    if (!transport_.openRecordFile([this] { requestStop(); })) {
        return false;
    }
    // The next buffer is the recording's first frame. Dropouts already ended after that
    // frame lie inside the recording; those before it are of no interest.
    dropouts_.begin(device_.inputPosition());
    collectDropouts();
    deviceLost_ = false;
    endReached_ = false;
    recordSlot_ = transport_.recordFile();
    source_ = this;
    shownPosition_ = 0;
    state_ = kRecording;
    return true;
}

int32_t AEAudioEngine::stop() {
    std::lock_guard lock(mutex_);
    return stopLocked();
}

int32_t AEAudioEngine::stopLocked() {
    const int32_t state = state_.load();
    if (state != kPlaying && state != kPlayingRange && state != kRecording) {
        return transport_.position();
    }
    recordSlot_ = nullptr;
    source_ = this;
    const int32_t position = transport_.closePlayFile();
    if (state == kRecording) {
        collectDropouts();
        AEAudiofile* file = transport_.recordFile();
        const AERecordingDropouts::Totals lost = dropouts_.end(file ? file->getLength() : 0);
        dropouts_.log(ProjectHost::log);
        if (!transport_.closeRecordFile()) {
            ProjectHost::log("completing the recording failed");
        }
        if (AppHost* host = AppHost::current()) {
            constexpr auto kMost = uint64_t{std::numeric_limits<int32_t>::max()};
            host->postAppMessage(AppHost::kTagRecordingStopped,
                                 static_cast<int32_t>(std::min(lost.count, kMost)),
                                 static_cast<int32_t>(std::min<uint64_t>(
                                     static_cast<uint64_t>(lost.milliseconds()), kMost)));
        }
    } else {
        device_.switchToRecord();
        if (inputWanted_) {
            device_.startInput();
        }
    }
    endReached_ = false;
    state_ = state == kRecording ? kIdle : kClosing;
    meters_.zero();
    shownPosition_ = position;
    return position;
}

void AEAudioEngine::seek(int32_t frame) {
    std::lock_guard lock(mutex_);
    if (AEAudiofile* file = transport_.playFile()) {
        file->seek(frame - transport_.playbackOffset());
        file->chain().setPosition(file->getPosition());
    } else {
        transport_.setPosition(frame);
        if (state_ != kRecording) {
            shownPosition_ = frame;
        }
    }
}

bool AEAudioEngine::loadTitle(int32_t index) {
    std::lock_guard lock(mutex_);
    if (index < 0) {
        transport_.setFilePath("");
        return true;
    }
    if (!files_) {
        return false;
    }
    const std::string path = files_->getFileName(index);
    transport_.setFilePath(path);
    return !path.empty() && path != "error";
}

void AEAudioEngine::setFileManager(const AEFileManager* files) {
    std::lock_guard lock(mutex_);
    files_ = files;
}

void AEAudioEngine::setFilePath(std::string path) {
    std::lock_guard lock(mutex_);
    transport_.setFilePath(std::move(path));
}

int32_t AEAudioEngine::recordingPeaks(int64_t first, int64_t step, int32_t columns,
                                      int8_t* out) const {
    std::lock_guard lock(mutex_);
    const AEPeakData* peaks = transport_.peakBuilder();
    if (state_ != kRecording || !peaks || !peaks->isValid()) {
        return 0;
    }
    return PeakColumns::gather(peaks->data(), peaks->blockCount(), first, step, columns, out);
}

std::string AEAudioEngine::filePath() const {
    std::lock_guard lock(mutex_);
    return transport_.filePath();
}

void AEAudioEngine::setRange(int32_t start, int32_t fadeInEnd, int32_t fadeOutStart, int32_t end) {
    std::lock_guard lock(mutex_);
    rangeStart_ = start;
    rangeEnd_ = end;
    transport_.setFades(start, fadeInEnd, fadeOutStart, end);
}

void AEAudioEngine::setRangeStart(int32_t frame) {
    std::lock_guard lock(mutex_);
    rangeStart_ = frame;
    AEAudiofile* file = transport_.playFile();
    if (file && file->mode() == AEAudiofile::kLoopRange) {
        file->setLoopRange(frame, rangeEnd_.load());
    }
}

void AEAudioEngine::setRangeEnd(int32_t frame) {
    std::lock_guard lock(mutex_);
    rangeEnd_ = frame;
    AEAudiofile* file = transport_.playFile();
    if (file && file->mode() == AEAudiofile::kLoopRange) {
        file->setLoopRange(rangeStart_.load(), frame);
    }
}

void AEAudioEngine::setPlayStop(int32_t frame) {
    std::lock_guard lock(mutex_);
    if (AEAudiofile* file = transport_.playFile()) {
        file->setStopPosition(frame, false);
    }
}

void AEAudioEngine::setPlaybackOffset(int32_t frames) {
    std::lock_guard lock(mutex_);
    transport_.setPlaybackOffset(frames);
}

bool AEAudioEngine::createProcessor(int32_t slot, float value) {
    std::lock_guard lock(mutex_);
    return transport_.createProcessor(slot, value);
}

void AEAudioEngine::setRestorationMode(RestorationMode mode) {
    std::lock_guard lock(mutex_);
    transport_.setRestorationMode(mode);
}

RestorationMode AEAudioEngine::restorationMode() const {
    std::lock_guard lock(mutex_);
    return transport_.restorationMode();
}

void AEAudioEngine::enableProcessor(int32_t slot, bool on) {
    std::lock_guard lock(mutex_);
    if (on) {
        transport_.createProcessor(slot, transport_.processorValue(slot));
    } else {
        transport_.removeProcessor(slot);
    }
}

// --- Recording limit -----------------------------------------------------------------------

AERecordLimit AEAudioEngine::setMaxRecordFrames(int64_t frames, AERecordLimit::Reason reason) {
    std::lock_guard lock(mutex_);
    limit_ = AERecordLimit::of(frames, device_.framesPerBuffer(false), reason);
    return limit_;
}

AERecordLimit AEAudioEngine::recordLimit() const {
    std::lock_guard lock(mutex_);
    return limit_;
}

void AEAudioEngine::collectDropouts() {
    WaveDropout dropout;
    while (device_.takeInputDropout(dropout)) {
        dropouts_.note(dropout);
    }
}

// --- Device ----------------------------------------------------------------------------------

bool AEAudioEngine::startInput() {
    std::lock_guard lock(mutex_);
    inputWanted_ = true;
    return device_.startInput();
}

void AEAudioEngine::setMetersEnabled(bool on) {
    meters_.setEnabled(on);
    if (!on) {
        meters_.zero();
    }
}

bool AEAudioEngine::reconfigure(const BufferSettings& settings) {
    if (isBusy()) {
        stop();
    }
    stopThread();
    std::this_thread::sleep_for(kReconfigurePause);
    bool opened = false;
    {
        std::lock_guard lock(mutex_);
        device_.close();
        device_.freeBuffers();
        device_.setNumPlayBuffers(settings.numPlayBuffers);
        device_.setNumRecBuffers(settings.numRecBuffers);
        device_.setPlayBufferSize(settings.playBufferSize);
        device_.setRecBufferSize(settings.recBufferSize);
        device_.setDeviceNumbers(settings.playDevice, settings.recDevice);
        opened = device_.open();
        if (inputWanted_) {
            device_.startInput();
        }
        state_ = kIdle;
    }
    startThread();
    return opened;
}
