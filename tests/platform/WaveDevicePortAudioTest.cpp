// The PortAudio wave device against a JACK server with its dummy backend (started by the
// CTest fixture "jack", found through JACK_DEFAULT_SERVER): ten seconds played and recorded
// back through a loopback, bad device numbers (the device list: DevicesCommandTest). How every wave
// device queues, resets and closes is checked on the virtual one (WaveDeviceVirtualTest).
#include "WaveDevicePortAudio.h"
#include "AudioTestSupport.h"
#include "WaveDeviceSystem.h"
#include "support/WaveTestStreams.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

using namespace std::chrono_literals;

namespace {

constexpr size_t kRate = WaveFormat::kSampleRate;

// One pass of a signal out through the loopback and in again, and what it left.
struct LoopbackPass {
    explicit LoopbackPass(const std::vector<int16_t>& signal)
        : player(signal, outBuffers), recorder(signal.size() / 2 + 2 * kRate, inBuffers) {}

    WaveTestBuffers outBuffers{4, 8192};
    WaveTestBuffers inBuffers{4, 8192};
    WaveTestPlayer player;
    WaveTestRecorder recorder;
    WaveDeviceStats played;
    WaveDeviceStats recorded;
    std::vector<WaveResult> closing;
};

class WaveDevicePortAudioTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { WaveDeviceSystem::setClientName("gleam-wavetest"); }

    void SetUp() override {
        // Held for the whole test: one session, one JACK client, one device list.
        system = WaveDeviceSystem::acquire();
        ASSERT_TRUE(system);
        const char* server = std::getenv("JACK_DEFAULT_SERVER");
        ASSERT_FALSE(system->jackClientName().empty())
            << "no JACK server named \"" << (server ? server : "default") << "\" runs";
    }

    std::unique_ptr<WaveDevice> open(WaveDirection direction, WaveDevice::DoneCallback callback) {
        WaveResult result = WaveResult::kOk;
        auto device = WaveDevicePortAudio::open(direction, 0, std::move(callback), result);
        EXPECT_EQ(result, WaveResult::kOk) << waveResultText(result);
        return device;
    }

    // Feeds our output ports into our input ports, and nothing else into the inputs.
    bool wireLoopback() {
        const std::string client = system->jackClientName();
        for (const char* channel : {"0", "1"}) {
            const std::string input = client + ":in_" + channel;
            const std::string capture =
                std::string("system:capture_") + (*channel == '0' ? "1" : "2");
            std::system(("jack_disconnect " + capture + " " + input + " 2>/dev/null").c_str());
            if (std::system(("jack_connect " + client + ":out_" + channel + " " + input).c_str()) !=
                0) {
                return false;
            }
        }
        return true;
    }

    // Plays the pass's signal through the loopback while recording, until the recording
    // holds it all, then resets and closes both devices.
    void runPass(LoopbackPass& pass) {
        auto input = open(WaveDirection::kInput, pass.recorder.callback());
        auto output = open(WaveDirection::kOutput, pass.player.callback());
        ASSERT_TRUE(input && output);
        EXPECT_EQ(output->name(), "system");
        ASSERT_TRUE(wireLoopback());
        ASSERT_TRUE(pass.recorder.begin(*input));
        ASSERT_EQ(input->start(), WaveResult::kOk);
        ASSERT_TRUE(pass.player.begin(*output));
        ASSERT_TRUE(pass.player.waitFinished(30s));
        pass.played = output->stats();
        ASSERT_TRUE(pass.recorder.waitFinished(30s));
        pass.recorded = input->stats();
        pass.closing = {output->reset(), input->reset(), output->close(), input->close()};
    }

    std::shared_ptr<WaveDeviceSystem> system;
};

