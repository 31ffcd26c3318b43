#pragma once

#include "AEAudioDevice.h"

#include "WaveDevice.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The sound card of the program over the wave layer: one output and one input device,
// each with a ring of up to 16 buffers, in record mode (input open, output closed) or play
// mode (output open, input closed).
//
// The hand-over between the device's completion thread and the engine's worker is the
// in-use mark kInUse in each header's user word: set while an output buffer is queued or
// an input buffer holds frames not yet collected. The completion callbacks touch nothing
// else but atomics. Everything else (open, close, the mode switches, getBuffer,
// queueBuffer) is called by one thread at a time: the audio engine serialises them.
class AEMMEDevice : public AEAudioDevice {
public:
    enum Mode : int32_t { kModeNone = 0, kModeRecord = 1, kModePlay = 2 };
    static constexpr int32_t kMaxBuffers = 16;
    static constexpr uint32_t kInUse = 0x10000;
    static constexpr uint32_t kMarked = 0x1;
    static constexpr int32_t kDefaultBuffers = 4;
    static constexpr int32_t kDefaultBufferBytes = 32768;

    // Opens one direction of a wave device (WaveDeviceBackend::open unless a test gives its
    // own, e.g. the virtual device with settings of its own).
    using Opener = std::function<std::unique_ptr<WaveDevice>(WaveDirection direction, int number,
                                                             WaveDevice::DoneCallback callback,
                                                             WaveResult& result)>;

    explicit AEMMEDevice(Opener opener = {});
    ~AEMMEDevice() override;
    AEMMEDevice(const AEMMEDevice&) = delete;
    AEMMEDevice& operator=(const AEMMEDevice&) = delete;

    bool getBuffer(int16_t*& out, int32_t index, bool isInput) override;
    int32_t framesPerBuffer(bool isPlay) const override;
    int32_t bufferMilliseconds(bool isPlay) const override;
    int32_t totalBufferedFrames(bool isPlay) const override;
    // False when the input could not be opened; the device is in record mode all the same
    // (playback may still work, and the next switch to record tries the input again).
    bool open() override;
    bool startInput() override;
    void setClient(AEDeviceClient* client) override { client_.store(client); }
    void close() override;
    void stopInput() override { inputStarted_.store(false); }
    bool switchToPlay() override;
    bool switchToRecord() override;
    bool queueBuffer() override;
    int16_t* currentOutputData() override;
    bool isBufferMarked(int32_t index) const override;
    void markBuffer(int32_t index) override;
    void freeBuffers() override;
    // The ring sizes take effect at the next open (set them while the device is closed).
    void setNumPlayBuffers(int32_t count) override;
    void setNumRecBuffers(int32_t count) override;
    void setPlayBufferSize(int32_t bytes) override;
    void setRecBufferSize(int32_t bytes) override;
    int32_t getNumPlayBuffers() const override { return numPlayBuffers_.load(); }

    // Positions among the devices that take the format.
    void setDeviceNumbers(int play, int record) override {
        playDevice_ = play;
        recDevice_ = record;
    }
    // The device of the present mode stopped by itself (a server or card that went away).
    bool lost() const override;
    // What the open input / output has seen since it was opened (zeros when closed).
    WaveDeviceStats inputStats() const override;
    WaveDeviceStats outputStats() const;
    uint64_t inputPosition() const override { return inputPosition_; }
    bool takeInputDropout(WaveDropout& dropout, uint64_t upTo = UINT64_MAX) override;

    int32_t mode() const { return mode_.load(); }
    bool inputStarted() const { return inputStarted_.load(); }
    // The text of the last device failure, "" when none.
    const std::string& lastError() const { return lastError_; }

private:
    struct Ring {
        std::vector<std::vector<int16_t>> data;
        std::array<WaveHeader, kMaxBuffers> header;
        int32_t count = 0;
        int32_t bytes = 0;
    };

    std::unique_ptr<WaveDevice> openDevice(WaveDirection direction);
    bool openInput();
    bool queueInputBuffers();
    // Queues every output buffer with silence, the output paused.
    bool queueSilence();
    // Unprepares the headers the device has returned, for at most 250 ms.
    void unprepareReturned(WaveDevice& device, Ring& ring);
    void closeDevice(std::unique_ptr<WaveDevice>& device, Ring& ring, const char* failure);
    void outputDone(WaveHeader& header);
    void inputDone(WaveHeader& header);
    void advanceCallback(int32_t count);
    void fail(const char* text, int32_t index = -1);

    Opener opener_;
    std::atomic<AEDeviceClient*> client_{nullptr};
    std::unique_ptr<WaveDevice> out_;
    std::unique_ptr<WaveDevice> in_;
    std::atomic<int32_t> callbackIndex_{0};
    std::atomic<int32_t> mode_{kModeNone};
    std::atomic<bool> inputStarted_{false};
    std::atomic<bool> stoppingInput_{false};
    std::atomic<bool> stoppingOutput_{false};
    Ring outRing_;
    Ring inRing_;
    std::vector<int16_t> outScratch_;
    std::vector<int16_t> inScratch_;
    int32_t nextFillIndex_ = 0;
    int32_t nextWriteIndex_ = 0;
    int32_t nextInputIndex_ = 0;
    uint64_t inputPosition_ = 0;
    std::atomic<int32_t> numPlayBuffers_{kDefaultBuffers};
    std::atomic<int32_t> numRecBuffers_{kDefaultBuffers};
    std::atomic<int32_t> playBufferSize_{kDefaultBufferBytes};
    std::atomic<int32_t> recBufferSize_{kDefaultBufferBytes};
    int playDevice_ = 0;
    int recDevice_ = 0;
    std::string lastError_;
};
