#include "AEMMEDevice.h"

#include "WaveDeviceBackend.h"

#include "ProjectHost.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int32_t kBytesPerFrame = 4;
// Bytes per second / 1000, times 10: 176.4 bytes per millisecond.
constexpr int64_t kBytesPerTenthMs = 1764;
// The smallest ring the worker can feed: it leaves one buffer queued.
constexpr int32_t kMinBuffers = 2;
constexpr int32_t kMinBufferBytes = 256;
constexpr int32_t kMaxBufferBytes = 262144;

int32_t boundCount(int32_t count) {
    return std::clamp(count, kMinBuffers, AEMMEDevice::kMaxBuffers);
}

int32_t boundBytes(int32_t bytes) {
    return std::clamp(bytes, kMinBufferBytes, kMaxBufferBytes) / kBytesPerFrame * kBytesPerFrame;
}

} // namespace

AEMMEDevice::AEMMEDevice(Opener opener) : opener_(std::move(opener)) {
    if (!opener_) {
        opener_ = [](WaveDirection direction, int number, WaveDevice::DoneCallback callback,
                     WaveResult& result) {
            return WaveDeviceBackend::open(direction, number, std::move(callback), result);
        };
    }
}

AEMMEDevice::~AEMMEDevice() {
    close();
    freeBuffers();
}

void AEMMEDevice::fail(const char* text, int32_t index) {
    char line[160];
    if (index >= 0) {
        std::snprintf(line, sizeof line, "%s %d", text, index);
    } else {
        std::snprintf(line, sizeof line, "%s", text);
    }
    lastError_ = line;
    ProjectHost::log(line);
}

// --- Sizes --------------------------------------------------------------------------

int32_t AEMMEDevice::framesPerBuffer(bool isPlay) const {
    return (isPlay ? playBufferSize_.load() : recBufferSize_.load()) / kBytesPerFrame;
}

int32_t AEMMEDevice::bufferMilliseconds(bool isPlay) const {
    const int64_t bytes = isPlay ? playBufferSize_.load() : recBufferSize_.load();
    return static_cast<int32_t>(bytes * 10 / kBytesPerTenthMs);
}

int32_t AEMMEDevice::totalBufferedFrames(bool isPlay) const {
    const int32_t count = isPlay ? numPlayBuffers_.load() : numRecBuffers_.load();
    return count * framesPerBuffer(isPlay);
}

void AEMMEDevice::setNumPlayBuffers(int32_t count) {
    numPlayBuffers_ = boundCount(count);
}

void AEMMEDevice::setNumRecBuffers(int32_t count) {
    numRecBuffers_ = boundCount(count);
}

void AEMMEDevice::setPlayBufferSize(int32_t bytes) {
    playBufferSize_ = boundBytes(bytes);
}

void AEMMEDevice::setRecBufferSize(int32_t bytes) {
    recBufferSize_ = boundBytes(bytes);
}

// --- Opening and closing ---------------------------------------------------------------

std::unique_ptr<WaveDevice> AEMMEDevice::openDevice(WaveDirection direction) {
    const bool output = direction == WaveDirection::kOutput;
    WaveDevice::DoneCallback callback;
    if (output) {
        callback = [this](WaveHeader& header) { outputDone(header); };
    } else {
        callback = [this](WaveHeader& header) { inputDone(header); };
    }
    WaveResult result = WaveResult::kOk;
    std::unique_ptr<WaveDevice> device =
        opener_(direction, output ? playDevice_ : recDevice_, std::move(callback), result);
    if (!device) {
        char line[160];
        std::snprintf(line, sizeof line, "wave %s open failed: %s", output ? "out" : "in",
                      waveResultText(result));
        fail(line);
    }
    return device;
}

bool AEMMEDevice::open() {
    close();
    freeBuffers();
    auto allocate = [](Ring& ring, int32_t count, int32_t bytes) {
        ring.count = count;
        ring.bytes = bytes;
        ring.data.assign(static_cast<size_t>(count),
                         std::vector<int16_t>(static_cast<size_t>(bytes) / 2, 0));
        for (WaveHeader& header : ring.header) {
            header.data = nullptr;
            header.bufferLength = 0;
            header.user = 0;
            header.flags = 0;
        }
    };
    outScratch_.assign(static_cast<size_t>(playBufferSize_.load()) / 2, 0);
    inScratch_.assign(static_cast<size_t>(recBufferSize_.load()) / 2, 0);
    allocate(outRing_, numPlayBuffers_.load(), playBufferSize_.load());
    allocate(inRing_, numRecBuffers_.load(), recBufferSize_.load());
    lastError_.clear();
    const bool opened = openInput();
    stoppingInput_ = false;
    mode_ = kModeRecord;
    callbackIndex_ = 0;
    inputStarted_ = false;
    return opened;
}

