#pragma once

#include "WaveDevice.h"
#include "WaveDeviceStream.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class AudioFile;

// The virtual wave device, for machines without a sound card (GLEAM_AUDIO=virtual). One
// device, number 0, in both directions. Its clock thread moves the queued buffers in the
// same order as a sound card would, and the device calls back on its completion thread.
//
// - Output writes exactly the frames of the queued buffers, in order, to a new WAVE file
//   (GLEAM_VIRTUAL_OUTPUT; nowhere without one). Pauses and gaps add nothing to the file.
//   Each open starts the file anew; close completes its header.
// - Input reads a WAVE file from its start at each open (GLEAM_VIRTUAL_INPUT; silence
//   without one, and silence after its end), converted to the fixed format. The file only
//   advances while the input runs; frames that find no buffer are dropped, as on a card.
// - Pacing: real time, one period of 1024 frames after the other, or, with
//   GLEAM_VIRTUAL_PACE=fast, as fast as buffers are queued (every queued buffer is played or
//   filled at once, and no input frame is dropped).
// - Overflows, for tests of what a recording loses: GLEAM_VIRTUAL_OVERFLOWS="frame:frames,..."
//   (input frames counted from the open, in ascending order) skips those frames of the input
//   and reports each run as an overflow of that many frames, as a card would.
class WaveDeviceVirtual : public WaveDeviceStream {
public:
    struct Overflow {
        uint64_t atFrame = 0;
        uint32_t frames = 0;
    };
    struct Settings {
        std::string inputPath;
        std::string outputPath;
        bool fast = false;
        std::vector<Overflow> overflows;
        // A malformed overflow list: the input refuses to start rather than run without it.
        bool overflowsValid = true;
    };
    static constexpr uint32_t kPeriodFrames = 1024;

    // The settings given by the environment.
    static Settings fromEnvironment();
    // "frame:frames,..." in ascending order, runs apart and not empty; nullopt otherwise.
    static std::optional<std::vector<Overflow>> parseOverflows(const std::string& text);
    // The device list entry of the virtual device.
    static WaveDeviceInfo info();
    // Opens the virtual device of `direction` (number 0 or kWaveDefaultDevice).
    static std::unique_ptr<WaveDevice> open(WaveDirection direction, int number,
                                            WaveDevice::DoneCallback callback,
                                            const Settings& settings, WaveResult& result);

    WaveDeviceVirtual(WaveDirection direction, Settings settings);
    ~WaveDeviceVirtual() override;

    WaveResult start(WaveDeviceQueue& queue) override;
    void stop() override;
    bool lost() const override { return lost_.load(std::memory_order_acquire); }
    void wake() override;
    std::string name() const override { return "virtual"; }

private:
    bool openFile();
    void run();
    void runRealTime();
    void runFast();
    void moveBlock(uint32_t frames);
    void readInput(uint32_t frames);
    void recordBlock(uint32_t frames);
    // Reads and discards `frames` input frames.
    void skipInput(uint64_t frames);
    // Waits until woken, stopped or `deadline`; false once stopped.
    template <class Deadline> bool waitUntil(const Deadline& deadline);

    const WaveDirection direction_;
    const Settings settings_;
    WaveDeviceQueue* queue_ = nullptr;
    std::unique_ptr<AudioFile> file_;
    bool inputEnded_ = false;
    uint64_t inputFrames_ = 0; // input frames read or skipped since the open
    size_t nextOverflow_ = 0;
    std::vector<uint8_t> block_;
    std::thread thread_;
    std::mutex wakeMutex_;
    std::condition_variable wakeChanged_;
    bool woken_ = false;
    bool quit_ = false;
    std::atomic<bool> lost_{false};
};
