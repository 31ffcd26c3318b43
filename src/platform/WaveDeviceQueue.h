#pragma once

#include "WaveDeviceRing.h"
#include "WaveDeviceTypes.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <semaphore.h>

// The buffer queue of one wave device, between three sides:
// - the owner queues headers (push) and takes them all back (drain, stop);
// - the backend's thread (the audio callback, or the virtual device's clock) plays queued
//   output buffers into the device or fills queued input buffers from it, in queue order;
// - the completion thread takes the finished headers (popDone) and calls the owner back.
//
// The backend's side never allocates, locks or waits: headers travel through two
// lock-free rings, a finished header is announced with sem_post (async-signal-safe, no
// lock), and the owner reaches the backend's state only by taking a flag that the backend
// merely tries: while the owner holds it (during a reset or an input stop) the backend
// plays silence, or drops input, for that one period instead of waiting.
class WaveDeviceQueue {
public:
    // Output starts running (it plays whatever is queued); input starts stopped.
    explicit WaveDeviceQueue(WaveDirection direction);
    ~WaveDeviceQueue();
    WaveDeviceQueue(const WaveDeviceQueue&) = delete;
    WaveDeviceQueue& operator=(const WaveDeviceQueue&) = delete;

    WaveDirection direction() const { return direction_; }

    // Owner side. Pushes from several threads are serialised here.
    // Appends a header; false when the queue already holds the most it can.
    bool push(WaveHeader& header);
    // Hands every queued header (the one in progress first, with what it holds) to the
    // completion side, and zeroes the position. Returns the number of headers pushed so
    // far, so the caller can wait until all of those have been called back.
    uint64_t drain();
    // Output: run or pause. Input: start, or stop and hand over the buffer in progress.
    void setRunning(bool running);
    bool running() const { return running_.load(std::memory_order_acquire); }
    // Headers pushed and not yet returned (marked done).
    uint64_t outstanding() const;

    // Completion side.
    void waitDone();
    // Wakes waitDone without a header (to end the completion thread).
    void postDone();
    WaveHeader* popDone() { return done_.pop(); }
    // One more header marked done, before its callback.
    void noteReturned() { returned_.fetch_add(1, std::memory_order_release); }
    // One more header called back.
    void noteDelivered() { delivered_.fetch_add(1, std::memory_order_release); }
    uint64_t delivered() const { return delivered_.load(std::memory_order_acquire); }

    // Backend side (one thread at a time).
    // Output: fills `frames` frames from the queued buffers, silence where there are none.
    // Returns the frames that came from buffers; they form the start of `out`.
    uint32_t playInto(uint8_t* out, uint32_t frames);
    // Input: stores `frames` frames into the queued buffers; returns how many it stored.
    // `lostBefore`: frames the backend lost just before these (an overflow).
    uint32_t recordFrom(const uint8_t* in, uint32_t frames, uint32_t lostBefore = 0);
    // Frames the buffer in progress (or the next one) still gives or takes; 0 when
    // nothing is queued or the device does not run.
    uint32_t room();
    void noteStatus(bool underflow, bool overflow);

    WaveDeviceStats stats() const;
    // Owner side, one thread: the next input dropout in order of position, when it begins
    // at or before `upTo`; false otherwise. A dropout is handed over once frames are stored
    // after it (or the input stops); more than the list holds are only counted in the stats.
    bool takeDropout(WaveDropout& dropout, uint64_t upTo = UINT64_MAX);

private:
    bool tryEnterBackend() { return !backendBusy_.exchange(true, std::memory_order_acquire); }
    void leaveBackend() { backendBusy_.store(false, std::memory_order_release); }
    void enterBackendAsOwner();
    WaveHeader* current();
    void finishCurrent();
    // Moves up to `frames` frames between `device` and the queued buffers.
    uint32_t moveFrames(uint8_t* device, uint32_t frames);
    // Input frames lost at the present position: extend the open dropout or begin one.
    void noteLoss(uint64_t frames);
    // Hands the open dropout to the owner's list.
    void closeDropout();

    const WaveDirection direction_;
    WaveDeviceRing pending_;
    WaveDeviceRing done_;
    sem_t doneSignal_;
    std::mutex pushMutex_;
    std::atomic<uint64_t> pushed_{0};
    std::atomic<uint64_t> returned_{0};
    std::atomic<uint64_t> delivered_{0};
    std::atomic<bool> running_;
    std::atomic<bool> backendBusy_{false};

    // Held by whoever holds backendBusy_.
    WaveHeader* current_ = nullptr;
    uint32_t offset_ = 0;       // bytes of current_ played or filled
    bool played_ = false;       // output: a buffer has played since the last drain
    uint64_t gapFrames_ = 0;    // output: silence since the last buffer, not yet counted
    uint64_t storedFrames_ = 0; // input: frames stored since open (never reset)
    WaveDropout openDropout_;   // input: the losses since the last stored frame

    // Ended dropouts, from the backend (head) to the owner (tail).
    static constexpr uint32_t kDropoutCapacity = 64;
    std::array<WaveDropout, kDropoutCapacity> dropoutList_{};
    std::atomic<uint32_t> dropoutHead_{0};
    std::atomic<uint32_t> dropoutTail_{0};

    std::atomic<uint64_t> frames_{0};
    std::atomic<uint64_t> underflows_{0};
    std::atomic<uint64_t> overflows_{0};
    std::atomic<uint64_t> starved_{0};
    std::atomic<uint64_t> dropped_{0};
    std::atomic<uint64_t> overflowFrames_{0};
    std::atomic<uint64_t> dropouts_{0};
};