bool AEMMEDevice::openInput() {
    in_ = openDevice(WaveDirection::kInput);
    if (in_ && !queueInputBuffers()) {
        in_->reset();
        closeDevice(in_, inRing_, nullptr);
    }
    return in_ != nullptr;
}

bool AEMMEDevice::queueInputBuffers() {
    nextInputIndex_ = 0;
    inputPosition_ = 0;
    for (int32_t i = 0; i < inRing_.count; ++i) {
        WaveHeader& header = inRing_.header[i];
        header.data = reinterpret_cast<uint8_t*>(inRing_.data[i].data());
        header.bufferLength = static_cast<uint32_t>(inRing_.bytes);
        header.bytesRecorded = 0;
        header.user = 0;
        if (in_->prepare(header) != WaveResult::kOk) {
            fail("failed to prepare wave-in header", i);
            return false;
        }
        if (in_->queue(header) != WaveResult::kOk) {
            fail("failed to add wave-in buffer", i);
            return false;
        }
    }
    return true;
}

void AEMMEDevice::unprepareReturned(WaveDevice& device, Ring& ring) {
    const Clock::time_point deadline = Clock::now() + 250ms;
    for (;;) {
        bool pending = false;
        for (int32_t i = 0; i < ring.count; ++i) {
            WaveHeader& header = ring.header[i];
            if (header.isPrepared() && (header.isDone() || !header.isQueued())) {
                device.unprepare(header);
            }
            pending = pending || header.isQueued();
        }
        if (!pending || Clock::now() >= deadline) {
            return;
        }
        std::this_thread::sleep_for(1ms);
    }
}

void AEMMEDevice::closeDevice(std::unique_ptr<WaveDevice>& device, Ring& ring,
                              const char* failure) {
    if (!device) {
        return;
    }
    unprepareReturned(*device, ring);
    if (device->close() != WaveResult::kOk && failure) {
        fail(failure);
    }
    // A device that refused to close is reset and closed by its destructor.
    device.reset();
}

void AEMMEDevice::close() {
    if (out_) {
        stoppingOutput_ = true;
        out_->pause();
        out_->reset();
        closeDevice(out_, outRing_, nullptr);
    }
    if (in_) {
        stoppingInput_ = true;
        in_->reset();
        closeDevice(in_, inRing_, "waveInClose failed");
    }
    mode_ = kModeNone;
    inputStarted_ = false;
}

void AEMMEDevice::freeBuffers() {
    for (Ring* ring : {&outRing_, &inRing_}) {
        ring->data.clear();
        ring->count = 0;
        ring->bytes = 0;
    }
    outScratch_ = {};
    inScratch_ = {};
}

// --- Modes ------------------------------------------------------------------------------

bool AEMMEDevice::startInput() {
    if (inputStarted_) {
        return true;
    }
    if (mode_ != kModeRecord || !in_ || in_->start() != WaveResult::kOk) {
        return false;
    }
    inputStarted_ = true;
    return true;
}

bool AEMMEDevice::switchToPlay() {
    if (mode_ != kModeRecord) {
        return mode_ == kModePlay;
    }
    stoppingInput_ = true;
    std::this_thread::sleep_for(100ms);
    if (in_) {
        in_->reset();
        closeDevice(in_, inRing_, "waveInClose failed");
    }
    inputStarted_ = false;
    out_ = openDevice(WaveDirection::kOutput);
    if (!out_ || !queueSilence()) {
        // Stay able to record rather than be left with no device at all.
        closeDevice(out_, outRing_, nullptr);
        mode_ = openInput() ? kModeRecord : kModeNone;
        stoppingInput_ = false;
        return false;
    }
    std::fill(outScratch_.begin(), outScratch_.end(), int16_t{0});
    mode_ = kModePlay;
    callbackIndex_ = 0;
    return out_->start() == WaveResult::kOk;
}

bool AEMMEDevice::queueSilence() {
    nextWriteIndex_ = 0;
    nextFillIndex_ = 0;
    stoppingOutput_ = false;
    out_->pause();
    for (int32_t i = 0; i < outRing_.count; ++i) {
        WaveHeader& header = outRing_.header[i];
        std::fill(outRing_.data[i].begin(), outRing_.data[i].end(), int16_t{0});
        header.data = reinterpret_cast<uint8_t*>(outRing_.data[i].data());
        header.bufferLength = static_cast<uint32_t>(outRing_.bytes);
        header.user = kInUse;
        if (out_->prepare(header) != WaveResult::kOk) {
            fail("failed to prepare wave header", i);
            return false;
        }
        if (out_->queue(header) != WaveResult::kOk) {
            fail("failed to write wave header", i);
            out_->reset();
            return false;
        }
    }
    return true;
}

