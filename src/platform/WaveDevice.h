#pragma once

#include "WaveDeviceQueue.h"
#include "WaveDeviceStream.h"
#include "WaveDeviceTypes.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// One open wave output or input in the fixed format (WaveFormat), over a backend stream.
// The owner prepares buffer headers, queues them, and is called back once per finished
// buffer, in queue order, on the device's completion thread (never on the audio thread,
// which only moves frames and hands headers over).
//
// Output plays queued buffers one after the other as soon as they are queued, unless
// paused; input fills queued buffers one after the other once started. reset takes every
// queued buffer back (marked done and called back, the partly filled input buffer with its
// bytesRecorded) before it returns; close is refused while any buffer is queued.
//
// Thread rules: queue may be called from any thread, also from the callback. reset, pause,
// start and close belong to the owner's threads and are refused on the completion thread.
class WaveDevice {
public:
    using DoneCallback = std::function<void(WaveHeader& header)>;

    WaveDevice(WaveDirection direction, DoneCallback callback,
               std::unique_ptr<WaveDeviceStream> stream);
    // Resets and closes a device still open.
    ~WaveDevice();
    WaveDevice(const WaveDevice&) = delete;
    WaveDevice& operator=(const WaveDevice&) = delete;

    // Starts the completion thread and the backend.
    WaveResult open();

    WaveDirection direction() const { return queue_.direction(); }
    std::string name() const { return stream_->name(); }
    bool isOpen() const { return open_.load(std::memory_order_acquire); }

    // Checks a header (memory, a length of whole frames) and marks it prepared.
    WaveResult prepare(WaveHeader& header);
    // Refused while the header is queued.
    WaveResult unprepare(WaveHeader& header);
    // Output: plays the buffer after those queued before it. Input: fills it after them.
    WaveResult queue(WaveHeader& header);
    // Output: plays on after a pause. Input: starts recording.
    WaveResult start();
    // Output: pauses, the queue stays. Input: stops, handing over the buffer in progress.
    WaveResult pause();
    // Takes every queued buffer back; input stops, output keeps running or paused.
    WaveResult reset();
    WaveResult close();

    // The device stopped by itself (see WaveDeviceStream::lost); queue then fails.
    bool lost() const;
    WaveDeviceStats stats() const { return queue_.stats(); }
    // Input: the next ended dropout, in order (one owner thread; see WaveDeviceQueue).
    bool takeDropout(WaveDropout& dropout, uint64_t upTo = UINT64_MAX) {
        return queue_.takeDropout(dropout, upTo);
    }
    // Buffers queued and not yet returned (marked done).
    uint64_t queuedBuffers() const { return queue_.outstanding(); }

private:
    // Runs a control call under the control lock; refused on the completion thread and on
    // a device that is not open.
    template <class Action> WaveResult control(Action action);
    void deliverLoop();
    bool onCompletionThread() const;
    // Waits until `count` headers have been called back (at most a few seconds).
    bool waitDelivered(uint64_t count);
    void shutDown();

    DoneCallback callback_;
    std::unique_ptr<WaveDeviceStream> stream_;
    WaveDeviceQueue queue_;
    std::mutex controlMutex_;
    std::mutex deliveredMutex_;
    std::condition_variable deliveredChanged_;
    std::thread completionThread_;
    std::atomic<std::thread::id> completionId_{};
    std::atomic<bool> quit_{false};
    std::atomic<bool> open_{false};
};
