#include "WaveDeviceQueue.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

namespace {
constexpr uint32_t kFrameBytes = WaveFormat::kBytesPerFrame;
}

WaveDeviceQueue::WaveDeviceQueue(WaveDirection direction)
    : direction_(direction), running_(direction == WaveDirection::kOutput) {
    sem_init(&doneSignal_, 0, 0);
}

WaveDeviceQueue::~WaveDeviceQueue() {
    sem_destroy(&doneSignal_);
}

bool WaveDeviceQueue::push(WaveHeader& header) {
    std::lock_guard<std::mutex> lock(pushMutex_);
    // Headers in both rings and in progress together never exceed one ring's capacity, so
    // no ring can be full. Counted before the push: the header may be called back at once.
    if (outstanding() >= WaveDeviceRing::kCapacity) {
        return false;
    }
    pushed_.fetch_add(1, std::memory_order_release);
    pending_.push(&header);
    return true;
}

uint64_t WaveDeviceQueue::outstanding() const {
    return pushed_.load(std::memory_order_acquire) - returned_.load(std::memory_order_acquire);
}

void WaveDeviceQueue::enterBackendAsOwner() {
    // The backend holds the flag for one period at most and never waits while holding it.
    while (!tryEnterBackend()) {
        std::this_thread::yield();
    }
}

uint64_t WaveDeviceQueue::drain() {
    std::lock_guard<std::mutex> lock(pushMutex_);
    enterBackendAsOwner();
    if (current_) {
        finishCurrent();
    }
    while (WaveHeader* header = pending_.pop()) {
        header->bytesRecorded.store(0, std::memory_order_relaxed);
        done_.push(header);
        sem_post(&doneSignal_);
    }
    played_ = false;
    gapFrames_ = 0;
    closeDropout();
    frames_.store(0, std::memory_order_relaxed);
    leaveBackend();
    return pushed_.load(std::memory_order_acquire);
}

void WaveDeviceQueue::setRunning(bool running) {
    if (running || direction_ == WaveDirection::kOutput) {
        running_.store(running, std::memory_order_release);
        return;
    }
    // A stopped input hands over what it has recorded into the buffer in progress.
    enterBackendAsOwner();
    running_.store(false, std::memory_order_release);
    if (current_ && offset_ > 0) {
        finishCurrent();
    }
    closeDropout();
    leaveBackend();
}

void WaveDeviceQueue::waitDone() {
    while (sem_wait(&doneSignal_) != 0 && errno == EINTR) {
    }
}

void WaveDeviceQueue::postDone() {
    sem_post(&doneSignal_);
}

WaveHeader* WaveDeviceQueue::current() {
    if (!current_) {
        current_ = pending_.pop();
        offset_ = 0;
    }
    return current_;
}

void WaveDeviceQueue::finishCurrent() {
    current_->bytesRecorded.store(direction_ == WaveDirection::kInput ? offset_ : 0,
                                  std::memory_order_relaxed);
    // Cannot fail: push() keeps the headers in flight within the ring's capacity.
    done_.push(current_);
    current_ = nullptr;
    offset_ = 0;
    sem_post(&doneSignal_);
}

uint32_t WaveDeviceQueue::moveFrames(uint8_t* device, uint32_t frames) {
    const bool output = direction_ == WaveDirection::kOutput;
    uint32_t moved = 0;
    while (moved < frames) {
        WaveHeader* header = current();
        if (!header) {
            break;
        }
        if (gapFrames_ > 0) {
            // A buffer after silence: the silence was an underrun.
            starved_.fetch_add(gapFrames_, std::memory_order_relaxed);
            gapFrames_ = 0;
        }
        const uint32_t n = std::min(frames - moved, (header->bufferLength - offset_) / kFrameBytes);
        uint8_t* deviceBytes = device + static_cast<size_t>(moved) * kFrameBytes;
        uint8_t* bufferBytes = header->data + offset_;
        std::memcpy(output ? deviceBytes : bufferBytes, output ? bufferBytes : deviceBytes,
                    static_cast<size_t>(n) * kFrameBytes);
        offset_ += n * kFrameBytes;
        moved += n;
        played_ = true;
        // Counted before the buffer is handed over, so its callback sees the frames.
        frames_.fetch_add(n, std::memory_order_relaxed);
        if (offset_ >= header->bufferLength) {
            finishCurrent();
        }
    }
    return moved;
}

