// The PortAudio wave device where nothing takes CD audio: no sound server and no card, or
// a server running at 48 kHz. Every query and open says so at once, and no library prints
// its complaints on standard error.
#include "WaveDevicePortAudio.h"
#include "WaveDeviceSystem.h"
#include "support/JackTestServer.h"
#include "support/TestDirs.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

bool isJack(const WaveDeviceInfo& device) {
    return device.hostApi.find("JACK") != std::string::npos;
}

// A machine with a sound card of its own cannot show the case without one.
bool hasCard(const WaveDeviceSystem& system) {
    for (const WaveDeviceInfo& device : system.devices()) {
        if (!isJack(device)) {
            return true;
        }
    }
    return false;
}

TEST(WaveDeviceNoDeviceTest, WithoutServerOrCardEveryQueryAndOpenSaysNoDevice) {
    setenv("JACK_NO_START_SERVER", "1", 1);
    setenv("JACK_DEFAULT_SERVER", ("gleam-absent-" + std::to_string(getpid())).c_str(), 1);
    testing::internal::CaptureStderr();
    std::shared_ptr<WaveDeviceSystem> system = WaveDeviceSystem::acquire();
    const std::string printed = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(system);
    if (hasCard(*system)) {
        GTEST_SKIP() << "this machine has a sound card";
    }
    EXPECT_EQ(printed, "");
    EXPECT_TRUE(system->devices().empty());
    EXPECT_FALSE(system->hasAudioDevices());
    EXPECT_FALSE(system->supportsCdFormat());
    EXPECT_EQ(system->jackClientName(), "");

    for (WaveDirection direction : {WaveDirection::kOutput, WaveDirection::kInput}) {
        for (int number : {kWaveDefaultDevice, 0, 3}) {
            const auto begun = Clock::now();
            WaveResult result = WaveResult::kOk;
            EXPECT_FALSE(WaveDevicePortAudio::open(direction, number, {}, result));
            EXPECT_EQ(result, WaveResult::kNoDevice);
            EXPECT_LT(Clock::now() - begun, 2s);
        }
    }
    EXPECT_STREQ(waveResultText(WaveResult::kNoDevice),
                 "no audio device takes 44.1 kHz 16-bit stereo");
}

TEST(WaveDeviceNoDeviceTest, AServerAt48kHzIsListedButRefusesCdAudio) {
    TestDir dir;
    JackTestServer server(dir.path(), 48000);
    ASSERT_TRUE(server.started());
    {
        std::shared_ptr<WaveDeviceSystem> system = WaveDeviceSystem::acquire();
        ASSERT_TRUE(system);
        const auto& devices = system->devices();
        const auto jack = std::find_if(devices.begin(), devices.end(), isJack);
        ASSERT_NE(jack, devices.end());
        EXPECT_EQ(jack->outputChannels, 2);
        EXPECT_EQ(jack->inputChannels, 2);
        EXPECT_FALSE(jack->cdFormatOutput);
        EXPECT_FALSE(jack->cdFormatInput);
        EXPECT_EQ(jack->outputNumber, -1);
        EXPECT_EQ(jack->inputNumber, -1);
        EXPECT_TRUE(system->hasAudioDevices());
        if (!hasCard(*system)) {
            EXPECT_FALSE(system->supportsCdFormat());
            WaveResult result = WaveResult::kOk;
            EXPECT_FALSE(WaveDevicePortAudio::open(WaveDirection::kOutput, 0, {}, result));
            EXPECT_EQ(result, WaveResult::kNoDevice);
        }
    }
    EXPECT_TRUE(server.stop());
}

} // namespace