// Where `played` begins in `recorded`: the first offset at which its first frames match
// within `tolerance` on both channels.
std::optional<size_t> findDelay(const std::vector<int16_t>& played,
                                const std::vector<int16_t>& recorded, int tolerance) {
    constexpr size_t kProbe = 256 * 2;
    for (size_t offset = 0; offset + kProbe <= recorded.size(); offset += 2) {
        size_t i = 0;
        while (i < kProbe && std::abs(recorded[offset + i] - played[i]) <= tolerance) {
            ++i;
        }
        if (i == kProbe) {
            return offset / 2;
        }
    }
    return std::nullopt;
}

TEST_F(WaveDevicePortAudioTest, TenSecondsPlayedComeBackThroughTheLoopback) {
    // Noise, different on the two channels, so a swap or a shift cannot pass.
    const std::vector<int16_t> signal = AudioTest::noise16(10 * kRate * 2, 2024);
    // An xrun of the server on a busy machine is no fault of the device: such a pass is
    // made again, twice at most. Everything else counts in every pass.
    std::unique_ptr<LoopbackPass> pass;
    for (int attempt = 1; attempt <= 3; ++attempt) {
        pass = std::make_unique<LoopbackPass>(signal);
        ASSERT_NO_FATAL_FAILURE(runPass(*pass));
        if (pass->played.underflows == 0 && pass->recorded.overflows == 0) {
            break;
        }
        std::printf("pass %d: the server reported xruns\n", attempt);
    }
    for (WaveResult result : pass->closing) {
        EXPECT_EQ(result, WaveResult::kOk) << waveResultText(result);
    }

    // Every buffer in queue order, the whole ring in turn.
    const auto outOrder = pass->outBuffers.completed();
    ASSERT_GE(outOrder.size(), pass->player.blocks());
    for (size_t i = 0; i < outOrder.size(); ++i) {
        ASSERT_EQ(outOrder[i], i % 4) << "output completion " << i;
    }
    const auto inOrder = pass->inBuffers.completed();
    for (size_t i = 0; i < inOrder.size(); ++i) {
        ASSERT_EQ(inOrder[i], i % 4) << "input completion " << i;
    }
    EXPECT_EQ(pass->player.failures(), 0);
    EXPECT_EQ(pass->recorder.failures(), 0);
    EXPECT_EQ(pass->played.underflows, 0u);
    EXPECT_EQ(pass->played.starvedFrames, 0u);
    EXPECT_EQ(pass->recorded.overflows, 0u);
    EXPECT_EQ(pass->recorded.droppedFrames, 0u);

    // JACK carries floats: 16-bit samples come back within a few LSB, after the latency.
    const std::vector<int16_t> recording = pass->recorder.recording();
    const auto delay = findDelay(signal, recording, 4);
    ASSERT_TRUE(delay.has_value()) << "the played noise is not in the recording";
    EXPECT_LT(*delay, kRate);
    ASSERT_GE(recording.size(), *delay * 2 + signal.size());
    size_t outside = 0;
    int largest = 0;
    for (size_t i = 0; i < signal.size(); ++i) {
        const int difference = std::abs(recording[*delay * 2 + i] - signal[i]);
        largest = std::max(largest, difference);
        outside += difference > 4;
    }
    EXPECT_EQ(outside, 0u) << "largest difference " << largest;
}

TEST_F(WaveDevicePortAudioTest, ANumberPastTheListOpensNothing) {
    int outputs = 0;
    for (const WaveDeviceInfo& device : system->devices()) {
        outputs += device.cdFormatOutput;
    }
    WaveResult result = WaveResult::kOk;
    EXPECT_FALSE(WaveDevicePortAudio::open(WaveDirection::kOutput, outputs, {}, result));
    EXPECT_EQ(result, WaveResult::kBadDeviceNumber);
    EXPECT_FALSE(WaveDevicePortAudio::open(WaveDirection::kInput, -2, {}, result));
    EXPECT_EQ(result, WaveResult::kBadDeviceNumber);
    auto byDefault =
        WaveDevicePortAudio::open(WaveDirection::kInput, kWaveDefaultDevice, {}, result);
    ASSERT_TRUE(byDefault) << waveResultText(result);
    EXPECT_EQ(byDefault->close(), WaveResult::kOk);
}

} // namespace