uint32_t WaveDeviceQueue::playInto(uint8_t* out, uint32_t frames) {
    uint32_t taken = 0;
    if (tryEnterBackend()) {
        if (running()) {
            taken = moveFrames(out, frames);
            if (played_) {
                gapFrames_ += frames - taken;
            }
        }
        leaveBackend();
    }
    std::memset(out + static_cast<size_t>(taken) * kFrameBytes, 0,
                static_cast<size_t>(frames - taken) * kFrameBytes);
    return taken;
}

uint32_t WaveDeviceQueue::recordFrom(const uint8_t* in, uint32_t frames, uint32_t lostBefore) {
    uint32_t stored = 0;
    if (tryEnterBackend()) {
        if (running()) {
            if (lostBefore > 0) {
                overflowFrames_.fetch_add(lostBefore, std::memory_order_relaxed);
                noteLoss(lostBefore);
            }
            // moveFrames only reads the device's side when recording.
            stored = moveFrames(const_cast<uint8_t*>(in), frames);
            if (stored > 0) {
                closeDropout();
                storedFrames_ += stored;
            }
            if (stored < frames) {
                dropped_.fetch_add(frames - stored, std::memory_order_relaxed);
                noteLoss(frames - stored);
            }
        }
        leaveBackend();
    }
    return stored;
}

void WaveDeviceQueue::noteLoss(uint64_t frames) {
    if (openDropout_.frames > 0 && openDropout_.atFrame == storedFrames_) {
        openDropout_.frames += frames;
        return;
    }
    closeDropout();
    openDropout_ = {storedFrames_, frames};
    dropouts_.fetch_add(1, std::memory_order_relaxed);
}

void WaveDeviceQueue::closeDropout() {
    if (openDropout_.frames == 0) {
        return;
    }
    const uint32_t head = dropoutHead_.load(std::memory_order_relaxed);
    // A full list keeps what it has: the stats still count the rest.
    if (head - dropoutTail_.load(std::memory_order_acquire) < kDropoutCapacity) {
        dropoutList_[head % kDropoutCapacity] = openDropout_;
        dropoutHead_.store(head + 1, std::memory_order_release);
    }
    openDropout_ = {};
}

bool WaveDeviceQueue::takeDropout(WaveDropout& dropout, uint64_t upTo) {
    const uint32_t tail = dropoutTail_.load(std::memory_order_relaxed);
    if (tail == dropoutHead_.load(std::memory_order_acquire) ||
        dropoutList_[tail % kDropoutCapacity].atFrame > upTo) {
        return false;
    }
    dropout = dropoutList_[tail % kDropoutCapacity];
    dropoutTail_.store(tail + 1, std::memory_order_release);
    return true;
}

uint32_t WaveDeviceQueue::room() {
    uint32_t frames = 0;
    if (tryEnterBackend()) {
        if (running()) {
            if (WaveHeader* header = current()) {
                frames = (header->bufferLength - offset_) / kFrameBytes;
            }
        }
        leaveBackend();
    }
    return frames;
}

void WaveDeviceQueue::noteStatus(bool underflow, bool overflow) {
    if (underflow) {
        underflows_.fetch_add(1, std::memory_order_relaxed);
    }
    if (overflow) {
        overflows_.fetch_add(1, std::memory_order_relaxed);
    }
}

WaveDeviceStats WaveDeviceQueue::stats() const {
    WaveDeviceStats stats;
    stats.frames = frames_.load(std::memory_order_relaxed);
    stats.underflows = underflows_.load(std::memory_order_relaxed);
    stats.overflows = overflows_.load(std::memory_order_relaxed);
    stats.starvedFrames = starved_.load(std::memory_order_relaxed);
    stats.droppedFrames = dropped_.load(std::memory_order_relaxed);
    stats.overflowFrames = overflowFrames_.load(std::memory_order_relaxed);
    stats.dropouts = dropouts_.load(std::memory_order_relaxed);
    return stats;
}