bool AEMMEDevice::switchToRecord() {
    if (mode_ != kModePlay) {
        return mode_ == kModeRecord;
    }
    stoppingOutput_ = true;
    if (out_) {
        if (out_->reset() != WaveResult::kOk) {
            fail("waveOutReset failed (switchToRecord)");
        }
        closeDevice(out_, outRing_, "waveOutClose failed");
    }
    mode_ = kModeNone;
    if (!openInput()) {
        return false;
    }
    stoppingInput_ = false;
    std::fill(inScratch_.begin(), inScratch_.end(), int16_t{0});
    mode_ = kModeRecord;
    callbackIndex_ = 0;
    inputStarted_ = false;
    std::this_thread::sleep_for(20ms);
    return true;
}

// --- Buffers ----------------------------------------------------------------------------

bool AEMMEDevice::getBuffer(int16_t*& out, int32_t /*index*/, bool isInput) {
    out = nullptr;
    if (!isInput) {
        if (mode_ != kModePlay || outRing_.count == 0) {
            return false;
        }
        WaveHeader& header = outRing_.header[nextFillIndex_];
        if ((header.user.load() & kInUse) != 0) {
            return false;
        }
        out = outRing_.data[nextFillIndex_].data();
        nextFillIndex_ = (nextFillIndex_ + 1) % outRing_.count;
        return true;
    }
    if (!inputStarted_ || mode_ != kModeRecord || !in_ || inRing_.count == 0) {
        return false;
    }
    WaveHeader& header = inRing_.header[nextInputIndex_];
    if ((header.user.load() & kInUse) == 0) {
        return false;
    }
    // A buffer handed back before it was full (a stop) keeps its tail silent.
    const size_t bytes = std::min<size_t>(header.bytesRecorded.load(), header.bufferLength);
    std::memcpy(inScratch_.data(), header.data, bytes);
    std::memset(reinterpret_cast<uint8_t*>(inScratch_.data()) + bytes, 0,
                header.bufferLength - bytes);
    header.user.fetch_and(~kInUse);
    in_->queue(header);
    inputPosition_ += bytes / kBytesPerFrame;
    nextInputIndex_ = (nextInputIndex_ + 1) % inRing_.count;
    out = inScratch_.data();
    return true;
}

bool AEMMEDevice::queueBuffer() {
    if (mode_ == kModeRecord || stoppingOutput_ || !out_ || outRing_.count == 0) {
        return false;
    }
    WaveHeader& header = outRing_.header[nextWriteIndex_];
    nextWriteIndex_ = (nextWriteIndex_ + 1) % outRing_.count;
    header.user.fetch_or(kInUse);
    if (out_->queue(header) != WaveResult::kOk) {
        // Not queued, so never called back: free for the next turn.
        header.user.fetch_and(~kInUse);
        return false;
    }
    return true;
}

int16_t* AEMMEDevice::currentOutputData() {
    return outRing_.count > 0 ? outRing_.data[nextWriteIndex_].data() : nullptr;
}

bool AEMMEDevice::isBufferMarked(int32_t index) const {
    return index >= 0 && index < kMaxBuffers && (outRing_.header[index].user.load() & kMarked) != 0;
}

void AEMMEDevice::markBuffer(int32_t index) {
    if (index >= 0 && index < kMaxBuffers) {
        outRing_.header[index].user.fetch_or(kMarked);
    }
}

// --- Callbacks (completion threads) -------------------------------------------------------

void AEMMEDevice::advanceCallback(int32_t count) {
    const int32_t index = callbackIndex_.load();
    if (AEDeviceClient* client = client_.load()) {
        client->bufferDone(index);
    }
    callbackIndex_ = count > 0 ? (index + 1) % count : 0;
}

void AEMMEDevice::outputDone(WaveHeader& header) {
    header.user.fetch_and(~kInUse);
    advanceCallback(outRing_.count);
}

void AEMMEDevice::inputDone(WaveHeader& header) {
    header.user.fetch_or(kInUse);
    if (!stoppingInput_) {
        advanceCallback(inRing_.count);
    }
}

// --- State ------------------------------------------------------------------------------

bool AEMMEDevice::lost() const {
    const int32_t mode = mode_.load();
    if (mode == kModePlay) {
        return !out_ || out_->lost();
    }
    return mode == kModeRecord && in_ && in_->lost();
}

WaveDeviceStats AEMMEDevice::inputStats() const {
    return in_ ? in_->stats() : WaveDeviceStats{};
}

bool AEMMEDevice::takeInputDropout(WaveDropout& dropout, uint64_t upTo) {
    return in_ && in_->takeDropout(dropout, upTo);
}

WaveDeviceStats AEMMEDevice::outputStats() const {
    return out_ ? out_->stats() : WaveDeviceStats{};
}
