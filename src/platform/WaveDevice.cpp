#include "WaveDevice.h"

#include <chrono>

namespace {
// Callbacks return at once; this only bounds a reset whose owner's callback hangs.
constexpr auto kDeliveryWait = std::chrono::seconds(5);
} // namespace

WaveDevice::WaveDevice(WaveDirection direction, DoneCallback callback,
                       std::unique_ptr<WaveDeviceStream> stream)
    : callback_(std::move(callback)), stream_(std::move(stream)), queue_(direction) {}

WaveDevice::~WaveDevice() {
    if (isOpen()) {
        reset();
        std::lock_guard<std::mutex> lock(controlMutex_);
        shutDown();
    }
}

WaveResult WaveDevice::open() {
    std::lock_guard<std::mutex> lock(controlMutex_);
    if (isOpen()) {
        return WaveResult::kOk;
    }
    if (completionThread_.joinable()) {
        return WaveResult::kClosed; // a device opens once
    }
    completionThread_ = std::thread([this] { deliverLoop(); });
    const WaveResult result = stream_->start(queue_);
    if (result != WaveResult::kOk) {
        stream_->stop();
        quit_.store(true, std::memory_order_release);
        queue_.postDone();
        completionThread_.join();
        return result;
    }
    open_.store(true, std::memory_order_release);
    return WaveResult::kOk;
}

WaveResult WaveDevice::prepare(WaveHeader& header) {
    if (header.isQueued()) {
        return WaveResult::kStillQueued;
    }
    if (!header.data || header.bufferLength == 0 ||
        header.bufferLength % WaveFormat::kBytesPerFrame != 0) {
        return WaveResult::kBadBuffer;
    }
    header.flags.store(WaveHeader::kPrepared, std::memory_order_release);
    return WaveResult::kOk;
}

WaveResult WaveDevice::unprepare(WaveHeader& header) {
    if (header.isQueued()) {
        return WaveResult::kStillQueued;
    }
    header.flags.fetch_and(~WaveHeader::kPrepared, std::memory_order_acq_rel);
    return WaveResult::kOk;
}

WaveResult WaveDevice::queue(WaveHeader& header) {
    if (!isOpen()) {
        return WaveResult::kClosed;
    }
    if (stream_->lost()) {
        return WaveResult::kDeviceLost;
    }
    const uint32_t flags = header.flags.load(std::memory_order_acquire);
    if ((flags & WaveHeader::kPrepared) == 0) {
        return WaveResult::kNotPrepared;
    }
    if ((flags & WaveHeader::kInQueue) != 0) {
        return WaveResult::kStillQueued;
    }
    header.bytesRecorded.store(0, std::memory_order_relaxed);
    header.flags.store((flags & ~WaveHeader::kDone) | WaveHeader::kInQueue,
                       std::memory_order_release);
    if (!queue_.push(header)) {
        header.flags.store(flags, std::memory_order_release);
        return WaveResult::kQueueFull;
    }
    stream_->wake();
    return WaveResult::kOk;
}

template <class Action> WaveResult WaveDevice::control(Action action) {
    if (onCompletionThread()) {
        return WaveResult::kFromCallback;
    }
    std::lock_guard<std::mutex> lock(controlMutex_);
    if (!isOpen()) {
        return WaveResult::kClosed;
    }
    return action();
}

WaveResult WaveDevice::start() {
    return control([this] {
        if (stream_->lost()) {
            return WaveResult::kDeviceLost;
        }
        queue_.setRunning(true);
        stream_->wake();
        return WaveResult::kOk;
    });
}

WaveResult WaveDevice::pause() {
    return control([this] {
        queue_.setRunning(false);
        return WaveResult::kOk;
    });
}

WaveResult WaveDevice::reset() {
    return control([this] {
        if (direction() == WaveDirection::kInput) {
            queue_.setRunning(false);
        }
        // Works on a lost device too: its backend no longer takes the queue's flag.
        const uint64_t queued = queue_.drain();
        return waitDelivered(queued) ? WaveResult::kOk : WaveResult::kDeviceFailed;
    });
}

WaveResult WaveDevice::close() {
    return control([this] {
        if (queue_.outstanding() > 0) {
            return WaveResult::kStillQueued;
        }
        shutDown();
        return WaveResult::kOk;
    });
}

bool WaveDevice::lost() const {
    return isOpen() && stream_->lost();
}

void WaveDevice::shutDown() {
    stream_->stop();
    quit_.store(true, std::memory_order_release);
    queue_.postDone();
    if (completionThread_.joinable()) {
        completionThread_.join();
    }
    open_.store(false, std::memory_order_release);
}

bool WaveDevice::onCompletionThread() const {
    return completionId_.load(std::memory_order_acquire) == std::this_thread::get_id();
}

bool WaveDevice::waitDelivered(uint64_t count) {
    std::unique_lock<std::mutex> lock(deliveredMutex_);
    return deliveredChanged_.wait_for(lock, kDeliveryWait,
                                      [&] { return queue_.delivered() >= count; });
}

void WaveDevice::deliverLoop() {
    completionId_.store(std::this_thread::get_id(), std::memory_order_release);
    for (;;) {
        queue_.waitDone();
        while (WaveHeader* header = queue_.popDone()) {
            uint32_t flags = header->flags.load(std::memory_order_relaxed);
            while (!header->flags.compare_exchange_weak(
                flags, (flags & ~WaveHeader::kInQueue) | WaveHeader::kDone,
                std::memory_order_acq_rel)) {
            }
            queue_.noteReturned();
            if (callback_) {
                callback_(*header);
            }
            {
                std::lock_guard<std::mutex> lock(deliveredMutex_);
                queue_.noteDelivered();
            }
            deliveredChanged_.notify_all();
        }
        if (quit_.load(std::memory_order_acquire)) {
            break;
        }
    }
}
