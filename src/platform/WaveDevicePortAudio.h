#pragma once

#include "WaveDevice.h"
#include "WaveDeviceStream.h"
#include "WaveDeviceSystem.h"

#include <atomic>
#include <memory>
#include <portaudio.h>
#include <string>

// The PortAudio backend: a callback stream in the fixed format, output-only or
// input-only, running from open to close. Pause and start are the queue's own state, so
// the stream never has to stop in between.
//
// The stream callback only moves frames between PortAudio and the queue (see
// WaveDeviceQueue: no allocation, lock or wait) and counts the underflows and overflows
// PortAudio reports; the completion callbacks run on the device's completion thread.
// An input overflow comes as a flag without a count: the frames lost are taken from the
// stream clock (the gap between where this callback's input should begin and where it
// does) and, where the host gives no clock, estimated as one callback's worth.
class WaveDevicePortAudio : public WaveDeviceStream {
public:
    // Opens device `number` (kWaveDefaultDevice for the default) of `direction`. Null with
    // `result` set when there is no such device or it refuses the format.
    static std::unique_ptr<WaveDevice> open(WaveDirection direction, int number,
                                            WaveDevice::DoneCallback callback, WaveResult& result);

    WaveDevicePortAudio(std::shared_ptr<WaveDeviceSystem> system, int paIndex,
                        WaveDirection direction);
    ~WaveDevicePortAudio() override;

    WaveResult start(WaveDeviceQueue& queue) override;
    void stop() override;
    bool lost() const override;
    std::string name() const override;

private:
    static int streamCallback(const void* input, void* output, unsigned long frames,
                              const PaStreamCallbackTimeInfo* time, PaStreamCallbackFlags status,
                              void* self);
    // Frames lost in an overflow before a callback of `frames` frames whose input began
    // at `adcTime` (0 when the host does not say).
    uint32_t overflowFrames(double adcTime, uint32_t frames) const;

    std::shared_ptr<WaveDeviceSystem> system_;
    const int paIndex_;
    const WaveDirection direction_;
    PaStream* stream_ = nullptr;
    WaveDeviceQueue* queue_ = nullptr;
    double expectedAdcTime_ = 0.0;     // callback thread only: where the next input should begin
    std::atomic<bool> running_{false}; // started and not yet stopped by us
    bool abandoned_ = false;
};
