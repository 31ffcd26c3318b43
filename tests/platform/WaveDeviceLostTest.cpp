// The PortAudio wave device whose sound server goes away while it plays and records: it
// says so, queues nothing more, and reset and close still come back at once with every
// buffer returned; ending PortAudio afterwards does not hang either.
#include "WaveDevicePortAudio.h"
#include "WaveDeviceSystem.h"
#include "support/JackTestServer.h"
#include "support/TestDirs.h"
#include "support/WaveTestBuffers.h"

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

bool waitLost(const WaveDevice& device, std::chrono::milliseconds timeout) {
    const auto until = Clock::now() + timeout;
    while (!device.lost() && Clock::now() < until) {
        std::this_thread::sleep_for(10ms);
    }
    return device.lost();
}

TEST(WaveDeviceLostTest, AServerThatGoesAwayLeavesDevicesThatSaySoAndCloseAtOnce) {
    TestDir dir;
    JackTestServer server(dir.path());
    ASSERT_TRUE(server.started());
    std::shared_ptr<WaveDeviceSystem> system = WaveDeviceSystem::acquire();
    ASSERT_TRUE(system);
    ASSERT_FALSE(system->jackClientName().empty());

    WaveTestBuffers outBuffers(5, 44100);
    WaveTestBuffers inBuffers(4, 44100);
    WaveResult result = WaveResult::kOk;
    auto output =
        WaveDevicePortAudio::open(WaveDirection::kOutput, 0, outBuffers.callback(), result);
    ASSERT_TRUE(output) << waveResultText(result);
    auto input = WaveDevicePortAudio::open(WaveDirection::kInput, 0, inBuffers.callback(), result);
    ASSERT_TRUE(input) << waveResultText(result);
    ASSERT_TRUE(outBuffers.prepareAll(*output));
    ASSERT_TRUE(inBuffers.prepareAll(*input));
    for (size_t i = 0; i < 4; ++i) {
        ASSERT_EQ(output->queue(outBuffers.header(i)), WaveResult::kOk);
        ASSERT_EQ(input->queue(inBuffers.header(i)), WaveResult::kOk);
    }
    ASSERT_EQ(input->start(), WaveResult::kOk);
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(output->lost());
    EXPECT_FALSE(input->lost());

    ASSERT_TRUE(server.stop());
    const auto gone = Clock::now();
    EXPECT_TRUE(waitLost(*output, 5s));
    EXPECT_TRUE(waitLost(*input, 5s));
    EXPECT_EQ(output->queue(outBuffers.header(4)), WaveResult::kDeviceLost);
    EXPECT_EQ(input->start(), WaveResult::kDeviceLost);

    EXPECT_EQ(output->reset(), WaveResult::kOk);
    EXPECT_EQ(input->reset(), WaveResult::kOk);
    EXPECT_EQ(outBuffers.completed(), (std::vector<size_t>{0, 1, 2, 3}));
    EXPECT_EQ(inBuffers.completed(), (std::vector<size_t>{0, 1, 2, 3}));
    EXPECT_EQ(output->close(), WaveResult::kOk);
    EXPECT_EQ(input->close(), WaveResult::kOk);
    output.reset();
    input.reset();
    system.reset();
    EXPECT_LT(Clock::now() - gone, 10s);
}

} // namespace
