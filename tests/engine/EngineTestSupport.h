#pragma once

// Helpers of the audio engine tests (their host is ProjectTest::RecordingHost): the engine on the
// virtual wave device with settings of the test's own, and input files whose frames say where they
// come from.

#include "AEAudioEngine.h"
#include "AEMMEDevice.h"
#include "WaveDeviceVirtual.h"

#include "AudioTestSupport.h"
#include "ProjectTestSupport.h"
#include "support/WaitFor.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace EngineTest {

using namespace std::chrono_literals;

// Counts the wave devices it opened (virtual ones, with the test's settings).
struct VirtualOpener {
    WaveDeviceVirtual::Settings settings;
    std::shared_ptr<std::atomic<int>> outputsOpened = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<std::atomic<int>> inputsOpened = std::make_shared<std::atomic<int>>(0);
    // When set, output devices refuse to open (a card that plays nothing).
    bool refuseOutput = false;

    AEMMEDevice::Opener opener() const;
};

// A device (four buffers of 8192 frames each way) and engine on the virtual device, the
// device opened (record mode) and the worker started. Declared in this order, the engine
// goes before the device.
struct VirtualEngine {
    explicit VirtualEngine(const VirtualOpener& virtualOpener);
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
using AudioTest::readStereo16;

} // namespace EngineTest
