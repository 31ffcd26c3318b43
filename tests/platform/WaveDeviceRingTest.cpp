// The lock-free ring of buffer headers between one producer and one consumer thread (run
// under ThreadSanitizer too); a full ring is refused in WaveDeviceVirtualTest.
#include "WaveDeviceRing.h"
#include "WaveDeviceTypes.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(WaveDeviceRingTest, KeepsOrderBetweenTwoThreadsAcrossManyWrapArounds) {
    WaveDeviceRing ring;
    std::vector<WaveHeader> headers(WaveDeviceRing::kCapacity * 3);
    constexpr size_t kPasses = 200000;
    EXPECT_EQ(ring.pop(), nullptr);
    std::thread producer([&] {
        for (size_t i = 0; i < kPasses; ++i) {
            WaveHeader* header = &headers[i % headers.size()];
            header->user.store(static_cast<uint32_t>(i), std::memory_order_relaxed);
            while (!ring.push(header)) {
                std::this_thread::yield();
            }
        }
    });
    size_t mismatches = 0;
    for (size_t i = 0; i < kPasses; ++i) {
        WaveHeader* header = nullptr;
        while (!(header = ring.pop())) {
            std::this_thread::yield();
        }
        mismatches += header != &headers[i % headers.size()];
        // Written before the push, seen after the pop; the producer cannot write it again
        // before the ring has gone round twice more.
        mismatches += header->user.load(std::memory_order_relaxed) != static_cast<uint32_t>(i);
    }
    producer.join();
    EXPECT_EQ(mismatches, 0u);
    EXPECT_TRUE(ring.empty());
}

} // namespace
