#pragma once

#include <array>
#include <atomic>
#include <cstdint>

struct WaveHeader;

// A fixed ring of header pointers between one producer thread and one consumer thread.
// Lock-free and allocation-free: push and pop are a few loads and stores, so the audio
// callback of a device may use it. "One producer" means one at a time: callers that can
// push from several threads serialise the pushes themselves (the consumer never waits for
// them).
class WaveDeviceRing {
public:
    // More than any device queues: the ring of the audio engine holds at most 16 buffers.
    static constexpr uint32_t kCapacity = 64;

    // False when the ring is full.
    bool push(WaveHeader* header) {
        const uint32_t tail = tail_.load(std::memory_order_relaxed);
        if (tail - head_.load(std::memory_order_acquire) >= kCapacity) {
            return false;
        }
        slots_[tail % kCapacity] = header;
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }

    // The oldest header, or null when the ring is empty.
    WaveHeader* pop() {
        const uint32_t head = head_.load(std::memory_order_relaxed);
        if (head == tail_.load(std::memory_order_acquire)) {
            return nullptr;
        }
        WaveHeader* header = slots_[head % kCapacity];
        head_.store(head + 1, std::memory_order_release);
        return header;
    }

    bool empty() const {
        return head_.load(std::memory_order_acquire) == tail_.load(std::memory_order_acquire);
    }

private:
    std::array<WaveHeader*, kCapacity> slots_{};
    // Apart, so the two sides do not share a cache line.
    alignas(64) std::atomic<uint32_t> head_{0};
    alignas(64) std::atomic<uint32_t> tail_{0};
};
