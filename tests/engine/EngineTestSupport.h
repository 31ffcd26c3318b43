#pragma once

// Helpers of the audio engine tests: an application host that notes the engine's
// messages from any thread, the engine on the virtual wave device with settings of the
// test's own, and input files whose frames say where they come from.

#include "AEAudioEngine.h"
#include "AEMMEDevice.h"
#include "WaveDeviceSystem.h"
#include "WaveDeviceVirtual.h"

#include "AppHost.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace EngineTest {

using namespace std::chrono_literals;

// Messages and log lines, noted from whatever thread sends them.
class MessageHost : public AppHost {
public:
    MessageHost() { AppHost::setCurrent(this); }
    ~MessageHost() override { AppHost::setCurrent(nullptr); }

    void postAppMessage(int32_t tag, int32_t, int32_t, FRef<FShared>) override;
    int32_t stringId(int32_t id, int32_t) const override { return id; }
    const char* loadString(int32_t) override { return "text"; }
    bool isBusy() const override { return false; }
    void setBusy(bool) override {}
    bool cancelRequested() const override { return false; }
    void setCancelRequested(bool) override {}
    bool askYesNo(int32_t) override { return false; }
    void log(const char* text) override;
    void progressBegin(int64_t) override {}
    void progressAdvance(int64_t) override {}
    void progressEnd() override {}

    // How often `tag` was posted.
    int count(int32_t tag) const;
    // Waits until `tag` has been posted `times` times.
    bool waitFor(int32_t tag, int times, std::chrono::milliseconds timeout);
    std::vector<std::string> logLines() const;

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<int32_t> tags_;
    std::vector<std::string> lines_;
};

// Counts the wave devices it opened (virtual ones, with the test's settings).
struct VirtualOpener {
    WaveDeviceVirtual::Settings settings;
    std::shared_ptr<std::atomic<int>> outputsOpened = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<std::atomic<int>> inputsOpened = std::make_shared<std::atomic<int>>(0);
    // When set, output devices refuse to open (a card that plays nothing).
    bool refuseOutput = false;

    AEMMEDevice::Opener opener() const;
};

// A device and engine on the virtual device, the device opened (record mode) and the
// worker started. Declared in this order, the engine goes before the device.
struct VirtualEngine {
    explicit VirtualEngine(const VirtualOpener& virtualOpener, int32_t playBuffers = 4,
                           int32_t bufferBytes = 32768);
    ~VirtualEngine();

    AEMMEDevice device;
    AEAudioEngine engine;
};

// Frame i holds i + 1 as a 32-bit number: its low half on the left, its high half on the
// right, so any frame read back says where it came from, and silence (0) is no frame.
std::vector<int16_t> countingFrames(int32_t frames);
// The frame number a counting frame holds (−1 for silence).
int64_t frameNumber(const int16_t* frame);

// Where a recording of counting frames skips: each jump's place in the recording (frame
// index) and how many frames it skipped.
struct CountingGaps {
    std::vector<int64_t> positions;
    int64_t frames = 0;
};
CountingGaps gapsIn(const std::vector<int16_t>& recorded);
// GLEAM_VIRTUAL_OVERFLOWS text for `count` overflows of `frames` frames, every `step` input
// frames from `first` on.
std::string regularOverflows(int64_t first, int64_t step, int count, uint32_t frames);

// Writes interleaved 44.1 kHz 16-bit stereo frames as a WAVE file.
bool writeWave(const std::string& path, const std::vector<int16_t>& samples);
// The frames of a WAVE file as interleaved 16-bit stereo (empty when it cannot be read).
std::vector<int16_t> readWave(const std::string& path);

// The PortAudio session of a test that needs the JACK server of the "jack" fixture (its
// devices then share one session); null, with `problem` set, when no server runs.
std::shared_ptr<WaveDeviceSystem> jackSession(std::string& problem);

// Polls `done` every few milliseconds until it holds or `timeout` passes.
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

} // namespace EngineTest
